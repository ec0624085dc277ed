#include "palmdatabase.h"

#include "bytes.h"
#include "cp1252.h"
#include "numbers.h"
#include "pdbcontainer.h"
#include "safefile.h"
#include "setwriter.h"

#include <QCollator>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <bit>
#include <cstring>

#if !VOWLINE_LEAN_VALUES && !defined(VOWLINE_PORTABLE_VALUES)
#pragma message("Field values hold plain QStrings: the lean values are checked against Qt 6.4 "    \
                "only, and this is Qt " QT_VERSION_STR)
#endif

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
        const QStringView text = value.textView();
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

} // namespace

// A record's texts are decoded into one block of string data that they all share: one
// allocation per record rather than one per text. Each text is followed by a NUL, as Qt
// expects of string data.
//
// A short text equal to the one at the same place in the previous record (a relation, a state,
// an owner) shares that one instead.
class RecordTexts {
public:
    // `field` is the record's field at `position`. Fields must stay where they are while the
    // file is read: each record has room for all its fields from the start.
    void note(int position, Field &field, QByteArrayView bytes, bool utf8) {
        if (bytes.isEmpty()) {
            static const FieldValue empty{QString()};
            field.setValue(empty);
            return;
        }
        if (bytes.size() <= kShortest && position < kPlaces) {
            if (std::size_t(position) >= m_recent.size())
                m_recent.resize(std::size_t(position) + 1);
            Recent &recent = m_recent[std::size_t(position)];
            if (recent.field && recent.utf8 == utf8 && recent.size == bytes.size() &&
                std::memcmp(recent.bytes, bytes.data(), std::size_t(bytes.size())) == 0) {
                field.setValue(recent.field->value());
                return;
            }
            recent.field = &field;
            recent.utf8 = utf8;
            recent.size = quint8(bytes.size());
            std::memcpy(recent.bytes, bytes.data(), std::size_t(bytes.size()));
        }
        m_pending.push_back({&field, bytes, utf8});
    }

    void finish() {
        if (m_pending.empty())
            return;
#if VOWLINE_LEAN_VALUES
        qsizetype room = 0;
        for (const Pending &p : m_pending)
            room += p.bytes.size() + 1; // a UTF-8 text never decodes longer than its bytes
        QString block(room, Qt::Uninitialized);
        QStringPrivate &data = block.data_ptr();
        char16_t *const start = data.ptr;
        char16_t *out = start;
        // The block is no one else's yet: the texts' references are counted in at once when
        // the loop ends, however it ends, not one atomic step at a time.
        struct Count {
            QArrayData *data;
            int shared = 0;
            ~Count() { data->ref_.storeRelaxed(shared + 1); }
        } count{data.d};
        for (const Pending &p : m_pending) {
            char16_t *const end = decode(p, out);
            *end = u'\0';
            const qsizetype offset = out - start;
            if (offset <= FieldValue::kMostOffset) {
                p.field->setValue(FieldValue(data.d, quint32(offset), quint32(end - out)));
                ++count.shared;
            } else {
                p.field->setValue(QString(reinterpret_cast<const QChar *>(out), end - out));
            }
            out = end + 1;
        }
#else
        // Without Qt's string internals each text gets string data of its own, decoded into a
        // scratch buffer first so that it takes no more room than its characters need.
        for (const Pending &p : m_pending) {
            m_scratch.resize(std::size_t(p.bytes.size()) + 1);
            const char16_t *const end = decode(p, m_scratch.data());
            p.field->setValue(
                QString(reinterpret_cast<const QChar *>(m_scratch.data()), end - m_scratch.data()));
        }
#endif
        m_pending.clear();
    }

private:
    struct Pending {
        Field *field;
        QByteArrayView bytes;
        bool utf8;
    };

