// Feeds arbitrary bytes to the vCard reader: it must never crash, and whatever it reads must
// sort and list like any other address book.
#include "contacts/vcard.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    int unread = 0;
    std::vector<Contact> contacts = VCard::parse(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), &unread);
    // Every card read or counted began somewhere: at most one per line of the input.
    if (unread < 0 || std::size_t(unread) + contacts.size() > size)
        std::abort();
    VCard::sortByFirstName(contacts);
    qsizetype total = 0;
    for (const Contact &c : contacts)
        total += c.listText().size() + c.street.size() + c.homePhone.size() + c.email.size();
    // Nothing read can be longer than the input's characters.
    if (total > qsizetype(size) * 4)
        std::abort();
    return 0;
}
