#include "palmdatabase.h"

#include "bytes.h"
#include "cp1252.h"
#include "numbers.h"
#include "pdbcontainer.h"
#include "safefile.h"
#include "setwriter.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <bit>

/*
 * The Vowline encoding inside a PDB container, version 1.
 *
 * The container is a standard PDB file (pdbcontainer.h). Its AppInfo block holds the
 * database's field list and each PDB record holds one record's named fields. All integers are
 * big-endian.
 *
 * AppInfo block:
 *   4 bytes   magic "VwFL"
 *   u16       encoding version (1). A reader refuses versions newer than its own and reads
 *             every older one.
 *   u16       number of fields in the field list, n
 *   n times:  4 bytes field code (printable ASCII), u8 field kind (0 text, 1 Boolean, 2 date,
 *             3 time)
 *
 * Record:
 *   u16       number of fields, m (a record may lack any field of the field list)
 *   m times:  4 bytes field code, u8 field kind, u8 value tag, then the value:
 *     tag 0   no value (the field exists but holds nothing)
 *     tag 1   text in Windows-1252: u32 byte count, bytes
 *     tag 2   text in UTF-8: u32 byte count, bytes. Used only when the text has a character
 *             Windows-1252 lacks, so that no character a user typed is ever lost, while plain
 *             Western text stays readable by handheld tools.
 *     tag 3   Boolean: u8, 0 or 1
 *     tag 4   date and time: s64 seconds since 1904-01-01 00:00 in local wall-clock time
 *     tag 5   16-bit integer: s16
 *     tag 6   double: 64-bit IEEE 754
 *   A record ends exactly after its last field; a code appears at most once per record.
 */