    // Decodes into `out`, which has room for a character per byte, and returns the end.
    static char16_t *decode(const Pending &p, char16_t *out) {
        return p.utf8 ? decodeUtf8(p.bytes, out)
                      : Cp1252::decodeInto(p.bytes.data(), p.bytes.size(), out);
    }
    static char16_t *decodeUtf8(QByteArrayView bytes, char16_t *out) {
        // A text may begin with U+FEFF like any other character: it is the user's, not a
        // byte-order mark, so the decoder must keep it.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return reinterpret_cast<char16_t *>(
            utf8.appendToBuffer(reinterpret_cast<QChar *>(out), bytes));
    }

    static constexpr qsizetype kShortest = 24;
    static constexpr int kPlaces = 64;

    // The bytes are copied: a file is read in pieces, and earlier pieces are let go.
    struct Recent {
        const Field *field = nullptr;
        bool utf8 = false;
        quint8 size = 0;
        char bytes[kShortest];
    };
    std::vector<Pending> m_pending;
    std::vector<Recent> m_recent;
#if !VOWLINE_LEAN_VALUES
    std::vector<char16_t> m_scratch;
#endif
};

namespace {

// Reads a value of any type but text, which RecordTexts decodes.
FieldValue readValue(ByteReader &in, quint8 tag) {
    switch (tag) {
    case TagNone:
        return {};
    case TagBoolean: {
        const quint8 b = in.u8();
        if (b > 1)
            in.fail(QStringLiteral("has a Boolean that is neither true nor false"));
        return b == 1;
    }
    case TagDateTime: {
        // A wall-clock date and time, whatever today's zone rules make of it.
        QDate date;
        QTime time;
        if (!Pdb::fromWallClockSeconds(qint64(in.u64()), &date, &time))
            in.fail(QStringLiteral("has a date out of range"));
        return FieldValue(date, time);
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

FieldValue::FieldValue(const QString &text)
    : FieldValue(QString(text)) {
}

#if VOWLINE_LEAN_VALUES

namespace {

using TextData = QTypedArrayData<char16_t>;

char16_t *textStart(QArrayData *d) {
    return TextData::dataStart(d, alignof(TextData::AlignmentDummy));
}

} // namespace

FieldValue::FieldValue(QString &&text) {
    QStringPrivate &data = text.data_ptr();
    if (data.size == 0) {
        m_meta = quint32(Type::Text) | (text.isNull() ? 0 : kEmptyNotNull);
        return;
    }
    if (data.size > qsizetype(std::numeric_limits<quint32>::max()))
        throw StoreError(
            QStringLiteral("A text of %1 characters is too long to keep.").arg(data.size));
    if (!data.d) {
        // Raw data (a literal) is kept as QString keeps it: by its address.
        m_word.raw = data.ptr;
        m_size = quint32(data.size);
        m_meta = quint32(Type::Text) | kRawData;
        return;
    }
    // A text far into its data has an offset too large to keep: it gets data of its own.
    if (data.ptr - textStart(data.d) > kMostOffset)
        text = QString(text.constData(), text.size());
    QStringPrivate &own = text.data_ptr();
    m_word.text = own.d;
    m_size = quint32(own.size);
    m_meta = quint32(Type::Text) | (quint32(own.ptr - textStart(own.d)) << kOffsetShift);
    // The reference moves here: the string gives up its data without releasing it.
    own.d = nullptr;
    own.ptr = nullptr;
    own.size = 0;
}

void FieldValue::releaseText() noexcept {
    if (!m_word.text->deref())
        TextData::deallocate(m_word.text);
}

QStringView FieldValue::textView() const {
    if (type() != Type::Text)
        return {};
    if (m_meta & kRawData)
        return QStringView(m_word.raw, qsizetype(m_size));
    if (!m_word.text)
        return {};
    return QStringView(textStart(m_word.text) + (m_meta >> kOffsetShift), qsizetype(m_size));
}

#else

FieldValue::FieldValue(QString &&text)
    : m_text(std::move(text))
    , m_meta(quint32(Type::Text)) {
}

QStringView FieldValue::textView() const {
    return type() == Type::Text ? QStringView(m_text) : QStringView();
}

#endif

FieldValue::FieldValue(const QDateTime &when) {
    // A local date and time is taken as written, even where the zone skips it (QDateTime then
    // calls it invalid); other zones are turned into local time first.
    const bool local = when.timeSpec() == Qt::LocalTime;
    if (!when.date().isValid() || (!local && !when.isValid()))
        return;
    const QDateTime wall = local ? when : when.toLocalTime();
    *this = FieldValue(wall.date(), wall.time());
}

FieldValue::FieldValue(QDate date, QTime time) {
    if (!date.isValid())
        return;
    // Values are kept to the second, as they are stored.
    m_meta = quint32(Type::DateTime);
    m_word.day = date.toJulianDay();
    m_size = time.isValid() ? quint32(time.msecsSinceStartOfDay() / 1000) : 0;
}

QString FieldValue::toText() const {
    switch (type()) {
    case Type::None:
        return {};
    case Type::Text: {
#if VOWLINE_LEAN_VALUES
        if (m_meta & kRawData)
            return QString(QStringPrivate(nullptr, const_cast<char16_t *>(m_word.raw), m_size));
        if (!m_word.text) {
            static const QChar empty;
            return (m_meta & kEmptyNotNull) ? QString(&empty, 0) : QString();
        }
        m_word.text->ref();
        return QString(QStringPrivate(static_cast<TextData *>(m_word.text),
                                      textStart(m_word.text) + (m_meta >> kOffsetShift),
                                      qsizetype(m_size)));
#else
        return m_text;
#endif
    }
    case Type::Boolean:
        return m_word.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case Type::DateTime: {
        const QLocale locale = QLocale::system();
        QString text = locale.toString(toDate(), QLocale::ShortFormat);
        if (m_size != 0)
            text += u' ' + locale.toString(toTime(), QLocale::LongFormat);
        return text;
    }
    case Type::Integer:
        return QString::number(m_word.integer);
    case Type::Double:
        return Numbers::numberText(m_word.number);
    }
    return {};
}

bool FieldValue::toBool() const {
    switch (type()) {
    case Type::Boolean:
        return m_word.boolean;
    case Type::Text:
        return textView().compare(u"True", Qt::CaseInsensitive) == 0;
    default:
        return false;
    }
}

double FieldValue::toNumber() const {
    switch (type()) {
    case Type::Integer:
        return m_word.integer;
    case Type::Double:
        return m_word.number;
    case Type::Boolean:
        return m_word.boolean ? 1.0 : 0.0;
    case Type::Text:
        return Numbers::numericValue(toText());
    default:
        return 0.0;
    }
}

QDateTime FieldValue::toDateTime() const {
    return type() == Type::DateTime ? QDateTime(toDate(), toTime()) : QDateTime();
}

QDate FieldValue::toDate() const {
    return type() == Type::DateTime ? QDate::fromJulianDay(m_word.day) : QDate();
}

QTime FieldValue::toTime() const {
    return type() == Type::DateTime ? QTime::fromMSecsSinceStartOfDay(int(m_size) * 1000) : QTime();
}

bool FieldValue::operator==(const FieldValue &other) const {
    if (type() != other.type())
        return false;
    switch (type()) {
    case Type::None:
        return true;
    case Type::Text:
        return textView() == other.textView();
    case Type::Boolean:
        return m_word.boolean == other.m_word.boolean;
    case Type::DateTime:
        return m_word.day == other.m_word.day && m_size == other.m_size;
    case Type::Integer:
        return m_word.integer == other.m_word.integer;
    case Type::Double:
        return m_word.number == other.m_word.number;
    }
    return false;
}

QCollator nameCollator() {
    return textCollator();
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

int Fields::indexOf(FieldCode code) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].code() == code)
            return int(i);
    }
    return -1;
}

void Fields::insert(int index, Field field) {
    const auto at = std::size_t(std::clamp(index, 0, count()));
    m_fields.insert(m_fields.begin() + std::ptrdiff_t(at), std::move(field));
    m_index.map.reset(); // positions after it have moved
}

Field Fields::takeAt(int index) {
    if (index < 0 || index >= count())
        throw StoreError(QStringLiteral("There is no field at place %1 of the record.").arg(index));
    Field taken = std::move(m_fields[std::size_t(index)]);
    m_fields.erase(m_fields.begin() + index);
    m_index.map.reset();
    return taken;
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

int Records::indexOf(const Record *record) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].get() == record)
            return int(i);
    }
    return -1;
}

