#include "vcard.h"

#include "store/cp1252.h"
#include "store/palmdatabase.h"
#include "store/safefile.h"
#include "store/storeerror.h"
#include "transfer/textencoding.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <algorithm>
#include <numeric>
#include <utility>

namespace {

// An address book larger than this is not a personal one; refuse it rather than fill memory.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
constexpr int kMaxFiles = 100000;
const QString kSettingKey = QStringLiteral("Settings/AddressBook");

// The properties the import reads; everything else is passed over unparsed.
enum class Name { Other, Begin, End, Fn, N, Org, Adr, Tel, Email, Kind, Agent };

// Types of a telephone or address that matter here.
enum TypeFlag : quint32 { Home = 1, Work = 2, Pref = 4, NotForCalls = 8 };

// One property line after unfolding: "group.NAME;PARAMS:value".
struct Property {
    Name name = Name::Other;
    quint32 types = 0;
    QByteArray encoding; // upper case
    QByteArray charset;
    QByteArray rawValue;
    bool utf8 = false; // the file was UTF-16, turned into UTF-8 before parsing
    bool pref() const { return types & Pref; }
};

bool same(QByteArrayView a, const char *b) {
    return a.compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}

bool containsNoCase(QByteArrayView text, QByteArrayView word) {
    for (qsizetype i = 0; i + word.size() <= text.size(); ++i) {
        if (text.sliced(i, word.size()).compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The name of a property line without its group ("item1.TEL;..." gives TEL).
Name propertyName(QByteArrayView line) {
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    QByteArrayView name = line.first(end).trimmed();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.sliced(dot + 1);
    static constexpr std::pair<const char *, Name> names[] = {
        {"BEGIN", Name::Begin}, {"END", Name::End},
        {"FN", Name::Fn},       {"N", Name::N},
        {"ORG", Name::Org},     {"ADR", Name::Adr},
        {"TEL", Name::Tel},     {"EMAIL", Name::Email},
        {"KIND", Name::Kind},   {"X-ADDRESSBOOKSERVER-KIND", Name::Kind},
        {"AGENT", Name::Agent}};
    for (const auto &[text, id] : names) {
        if (same(name, text))
            return id;
    }
    return Name::Other;
}

quint32 typeFlag(QByteArrayView type) {
    type = type.trimmed();
    if (type.size() >= 2 && type.front() == '"' && type.back() == '"')
        type = type.sliced(1, type.size() - 2);
    if (same(type, "home"))
        return Home;
    if (same(type, "work"))
        return Work;
    if (same(type, "pref"))
        return Pref;
    for (const char *other : {"fax", "pager", "cell", "text", "video", "textphone"}) {
        if (same(type, other))
            return NotForCalls;
    }
    return 0;
}

// BEGIN:VCARD or END:VCARD, which no value ever continues into.
bool isCardBoundary(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || !same(line.sliced(colon + 1).trimmed(), "VCARD"))
        return false;
    const QByteArrayView name = line.first(colon).trimmed();
    return same(name, "BEGIN") || same(name, "END");
}

// Calls `take` with each logical line: a line beginning with a blank continues the one before
// (vCard folding), and a quoted-printable value ending in "=" goes on in the next line unless
// that line begins or ends a card. Lines that are not continued are passed as views into the
// data, without a copy.
template <class Take> void forEachLine(QByteArrayView data, Take &&take) {
    QByteArrayView pending;
    QByteArray joined;
    bool isJoined = false;
    bool pendingIsQp = false;
    auto current = [&]() -> QByteArrayView {
        return isJoined ? QByteArrayView(joined) : pending;
    };
    auto join = [&] {
        if (!isJoined) {
            joined = pending.toByteArray();
            isJoined = true;
        }
    };
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            end = data.size();
        QByteArrayView line = data.sliced(pos, end - pos);
        pos = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (pendingIsQp && current().endsWith('=') && !isCardBoundary(line)) {
            join();
            joined.chop(1);
            joined.append(line);
            continue;
        }
        if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            if (!current().isEmpty()) {
                join();
                joined.append(line.sliced(1));
            }
            continue;
        }
        if (!current().isEmpty())
            take(current());
        pending = line;
        isJoined = false;
        const qsizetype colon = line.indexOf(':');
        pendingIsQp = colon > 0 && containsNoCase(line.first(colon), "QUOTED-PRINTABLE");
    }
    if (!current().isEmpty())
        take(current());
}

QByteArrayView unquote(QByteArrayView v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.sliced(1, v.size() - 2);
    return v;
}

// Splits "NAME;P1;P2=V:value" (";" and ":" inside double quotes belong to the parameter).
std::optional<Property> parseProperty(QByteArrayView line, Name name) {
    qsizetype colon = -1;
    bool quoted = false;
    Property p;
    p.name = name;
    qsizetype start = -1; // the parameters begin after the name's ";"
    auto param = [&](QByteArrayView text) {
        text = text.trimmed();
        const qsizetype eq = text.indexOf('=');
        if (eq < 0) {
            // vCard 2.1 names types and encodings bare: "TEL;HOME;VOICE", ";QUOTED-PRINTABLE".
            if (same(text, "QUOTED-PRINTABLE") || same(text, "BASE64") || same(text, "8BIT") ||
                same(text, "7BIT"))
                p.encoding = text.toByteArray().toUpper();
            else
                p.types |= typeFlag(text);
            return;
        }
        const QByteArrayView key = text.first(eq).trimmed();
        const QByteArrayView value = unquote(text.sliced(eq + 1).trimmed());
        if (same(key, "TYPE")) {
            for (qsizetype from = 0; from <= value.size();) {
                qsizetype comma = value.indexOf(',', from);
                if (comma < 0)
                    comma = value.size();
                p.types |= typeFlag(value.sliced(from, comma - from));
                from = comma + 1;
            }
        } else if (same(key, "PREF")) {
            p.types |= Pref;
        } else if (same(key, "ENCODING")) {
            p.encoding = value.toByteArray().toUpper();
        } else if (same(key, "CHARSET")) {
            p.charset = value.toByteArray();
        }
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ';' || c == ':')) {
            if (start >= 0)
                param(line.sliced(start, i - start));
            start = i + 1;
            if (c == ':') {
                colon = i;
                break;
            }
        }
    }
    if (colon < 0)
        return std::nullopt;
    p.rawValue = line.sliced(colon + 1).toByteArray();
    return p;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 1 == in.size())
            break; // a soft line break with nothing after it
        if (in[i] == '=' && i + 2 < in.size() && hexDigit(in[i + 1]) >= 0 &&
            hexDigit(in[i + 2]) >= 0) {
            out.append(char(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2])));
            i += 2;
        } else {
            out.append(in[i]); // a stray "=" stays as it is
        }
    }
    return out;
}