namespace {

constexpr char kMagic[] = "VwFL";
constexpr quint16 kEncodingVersion = 1;
// Code and kind in the field list; code, kind and a value tag in a record.
constexpr qint64 kFieldListEntryBytes = 5;
constexpr qint64 kSmallestFieldBytes = 6;

enum Tag : quint8 {
    TagNone = 0,
    TagTextCp1252 = 1,
    TagTextUtf8 = 2,
    TagBoolean = 3,
    TagDateTime = 4,
    TagInteger = 5,
    TagDouble = 6,
};

QByteArray fourChars(const QString &text, const char *what) {
    if (text.size() != 4) {
        throw StoreError(QStringLiteral("A database %1 has four characters, not \"%2\".")
                             .arg(QLatin1String(what), text));
    }
    QByteArray bytes;
    if (!Cp1252::encode(text, bytes))
        throw StoreError(QStringLiteral("The database %1 \"%2\" cannot be stored.")
                             .arg(QLatin1String(what), text));
    return bytes;
}

QString codeTextForMessage(FieldCode code) {
    return code.toString();
}

void writeValue(ByteWriter &w, QByteArray &out, const FieldValue &value) {
    switch (value.type()) {
    case FieldValue::Type::None:
        w.u8(TagNone);
        return;
    case FieldValue::Type::Text: {
        const QString text = value.toText();
        const qsizetype tagAt = out.size();
        w.u8(TagTextCp1252);
        w.u32(0);
        const qsizetype start = out.size();
        if (Cp1252::encode(text, out)) {
            w.patchU32(tagAt + 1, quint32(out.size() - start));
        } else {
            out.truncate(tagAt);
            const QByteArray utf8 = text.toUtf8();
            w.u8(TagTextUtf8);
            w.u32(quint32(utf8.size()));
            w.bytes(utf8);
        }
        return;
    }
    case FieldValue::Type::Boolean:
        w.u8(TagBoolean);
        w.u8(value.toBool() ? 1 : 0);
        return;
    case FieldValue::Type::DateTime:
        w.u8(TagDateTime);
        w.u64(quint64(Pdb::wallClockSeconds(value.toDate(), value.toTime())));
        return;
    case FieldValue::Type::Integer:
        w.u8(TagInteger);
        w.u16(quint16(qint16(value.toNumber())));
        return;
    case FieldValue::Type::Double:
        w.u8(TagDouble);
        w.u64(std::bit_cast<quint64>(value.toNumber()));
        return;
    }
}

// Short texts repeat across records (a relation, a state, a table): while a file is read, each
// is decoded once and its records share the one copy.
class SharedTexts {
public:
    QString text(QByteArrayView bytes) {
        if (bytes.size() > kLongest)
            return Cp1252::decode(bytes.data(), bytes.size());
        const auto it = m_texts.constFind(bytes);
        if (it != m_texts.cend())
            return *it;
        QString text = Cp1252::decode(bytes.data(), bytes.size());
        if (m_texts.size() < kMostTexts)
            m_texts.insert(bytes, text);
        return text;
    }

private:
    static constexpr qsizetype kLongest = 24;
    // Enough for the repeated values; names and addresses rarely repeat and need no room.
    static constexpr qsizetype kMostTexts = 16384;
    // The keys point into the file's bytes, which outlive the reading.
    QHash<QByteArrayView, QString> m_texts;
};

FieldValue readValue(ByteReader &in, SharedTexts &texts) {
    const quint8 tag = in.u8();
    switch (tag) {
    case TagNone:
        return {};
    case TagTextCp1252: {
        const quint32 n = in.u32();
        return texts.text(in.bytes(qsizetype(n)));
    }
    case TagTextUtf8: {
        const quint32 n = in.u32();
        const QByteArrayView b = in.bytes(qsizetype(n));
        // A text may begin with U+FEFF like any other character: it is the user's, not a
        // byte-order mark, so the decoder must keep it.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return QString(utf8.decode(b));
    }
    case TagBoolean: {
        const quint8 b = in.u8();
        if (b > 1)
            in.fail(QStringLiteral("has a Boolean that is neither true nor false"));
        return b == 1;
    }
    case TagDateTime: {
        bool ok = false;
        // A local date and time, valid or not under today's zone rules (FieldValue keeps it).
        const QDateTime when = Pdb::fromWallClockSeconds(qint64(in.u64()), &ok);
        if (!ok)
            in.fail(QStringLiteral("has a date out of range"));
        return when;
    }
    case TagInteger:
        return qint16(in.u16());
    case TagDouble:
        return std::bit_cast<double>(in.u64());
    default:
        in.fail(QStringLiteral("has a value of unknown type %1").arg(tag));
    }
}

FieldKind readKind(ByteReader &in) {
    const quint8 kind = in.u8();
    if (kind > quint8(FieldKind::Time))
        in.fail(QStringLiteral("has a field of unknown kind %1").arg(kind));
    return FieldKind(kind);
}

FieldCode readCode(ByteReader &in) {
    const quint32 raw = in.u32();
    if (!FieldCode::isValid(raw))
        in.fail(QStringLiteral("has a malformed field name"));
    return FieldCode::fromRaw(raw);
}

// Sorting: one key per record, computed once, so that 65,535 records sort in milliseconds.
struct SortKey {
    quint8 rank = 0; // 0 no value, 1 number, 2 date, 3 text
    double number = 0;
    const QCollatorSortKey *text = nullptr; // kept aside, so that entries stay small to move
};

// Text sorts as people expect in the user's language ("Émile" between "Eddie" and "Fran"),
// ignoring case. The C locale knows no such order and would compare code points, putting
// every accented name after "Z"; it gets the language-neutral Unicode order instead.
QCollator textCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// `texts` has room reserved for every key, so the pointers into it stay valid.
SortKey keyOf(const Record &record, FieldCode code, const QCollator &collator,
              std::vector<QCollatorSortKey> &texts) {
    SortKey key;
    const Field *field = record.fields().find(code);
    if (!field)
        return key;
    const FieldValue &v = field->value();
    switch (v.type()) {
    case FieldValue::Type::None:
        break;
    case FieldValue::Type::Boolean:
    case FieldValue::Type::Integer:
    case FieldValue::Type::Double:
        key.rank = 1;
        key.number = v.toNumber();
        break;
    case FieldValue::Type::DateTime:
        key.rank = 2;
        key.number = double(Pdb::wallClockSeconds(v.toDate(), v.toTime()));
        break;
    case FieldValue::Type::Text:
        key.rank = 3;
        key.text = &texts.emplace_back(collator.sortKey(v.toText()));
        break;
    }
    return key;
}

int compareKeys(const SortKey &a, const SortKey &b) {
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    if (a.rank == 3)
        return a.text->compare(*b.text);
    if (a.number != b.number)
        return a.number < b.number ? -1 : 1;
    return 0;
}

} // namespace

