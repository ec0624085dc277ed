#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// One person or company of the user's address book, with the values the record editor takes.
struct Contact {
    QString fullName;
    QString firstName;
    QString lastName;
    QString company;
    // The mailing address: the preferred postal address, else the first.
    QString street;
    QString city;
    QString state;
    QString postalCode;
    QString country;
    QString homePhone;
    QString businessPhone;
    QString email;

    // The entry the picker lists: the full name, else the company.
    QString listText() const;
};

// Reading address books exported as vCard (2.1, 3.0 and 4.0). Widget-free; never throws on
// bad input: what cannot be read is skipped, and counted.
namespace VCard {

// What an address book held that could not be read.
struct Unread {
    int cards = 0; // cards cut short: no END:VCARD before the next card or the end of the file
    int files = 0; // files of the address book that could not be read at all
    bool any() const { return cards > 0 || files > 0; }
};

// Every contact of the bytes, in file order: UTF-8, an 8-bit character set, or UTF-16 (with a
// byte-order mark, or recognised without one). Groups (distribution lists) are left out. A
// card cut short is left out too and added to `unreadCards`; reading goes on at the next
// BEGIN:VCARD, so one damaged card never hides the cards after it.
std::vector<Contact> parse(QByteArrayView bytes, int *unreadCards = nullptr);

// Orders by first name as the lists order names (the user's collation, ignoring case); equal
// names keep their order.
void sortByFirstName(std::vector<Contact> &contacts);

// The .vcf files an address book path stands for: the file itself, or the .vcf files of a
// folder (a vdir) and of its direct subfolders, in name order.
QStringList addressBookFiles(const QString &path);

// Reads and parses every file of the address book; nullopt when none can be read.
std::optional<std::vector<Contact>> readAddressBook(const QString &path, Unread *unread = nullptr);

} // namespace VCard

// Where the picker gets its contacts: the address book read fresh on every call, sorted by
// first name, so that a position found by one call names the same contact in the next.
class ContactSource {
public:
    virtual ~ContactSource() = default;
    // The sorted contacts, or nullopt when there is no address book to read.
    virtual std::optional<std::vector<Contact>> sortedContacts() = 0;
    // For the message when nothing is found: where the source looked.
    virtual QStringList placesSearched() const = 0;
    // Remembers an address book the user picked.
    virtual void choose(const QString &path) = 0;
    // What the last sortedContacts() could not read, for the picker to tell the user.
    virtual VCard::Unread unread() const { return {}; }
};

// The address book named in the settings (Settings/AddressBook), else the first one found in
// the usual places: ~/.contacts, the data folder's contacts/, ~/Contacts, then the first .vcf
// file of the documents folder.
class AddressBookSource : public ContactSource {
public:
    std::optional<std::vector<Contact>> sortedContacts() override;
    QStringList placesSearched() const override;
    void choose(const QString &path) override;
    VCard::Unread unread() const override { return m_unread; }

    // The address book that would be read now, or empty.
    QString location() const;

private:
    VCard::Unread m_unread;
};
