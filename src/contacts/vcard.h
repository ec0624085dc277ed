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
// bad input: what cannot be read is skipped.
namespace VCard {

// Every contact of the text, in file order. Groups (distribution lists) are left out.
std::vector<Contact> parse(QByteArrayView bytes);

// Orders by first name, ignoring case; equal names keep their order.
void sortByFirstName(std::vector<Contact> &contacts);

// The .vcf files an address book path stands for: the file itself, or the .vcf files of a
// folder (a vdir) and of its direct subfolders, in name order.
QStringList addressBookFiles(const QString &path);

// Reads and parses every file of the address book; nullopt when none can be read.
std::optional<std::vector<Contact>> readAddressBook(const QString &path);

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
};

// The address book named in the settings (Settings/AddressBook), else the first one found in
// the usual places: ~/.contacts, the data folder's contacts/, ~/Contacts, then the first .vcf
// file of the documents folder.
class AddressBookSource : public ContactSource {
public:
    std::optional<std::vector<Contact>> sortedContacts() override;
    QStringList placesSearched() const override;
    void choose(const QString &path) override;

    // The address book that would be read now, or empty.
    QString location() const;
};