// --- FieldCode -------------------------------------------------------------------------------

FieldCode::FieldCode(const QString &code) {
    if (code.size() == 4) {
        m_value = pack(char(code[0].unicode()), char(code[1].unicode()), char(code[2].unicode()),
                       char(code[3].unicode()));
        bool ascii = true;
        for (QChar c : code)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii && isValid(m_value))
            return;
    }
    throw StoreError(
        QStringLiteral("\"%1\" is not a field name: a field name has four letters.").arg(code));
}

FieldCode FieldCode::fromRaw(quint32 raw) {
    FieldCode code;
    code.m_value = raw;
    return code;
}

bool FieldCode::isValid(quint32 raw) {
    for (int shift = 0; shift < 32; shift += 8) {
        const quint32 c = (raw >> shift) & 0xFF;
        if (c <= 0x20 || c >= 0x7F)
            return false;
    }
    return true;
}

QString FieldCode::toString() const {
    const char chars[4] = {char(m_value >> 24), char(m_value >> 16), char(m_value >> 8),
                           char(m_value)};
    return QString::fromLatin1(chars, 4);
}

// --- FieldValue ------------------------------------------------------------------------------

FieldValue::FieldValue(const QDateTime &when) {
    // A local date and time is taken as written, even where the zone skips it (QDateTime then
    // calls it invalid); other zones are turned into local time first.
    const bool local = when.timeSpec() == Qt::LocalTime;
    if (!when.date().isValid() || (!local && !when.isValid()))
        return;
    const QDateTime wall = local ? when : when.toLocalTime();
    const QTime t = wall.time().isValid() ? wall.time() : QTime(0, 0);
    // Values are kept to the second, as they are stored.
    m_data = WallClock{wall.date(), QTime(t.hour(), t.minute(), t.second())};
}

QString FieldValue::toText() const {
    switch (type()) {
    case Type::None:
        return {};
    case Type::Text:
        return std::get<QString>(m_data);
    case Type::Boolean:
        return std::get<bool>(m_data) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::DateTime: {
        const WallClock &when = std::get<WallClock>(m_data);
        const QLocale locale = QLocale::system();
        QString text = locale.toString(when.date, QLocale::ShortFormat);
        if (when.time != QTime(0, 0))
            text += u' ' + locale.toString(when.time, QLocale::LongFormat);
        return text;
    }
    case Type::Integer:
        return QString::number(std::get<qint16>(m_data));
    case Type::Double:
        return Numbers::numberText(std::get<double>(m_data));
    }
    return {};
}

bool FieldValue::toBool() const {
    switch (type()) {
    case Type::Boolean:
        return std::get<bool>(m_data);
    case Type::Text:
        return std::get<QString>(m_data).compare(u"True", Qt::CaseInsensitive) == 0;
    default:
        return false;
    }
}

double FieldValue::toNumber() const {
    switch (type()) {
    case Type::Integer:
        return std::get<qint16>(m_data);
    case Type::Double:
        return std::get<double>(m_data);
    case Type::Boolean:
        return std::get<bool>(m_data) ? 1.0 : 0.0;
    case Type::Text:
        return Numbers::numericValue(std::get<QString>(m_data));
    default:
        return 0.0;
    }
}

QDateTime FieldValue::toDateTime() const {
    return type() == Type::DateTime ? QDateTime(toDate(), toTime()) : QDateTime();
}

QDate FieldValue::toDate() const {
    return type() == Type::DateTime ? std::get<WallClock>(m_data).date : QDate();
}

QTime FieldValue::toTime() const {
    return type() == Type::DateTime ? std::get<WallClock>(m_data).time : QTime();
}

// --- Fields, Record, Records -----------------------------------------------------------------

Field &Fields::add(FieldCode code, FieldKind kind) {
    if (Field *existing = find(code))
        return *existing;
    Field &added = m_fields.emplace_back(code, kind);
    if (m_index.map)
        m_index.map->emplace(code.raw(), m_fields.size() - 1);
    return added;
}