// The value's bytes as text: the named character set, else UTF-8, else Windows-1252 (what
// older address books wrote without saying so).
QString decodeText(const Property &p) {
    const bool qp = p.encoding == "QUOTED-PRINTABLE";
    if (p.utf8 && !qp)
        return QString::fromUtf8(p.rawValue); // the file's own encoding said it all
    const QByteArray bytes = qp ? decodeQuotedPrintable(p.rawValue) : p.rawValue;
    if (!p.charset.isEmpty()) {
        // Stateless: a character cut off at the end is an error, not a wait for more bytes.
        QStringDecoder named(p.charset.constData(), QStringConverter::Flag::Stateless);
        if (named.isValid()) {
            const QString text = named.decode(bytes);
            if (!named.hasError())
                return text;
        }
    }
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    if (TextEncoding::firstInvalidUtf8(bytes) < 0)
        return QString::fromUtf8(bytes);
    return Cp1252::decode(bytes.constData(), bytes.size());
}

// Splits a structured value at unescaped ";" and resolves the escapes of each part.
QStringList components(const QString &value) {
    if (!value.contains(u'\\') && !value.contains(u';'))
        return {value};
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            if (next == u'n' || next == u'N')
                part += u'\n';
            else
                part += next; // "\,", "\;", "\\" and anything else stand for themselves
        } else if (c == u';') {
            parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    return parts;
}

// One line for a one-line box: line breaks become ", ".
QString oneLine(const QString &text) {
    if (!text.contains(u'\n'))
        return text.trimmed();
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (QString &l : lines)
        l = l.trimmed();
    lines.removeAll(QString());
    return lines.join(QStringLiteral(", "));
}

QString part(const QStringList &parts, int i) {
    return i < parts.size() ? oneLine(parts[i]) : QString();
}

// The preferred one of several, else the first.
const Property *preferred(const std::vector<const Property *> &candidates) {
    for (const Property *p : candidates) {
        if (p->pref())
            return p;
    }
    return candidates.empty() ? nullptr : candidates.front();
}

QString phoneText(const Property &p) {
    QString v = oneLine(components(decodeText(p)).join(u';'));
    if (v.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive))
        v = v.sliced(4);
    return v.trimmed();
}