Record &Records::insert(int index, std::unique_ptr<Record> record) {
    if (m_records.size() >= std::size_t(Pdb::kMaxRecords))
        throw StoreError(QStringLiteral("A database holds at most 65,535 records."));
    const auto at = std::size_t(std::clamp(index, 0, count()));
    return **m_records.insert(m_records.begin() + std::ptrdiff_t(at), std::move(record));
}

std::unique_ptr<Record> Records::take(int index) {
    check(index + 1);
    std::unique_ptr<Record> taken = std::move(m_records[std::size_t(index)]);
    m_records.erase(m_records.begin() + index);
    return taken;
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

std::vector<int> PalmDatabase::sort(FieldCode first, bool ascending, const QString &second,
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
    std::vector<int> order;
    sorted.reserve(n);
    order.reserve(n);
    for (const Entry &e : entries) {
        sorted.push_back(std::move(records[e.index]));
        order.push_back(int(e.index));
    }
    records = std::move(sorted);
    return order;
}

QByteArray PalmDatabase::toBytes(const QDateTime &stamp) const {
    const auto &records = m_records.raw();
    if (m_fieldList.count() > 0xFFFF)
        throw StoreError(
            QStringLiteral("The database %1 has too many fields to store.").arg(m_name));

    Pdb::Header header;
    header.name = m_name;
    header.type = m_type;
    header.creator = m_creator;
    header.modified = stamp.isValid() ? stamp : QDateTime::currentDateTime();
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
    Pdb::MemorySource source(bytes);
    return read(source, label);
}

std::unique_ptr<PalmDatabase> PalmDatabase::read(Pdb::Source &file, const QString &label) {
    const Pdb::Layout layout = Pdb::parse(file, label);
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

    // Records usually hold the field list's codes in its order: those codes are known to be
    // well formed and distinct, and need no check of their own.
    std::vector<quint32> listCodes;
    listCodes.reserve(fieldCount);
    for (const Field &f : db->m_fieldList)
        listCodes.push_back(f.code().raw());

    RecordTexts texts;
    db->m_records.reserve(int(layout.records.size()));
    for (std::size_t i = 0; i < layout.records.size(); ++i) {
        const Pdb::RecordEntry &e = layout.records[i];
        ByteReader in(file.span(e.offset, e.size), qsizetype(i + 1), label);
        Record &record = db->m_records.add();
        const quint16 count = in.u16();
        if (qint64(count) * kSmallestFieldBytes > in.remaining())
            in.fail(QStringLiteral("claims %1 fields but has room for only %2")
                        .arg(count)
                        .arg(in.remaining() / kSmallestFieldBytes));
        Fields &fields = record.fields();
        fields.reserve(count);
        bool inListOrder = true;
        for (int f = 0; f < count; ++f) {
            const quint32 raw = in.u32();
            if (!inListOrder || std::size_t(f) >= listCodes.size() || raw != listCodes[f]) {
                inListOrder = false;
                if (!FieldCode::isValid(raw))
                    in.fail(QStringLiteral("has a malformed field name"));
            }
            const FieldKind kind = readKind(in);
            Field &field = fields.append(FieldCode::fromRaw(raw), kind);
            const quint8 tag = in.u8();
            if (tag == TagTextCp1252 || tag == TagTextUtf8) {
                const quint32 n = in.u32();
                texts.note(f, field, in.bytes(qsizetype(n)), tag == TagTextUtf8);
            } else {
                field.setValue(readValue(in, tag));
            }
        }
        if (!inListOrder) {
            if (const auto twice = fields.repeated())
                in.fail(QStringLiteral("holds the field \"%1\" twice").arg(twice->toString()));
        }
        if (!in.atEnd())
            in.fail(QStringLiteral("has %1 stray bytes at its end").arg(in.remaining()));
        texts.finish();
    }
    return db;
}

void PalmDatabase::save(const QString &path) const {
    SafeFile::writeAtomically(path, toBytes());
}