const Field *Fields::find(FieldCode code) const {
    if (m_fields.size() < kIndexFrom) {
        for (const Field &f : m_fields) {
            if (f.code() == code)
                return &f;
        }
        return nullptr;
    }
    if (!m_index.map) {
        m_index.map = std::make_unique<Index>();
        m_index.map->reserve(m_fields.size());
        for (std::size_t i = 0; i < m_fields.size(); ++i)
            m_index.map->emplace(m_fields[i].code().raw(), i);
    }
    const auto it = m_index.map->find(code.raw());
    return it == m_index.map->end() ? nullptr : &m_fields[it->second];
}

Field *Fields::find(FieldCode code) {
    return const_cast<Field *>(std::as_const(*this).find(code));
}

Field &Fields::item(FieldCode code) {
    return const_cast<Field &>(std::as_const(*this).item(code));
}

const Field &Fields::item(FieldCode code) const {
    if (const Field *f = find(code))
        return *f;
    throw StoreError(QStringLiteral("There is no field \"%1\".").arg(codeTextForMessage(code)));
}

std::optional<FieldCode> Fields::repeated() const {
    if (m_fields.size() < kIndexFrom) {
        for (std::size_t i = 1; i < m_fields.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (m_fields[i].code() == m_fields[j].code())
                    return m_fields[i].code();
            }
        }
        return std::nullopt;
    }
    std::vector<quint32> codes;
    codes.reserve(m_fields.size());
    for (const Field &f : m_fields)
        codes.push_back(f.code().raw());
    std::sort(codes.begin(), codes.end());
    const auto twice = std::adjacent_find(codes.begin(), codes.end());
    if (twice == codes.end())
        return std::nullopt;
    return FieldCode::fromRaw(*twice);
}

bool Fields::remove(FieldCode code) {
    const auto it = std::find_if(m_fields.begin(), m_fields.end(),
                                 [code](const Field &f) { return f.code() == code; });
    if (it == m_fields.end())
        return false;
    m_fields.erase(it);
    m_index.map.reset(); // positions after it have moved
    return true;
}

FieldValue Record::value(FieldCode code) const {
    const Field *f = m_fields.find(code);
    return f ? f->value() : FieldValue();
}

QString Record::text(FieldCode code) const {
    const Field *f = m_fields.find(code);
    return f ? f->value().toText() : QString();
}

Record &Records::add() {
    if (m_records.size() >= std::size_t(Pdb::kMaxRecords))
        throw StoreError(QStringLiteral("A database holds at most 65,535 records."));
    return *m_records.emplace_back(std::make_unique<Record>());
}

void Records::check(int number) const {
    if (number < 1 || number > count()) {
        throw StoreError(
            count() == 0
                ? QStringLiteral("There is no record %1: the database is empty.").arg(number)
                : QStringLiteral("There is no record %1: the database holds %2.")
                      .arg(number)
                      .arg(count()));
    }
}

Record &Records::item(int number) {
    check(number);
    return *m_records[std::size_t(number - 1)];
}

const Record &Records::item(int number) const {
    check(number);
    return *m_records[std::size_t(number - 1)];
}

void Records::remove(int number) {
    check(number);
    m_records.erase(m_records.begin() + (number - 1));
}

// --- PalmDatabase ----------------------------------------------------------------------------

PalmDatabase::PalmDatabase()
    : m_type(4, '\0')
    , m_creator(4, '\0') {
}

void PalmDatabase::setType(const QString &type) {
    m_type = fourChars(type, "type");
}

void PalmDatabase::setCreator(const QString &creator) {
    m_creator = fourChars(creator, "creator");
}

void PalmDatabase::setName(const QString &name) {
    QByteArray bytes;
    if (name.isEmpty() || !Cp1252::encode(name, bytes) || bytes.size() > Pdb::kMaxNameBytes ||
        bytes.contains('\0')) {
        throw StoreError(QStringLiteral("\"%1\" cannot be a database name.").arg(name));
    }
    m_name = name;
}

QString PalmDatabase::type() const {
    return Cp1252::decode(m_type.constData(), m_type.size());
}