Contact makeContact(const std::vector<Property> &props) {
    Contact c;
    std::vector<const Property *> adrs, emails, home, work, untyped;
    QStringList n;
    for (const Property &p : props) {
        if (p.name == Name::Fn) {
            c.fullName = oneLine(components(decodeText(p)).join(u';'));
        } else if (p.name == Name::N) {
            n = components(decodeText(p));
        } else if (p.name == Name::Org) {
            c.company = part(components(decodeText(p)), 0);
        } else if (p.name == Name::Adr) {
            adrs.push_back(&p);
        } else if (p.name == Name::Email) {
            emails.push_back(&p);
        } else if (p.name == Name::Tel && !(p.types & NotForCalls)) {
            const bool isHome = p.types & Home;
            const bool isWork = p.types & Work;
            if (isHome)
                home.push_back(&p);
            if (isWork)
                work.push_back(&p);
            if (!isHome && !isWork)
                untyped.push_back(&p);
        }
    }
    c.lastName = part(n, 0);
    c.firstName = part(n, 1);
    if (c.fullName.isEmpty()) {
        QStringList names;
        for (int i : {3, 1, 2, 0, 4}) {
            if (const QString s = part(n, i); !s.isEmpty())
                names << s;
        }
        c.fullName = names.join(u' ');
    }
    if (c.firstName.isEmpty() && n.isEmpty())
        c.firstName = c.fullName.section(u' ', 0, 0);
    if (const Property *adr = preferred(adrs)) {
        const QStringList a = components(decodeText(*adr));
        // The extended address ("Apt 3") belongs on the street line, after the street.
        QStringList street;
        for (const QString &s : {part(a, 2).isEmpty() ? part(a, 0) : part(a, 2), part(a, 1)}) {
            if (!s.trimmed().isEmpty())
                street << s.trimmed();
        }
        c.street = street.join(QStringLiteral(", "));
        c.city = part(a, 3);
        c.state = part(a, 4);
        c.postalCode = part(a, 5);
        c.country = part(a, 6);
    }
    // A number without a home or work type is taken as the home number.
    if (const Property *p = preferred(home.empty() ? untyped : home))
        c.homePhone = phoneText(*p);
    if (const Property *p = preferred(work))
        c.businessPhone = phoneText(*p);
    if (const Property *p = preferred(emails)) {
        c.email = oneLine(components(decodeText(*p)).join(u';')).trimmed();
        if (c.email.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive))
            c.email = c.email.sliced(7);
    }
    return c;
}

} // namespace

QString Contact::listText() const {
    return fullName.isEmpty() ? company : fullName;
}

namespace VCard {

std::vector<Contact> parse(QByteArrayView bytes, int *unreadCards) {
    const TextEncoding::Guess guess = TextEncoding::guess(bytes);
    QByteArrayView data = bytes.sliced(guess.markBytes);
    QByteArray converted;
    const bool utf16 =
        guess.form == TextEncoding::Form::Utf16LE || guess.form == TextEncoding::Form::Utf16BE;
    if (utf16) {
        converted = TextEncoding::decodeUtf16(data, guess.form).toUtf8();
        data = converted;
    }

    std::vector<Contact> contacts;
    std::vector<Property> props;
    int depth = 0; // 1 inside a card, more inside a card nested in it (a vCard 2.1 AGENT)
    bool group = false;
    bool agentOpen = false; // the line before was an AGENT whose card follows
    int cutShort = 0;
    auto startCard = [&] {
        props.clear();
        group = false;
    };
    forEachLine(data, [&](QByteArrayView line) {
        const Name name = propertyName(line);
        const bool afterAgent = std::exchange(agentOpen, false);
        if (name == Name::Other)
            return;
        const qsizetype colon = line.indexOf(':');
        const QByteArrayView value =
            colon < 0 ? QByteArrayView() : line.sliced(colon + 1).trimmed();
        if (name == Name::Agent) {
            agentOpen = depth == 1 && value.isEmpty();
            return;
        }
        if (name == Name::Begin || name == Name::End || name == Name::Kind) {
            if (name == Name::Kind) {
                if (depth == 1 && same(value, "group"))
                    group = true;
            } else if (!same(value, "VCARD")) {
                // BEGIN or END of something else: not ours
            } else if (name == Name::Begin) {
                if (depth == 0) {
                    depth = 1;
                    startCard();
                } else if (depth == 1 && !afterAgent) {
                    // The card before never ended: it is counted, and this one read.
                    ++cutShort;
                    startCard();
                } else {
                    ++depth;
                }
            } else if (depth > 0 && --depth == 0 && !group) {
                contacts.push_back(makeContact(props));
            }
            return;
        }
        if (depth != 1)
            return; // outside a card, or inside a card nested in this one
        if (std::optional<Property> p = parseProperty(line, name)) {
            p->utf8 = utf16;
            props.push_back(std::move(*p));
        }
    });
    if (depth > 0)
        ++cutShort; // the file ends inside a card
    if (unreadCards)
        *unreadCards += cutShort;
    return contacts;
}

void sortByFirstName(std::vector<Contact> &contacts) {
    // As the lists sort names: "Émile" before "Zoë".
    const QCollator collator = nameCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(contacts.size());
    for (const Contact &c : contacts)
        keys.push_back(collator.sortKey(c.firstName));
    std::vector<std::size_t> order(contacts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
        return keys[a].compare(keys[b]) < 0;
    });
    std::vector<Contact> sorted;
    sorted.reserve(contacts.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(contacts[i]));
    contacts = std::move(sorted);
}