QString PalmDatabase::creator() const {
    return Cp1252::decode(m_creator.constData(), m_creator.size());
}

void PalmDatabase::write(Record &record, FieldCode code, FieldValue value, FieldKind kind) {
    Field *field = record.fields().find(code);
    if (!field) {
        m_fieldList.add(code, kind);
        field = &record.fields().add(code, kind);
    }
    field->setValue(std::move(value));
}

QStringList PalmDatabase::listValues(FieldCode code, const QString &emptyText) const {
    QStringList values;
    values.reserve(m_records.count());
    for (const auto &record : m_records.raw()) {
        const Field *f = record->fields().find(code);
        values.append(f && !f->value().isNone() ? f->value().toText() : emptyText);
    }
    return values;
}

void PalmDatabase::sort(FieldCode first, bool ascending, const QString &second,
                        bool secondAscending) {
    const std::optional<FieldCode> secondCode =
        second.isEmpty() ? std::nullopt : std::optional<FieldCode>(FieldCode(second));
    auto &records = m_records.raw();
    const std::size_t n = records.size();
    // Keys travel with their record, so the sort touches contiguous memory only.
    struct Entry {
        SortKey first;
        SortKey second;
        std::size_t index;
    };
    const QCollator collator = textCollator();
    std::vector<QCollatorSortKey> texts;
    texts.reserve(secondCode ? 2 * n : n);
    std::vector<Entry> entries(n);
    for (std::size_t i = 0; i < n; ++i) {
        entries[i].first = keyOf(*records[i], first, collator, texts);
        if (secondCode)
            entries[i].second = keyOf(*records[i], *secondCode, collator, texts);
        entries[i].index = i;
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        int c = compareKeys(a.first, b.first);
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        if (!secondCode)
            return false;
        c = compareKeys(a.second, b.second);
        return secondAscending ? c < 0 : c > 0;
    });
    std::vector<std::unique_ptr<Record>> sorted;
    sorted.reserve(n);
    for (const Entry &e : entries)
        sorted.push_back(std::move(records[e.index]));
    records = std::move(sorted);
}

QByteArray PalmDatabase::toBytes() const {
    const auto &records = m_records.raw();
    if (m_fieldList.count() > 0xFFFF)
        throw StoreError(
            QStringLiteral("The database %1 has too many fields to store.").arg(m_name));

    Pdb::Header header;
    header.name = m_name;
    header.type = m_type;
    header.creator = m_creator;
    header.modified = QDateTime::currentDateTime();
    header.created = m_created.isValid() ? m_created : header.modified;
    header.uniqueIdSeed = quint32(records.size() + 1);

    QByteArray out;
    out.reserve(qsizetype(Pdb::kHeaderSize + records.size() * 200 + 256));
    Pdb::Writer container(out, header, int(records.size()));

    QByteArray appInfo;
    ByteWriter a(appInfo);
    a.bytes(QByteArrayView(kMagic, 4));
    a.u16(kEncodingVersion);
    a.u16(quint16(m_fieldList.count()));
    for (const Field &f : m_fieldList) {
        a.u32(f.code().raw());
        a.u8(quint8(f.kind()));
    }
    container.appInfo(appInfo);

    ByteWriter w(out);
    for (std::size_t i = 0; i < records.size(); ++i) {
        container.beginRecord(int(i));
        const Fields &fields = records[i]->fields();
        if (fields.count() > 0xFFFF)
            throw StoreError(
                QStringLiteral("A record of %1 has too many fields to store.").arg(m_name));
        w.u16(quint16(fields.count()));
        for (const Field &f : fields) {
            w.u32(f.code().raw());
            w.u8(quint8(f.kind()));
            writeValue(w, out, f.value());
        }
    }
    return out;
}