QStringList addressBookFiles(const QString &path) {
    const QFileInfo info(path);
    if (info.isFile())
        return {info.absoluteFilePath()};
    if (!info.isDir())
        return {};
    QStringList files;
    const QStringList vcf = {QStringLiteral("*.vcf"), QStringLiteral("*.vcard")};
    QDir dir(path);
    for (const QFileInfo &f : dir.entryInfoList(vcf, QDir::Files | QDir::Readable, QDir::Name))
        files << f.absoluteFilePath();
    for (const QFileInfo &sub :
         dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name)) {
        for (const QFileInfo &f : QDir(sub.absoluteFilePath())
                                      .entryInfoList(vcf, QDir::Files | QDir::Readable, QDir::Name))
            files << f.absoluteFilePath();
        if (files.size() > kMaxFiles)
            break;
    }
    return files.mid(0, kMaxFiles);
}

std::optional<std::vector<Contact>> readAddressBook(const QString &path, Unread *unread) {
    const QStringList files = addressBookFiles(path);
    std::vector<Contact> contacts;
    Unread missed;
    bool anyRead = false;
    for (const QString &file : files) {
        try {
            const QByteArray bytes = SafeFile::readRegular(file, kMaxFileBytes);
            anyRead = true;
            std::vector<Contact> more = parse(bytes, &missed.cards);
            contacts.insert(contacts.end(), std::make_move_iterator(more.begin()),
                            std::make_move_iterator(more.end()));
        } catch (const StoreError &) {
            ++missed.files; // one unreadable file does not hide the others
        }
    }
    if (unread)
        *unread = missed;
    if (!anyRead)
        return std::nullopt;
    return contacts;
}

} // namespace VCard

namespace {

QStringList defaultPlaces() {
    const QString home = QDir::homePath();
    return {home + QStringLiteral("/.contacts"),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QStringLiteral("/contacts"),
            home + QStringLiteral("/Contacts"),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}

} // namespace

QString AddressBookSource::location() const {
    const QString chosen = QSettings().value(kSettingKey).toString();
    if (!chosen.isEmpty())
        return chosen; // the user's choice, even when it is gone: they are told where we look
    QStringList places = defaultPlaces();
    // The documents folder is no address book: only its first .vcf file is, and its
    // subfolders are none of our business.
    const QString documents = places.takeLast();
    for (const QString &place : places) {
        const QStringList files = VCard::addressBookFiles(place);
        if (!files.isEmpty())
            return QFileInfo(place).isFile() ? files.front() : place;
    }
    const QStringList first = QDir(documents).entryList({QStringLiteral("*.vcf")},
                                                        QDir::Files | QDir::Readable, QDir::Name);
    return first.isEmpty() ? QString() : documents + u'/' + first.front();
}

std::optional<std::vector<Contact>> AddressBookSource::sortedContacts() {
    m_unread = {};
    const QString path = location();
    if (path.isEmpty())
        return std::nullopt;
    auto contacts = VCard::readAddressBook(path, &m_unread);
    if (contacts)
        VCard::sortByFirstName(*contacts);
    return contacts;
}

QStringList AddressBookSource::placesSearched() const {
    const QString chosen = QSettings().value(kSettingKey).toString();
    if (!chosen.isEmpty())
        return {QDir::toNativeSeparators(chosen)};
    QStringList places;
    for (const QString &p : defaultPlaces())
        places << QDir::toNativeSeparators(p);
    places.last() += QStringLiteral(" (the first .vcf file)");
    return places;
}

void AddressBookSource::choose(const QString &path) {
    QSettings().setValue(kSettingKey, path);
}