std::unique_ptr<PalmDatabase> PalmDatabase::fromBytes(QByteArrayView bytes, const QString &label) {
    const Pdb::Layout layout = Pdb::parse(bytes, label);
    auto db = std::make_unique<PalmDatabase>();
    db->m_name = layout.header.name;
    db->m_type = layout.header.type;
    db->m_creator = layout.header.creator;
    db->m_created = layout.header.created;
    db->m_modified = layout.header.modified;

    if (layout.appInfo.isEmpty()) {
        if (!layout.records.empty()) {
            throw StoreError(
                QStringLiteral("The file %1 holds records without a field list; it was "
                               "not written by Vowline.")
                    .arg(label));
        }
        return db;
    }
    ByteReader a(layout.appInfo, QStringLiteral("The field list of %1").arg(label));
    if (a.remaining() < 4 || a.bytes(4) != QByteArrayView(kMagic, 4)) {
        throw StoreError(
            QStringLiteral("The file %1 is a Palm database, but not one of Vowline's.").arg(label));
    }
    const quint16 version = a.u16();
    if (version == 0 || version > kEncodingVersion) {
        throw StoreError(
            QStringLiteral("The file %1 was written in format %2, which this version of "
                           "Vowline Desktop cannot read.")
                .arg(label)
                .arg(version),
            version == 0 ? StoreError::Cause::Other : StoreError::Cause::NewerFormat);
    }
    // Nothing is allocated for more entries than the bytes left can hold.
    const quint16 fieldCount = a.u16();
    if (qint64(fieldCount) * kFieldListEntryBytes > a.remaining())
        a.fail(QStringLiteral("claims %1 fields but has room for only %2")
                   .arg(fieldCount)
                   .arg(a.remaining() / kFieldListEntryBytes));
    db->m_fieldList.reserve(fieldCount);
    for (int i = 0; i < fieldCount; ++i) {
        const FieldCode code = readCode(a);
        const FieldKind kind = readKind(a);
        db->m_fieldList.append(code, kind);
    }
    if (const auto twice = db->m_fieldList.repeated())
        a.fail(QStringLiteral("names the field \"%1\" twice").arg(twice->toString()));

    SharedTexts texts;
    db->m_records.reserve(int(layout.records.size()));
    for (std::size_t i = 0; i < layout.records.size(); ++i) {
        const Pdb::RecordEntry &e = layout.records[i];
        ByteReader in(bytes.sliced(e.offset, e.size), qsizetype(i + 1), label);
        Record &record = db->m_records.add();
        const quint16 count = in.u16();
        if (qint64(count) * kSmallestFieldBytes > in.remaining())
            in.fail(QStringLiteral("claims %1 fields but has room for only %2")
                        .arg(count)
                        .arg(in.remaining() / kSmallestFieldBytes));
        Fields &fields = record.fields();
        fields.reserve(count);
        for (int f = 0; f < count; ++f) {
            const FieldCode code = readCode(in);
            const FieldKind kind = readKind(in);
            fields.append(code, kind).setValue(readValue(in, texts));
        }
        if (const auto twice = fields.repeated())
            in.fail(QStringLiteral("holds the field \"%1\" twice").arg(twice->toString()));
        if (!in.atEnd())
            in.fail(QStringLiteral("has %1 stray bytes at its end").arg(in.remaining()));
    }
    return db;
}

void PalmDatabase::save(const QString &path) const {
    writeFileAtomically(path, toBytes());
}

void writeFileAtomically(const QString &path, const QByteArray &bytes) {
    // QSaveFile renames its new file over whatever is there: over a pipe or a device that
    // would put a plain file in its place.
    const SafeFile::Kind there = SafeFile::probe(path);
    if (there != SafeFile::Kind::Missing && there != SafeFile::Kind::Regular) {
        throw StoreError(QStringLiteral("The file %1 cannot be written: it is %2.")
                             .arg(path, SafeFile::describe(there)));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw StoreError(
            QStringLiteral("The file %1 cannot be written: %2").arg(path, file.errorString()));
    }
    // Every byte must be on the disk before the file replaces the old one: a full disk may
    // show only at the flush or the sync, and commit() alone does not always report it.
    try {
        FileSink().fill(file, bytes);
    } catch (const StoreError &error) {
        file.cancelWriting();
        throw StoreError(
            QStringLiteral("The file %1 cannot be written: %2").arg(path, error.description()));
    }
    if (file.size() != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw StoreError(QStringLiteral("The file %1 cannot be written: %2").arg(path, reason));
    }
}
