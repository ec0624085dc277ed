#pragma once

#include "storeerror.h"

#include <QCollator>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Pdb {
class Source;
}

// The in-memory model of one Palm database: a field list and name-keyed records. Records live
// here until the whole database is saved; nothing reaches the disk in between.

// How a field is defined in a database's field list.
enum class FieldKind : quint8 { Text = 0, Boolean = 1, Date = 2, Time = 3 };

// A field's name: exactly four printable ASCII characters ("gnam", "type"), held as a number so
// that lookups in records of fifteen fields stay cheap.
// Every field code of the nine databases, as the program and the handheld write them. A code
// written as four letters in the code is checked against these when it is compiled, so a
// misspelt one does not build; store/schema.h names each of them.
inline constexpr char kKnownFieldCodes[] =
    "addr alrm avai bdgt bnam cadr ccit ccon chrc city cnot coun cpho csta czip date done dued "
    "evnt gadr gcit gcon gcos gctr gdec gdie gift gmai gmea gnam gnot gpho gsta gtag gtyp gzip "
    "hadr hall hcit hcon hnot hper hpho hsta hzip maxs meal mngr ndat note npay ntab ordr ownr "
    "padr paid pcit pctr phon pmai pnam pnot ppho prst psta ptab ptyp pzip rsvp star stat stop "
    "tabl time tnku ttag type vadr vbal vcit vcnt vcon vcos vctr vdwn vema vnam vnot vpho vsta "
    "vtyp vzip zipc";

class FieldCode {
public:
    template <std::size_t N>
    consteval FieldCode(const char (&code)[N]) // NOLINT: literal codes convert implicitly
    {
        static_assert(N == 5, "a field code has four characters");
        if (!known(code))
            throw "not a field code of the plan: a misspelt code?"; // stops the compilation
        m_value = pack(code[0], code[1], code[2], code[3]);
    }
    FieldCode(const QString &code); // NOLINT: throws StoreError on a malformed code

    static FieldCode fromRaw(quint32 raw);
    static bool isValid(quint32 raw);
    quint32 raw() const { return m_value; }
    QString toString() const;
    bool operator==(const FieldCode &) const = default;

private:
    FieldCode() = default;
    static consteval bool known(const char *code) {
        for (std::size_t i = 0; i + 4 <= sizeof kKnownFieldCodes - 1; i += 5) {
            if (kKnownFieldCodes[i] == code[0] && kKnownFieldCodes[i + 1] == code[1] &&
                kKnownFieldCodes[i + 2] == code[2] && kKnownFieldCodes[i + 3] == code[3])
                return true;
        }
        return false;
    }
    static constexpr quint32 pack(char a, char b, char c, char d) {
        return (quint32(quint8(a)) << 24) | (quint32(quint8(b)) << 16) | (quint32(quint8(c)) << 8) |
               quint32(quint8(d));
    }
    quint32 m_value = 0;
};

// The lean value below reaches into Qt's string data (its header, its reference count, how it
// is freed), which Qt keeps private and may change in any release. It is used only on the Qt
// it was written and checked against: the 6.4 series, whose patch releases keep that layout.
// On any other Qt, or when VOWLINE_PORTABLE_VALUES is defined, a value holds a plain QString.
#if !defined(VOWLINE_PORTABLE_VALUES) && QT_VERSION >= QT_VERSION_CHECK(6, 4, 0) &&                \
    QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
#define VOWLINE_LEAN_VALUES 1
#else
#define VOWLINE_LEAN_VALUES 0
#endif

// The value a field holds: text, Boolean, date and time, 16-bit integer, double, or none.
// A value keeps the type it was written with, whatever the field's kind.
//
// A plan holds a million of these. The lean value takes 16 bytes: a text is a reference to
// Qt's shared string data (reading it copies nothing), a date is a day and a second of that
// day; packed to four-byte alignment, so that a field (value and code) takes 20 bytes, not 24.
// The portable value holds its text in a QString beside the same 16 bytes.
#if VOWLINE_LEAN_VALUES
#pragma pack(push, 4)
#endif
class FieldValue {
public:
    enum class Type : quint8 { None, Text, Boolean, DateTime, Integer, Double };

    FieldValue() noexcept = default;
    FieldValue(const QString &text); // NOLINT
    FieldValue(QString &&text);      // NOLINT
    FieldValue(const char *text)
        : FieldValue(QString::fromUtf8(text)) {} // NOLINT
    FieldValue(bool value) noexcept              // NOLINT
        : m_meta(quint32(Type::Boolean)) {
        m_word.boolean = value;
    }
    FieldValue(const QDateTime &when); // NOLINT: no date means none
    // A date and a time of day as chosen on the wall clock (no time means midnight).
    FieldValue(QDate date, QTime time);
    FieldValue(qint16 value) noexcept // NOLINT
        : m_meta(quint32(Type::Integer)) {
        m_word.integer = value;
    }
    FieldValue(double value) noexcept // NOLINT
        : m_meta(quint32(Type::Double)) {
        m_word.number = value;
    }
    FieldValue(int) = delete; // say which: qint16 or double

#if VOWLINE_LEAN_VALUES
    FieldValue(const FieldValue &other) noexcept
        : m_word(other.m_word)
        , m_size(other.m_size)
        , m_meta(other.m_meta) {
        if (holdsData())
            m_word.text->ref();
    }
    FieldValue(FieldValue &&other) noexcept
        : m_word(other.m_word)
        , m_size(other.m_size)
        , m_meta(std::exchange(other.m_meta, 0)) {
    }
    FieldValue &operator=(const FieldValue &other) noexcept {
        if (this != &other)
            *this = FieldValue(other);
        return *this;
    }
    FieldValue &operator=(FieldValue &&other) noexcept {
        if (this != &other) {
            if (holdsData())
                releaseText();
            m_word = other.m_word;
            m_size = other.m_size;
            m_meta = std::exchange(other.m_meta, 0);
        }
        return *this;
    }
    ~FieldValue() {
        if (holdsData())
            releaseText();
    }
#else
    FieldValue(const FieldValue &) = default;
    // A moved-from value is none, and lets go of its text at once, as the lean one does.
    FieldValue(FieldValue &&other) noexcept
        : m_text(std::exchange(other.m_text, QString()))
        , m_word(other.m_word)
        , m_size(other.m_size)
        , m_meta(std::exchange(other.m_meta, 0)) {
    }
    FieldValue &operator=(const FieldValue &) = default;
    FieldValue &operator=(FieldValue &&other) noexcept {
        if (this != &other) {
            m_text = std::exchange(other.m_text, QString());
            m_word = other.m_word;
            m_size = other.m_size;
            m_meta = std::exchange(other.m_meta, 0);
        }
        return *this;
    }
    ~FieldValue() = default;
#endif

    Type type() const {
        return Type(m_meta & kTypeBits);
    }
    bool isNone() const {
        return type() == Type::None;
    }

    // "True"/"False" for Booleans, the number's text form, the short date (with the time when
    // it is not midnight), the text itself, or empty for none.
    QString toText() const;
    // True only for a Boolean true or the text "True" (any case).
    bool toBool() const;
    // Numbers as they are; text by the numeric value rule; everything else 0.
    double toNumber() const;
    // The date and time as local time, or an invalid QDateTime when the value is not a date.
    // On a day whose local midnight does not exist (a daylight-saving gap) QDateTime calls
    // the result invalid, but its date() and time() still hold the value.
    QDateTime toDateTime() const;
    // The calendar date and the time of day as they were chosen, whatever the time zone's
    // rules; invalid when the value is not a date.
    QDate toDate() const;
    QTime toTime() const;

    // A text's characters without a copy, valid while the value lives; empty for other types.
    QStringView textView() const;

    bool operator==(const FieldValue &other) const;

private:
    // m_meta, from the low bits: the type (3 bits); the owning field's kind (2 bits, kept by
    // Field, never read by a value); the rest as the lean value lays it out below.
    static constexpr quint32 kTypeBits = 7;
    static constexpr int kOwnerShift = 3;
    static constexpr quint32 kOwnerBits = 3u << kOwnerShift;

#if VOWLINE_LEAN_VALUES
    // The file reader lays a record's texts out in one block of string data.
    friend class RecordTexts;
    // A text at `offset` in `data`, taking over one reference to it.
    FieldValue(QArrayData *data, quint32 offset, quint32 size) noexcept
        : m_size(size)
        , m_meta(quint32(Type::Text) | (offset << kOffsetShift)) {
        m_word.text = data;
    }

    void releaseText() noexcept;

    // Above the owner's kind: unused (3 bits); how a text is held (2 bits): in shared string
    // data (none for a null text), as raw data that is not ours (a literal, copied as QString
    // copies it) or empty but not null; and a shared text's offset into its data (22 bits). A
    // text that starts further in than that gets data of its own.
    static constexpr int kFormShift = 8;
    static constexpr quint32 kRawData = 1u << kFormShift;
    static constexpr quint32 kEmptyNotNull = 2u << kFormShift;
    static constexpr quint32 kTypeAndForm = kTypeBits | (3u << kFormShift);
    static constexpr int kOffsetShift = 10;
    static constexpr qsizetype kMostOffset = (1 << (32 - kOffsetShift)) - 1;

    // Holds a reference to shared string data.
    bool holdsData() const {
        return (m_meta & kTypeAndForm) == quint32(Type::Text) && m_word.text;
    }
#else
    QString m_text;
#endif

    // Dates are wall-clock values, not instants: a wedding on a day that starts at 01:00
    // under daylight saving is still on that day. `day` is the Julian day, and m_size the
    // second of that day.
    union Word {
#if VOWLINE_LEAN_VALUES
        QArrayData *text;
        const char16_t *raw;
#endif
        double number;
        qint64 day;
        qint16 integer;
        bool boolean;
    };
    Word m_word = {};
    quint32 m_size = 0; // characters of a lean text, or the second of a date's day
    quint32 m_meta = 0; // as laid out above

    friend class Field;
    quint32 ownerBits() const {
        return (m_meta & kOwnerBits) >> kOwnerShift;
    }
    void setOwnerBits(quint32 bits) {
        m_meta = (m_meta & ~kOwnerBits) | (bits << kOwnerShift);
    }
};
#if VOWLINE_LEAN_VALUES
#pragma pack(pop)
static_assert(sizeof(FieldValue) == 16);
#else
// The text beside the 16 bytes every other type needs, and no padding.
static_assert(sizeof(FieldValue) == sizeof(QString) + 16);
#endif

// A field keeps its kind in its value's spare bits: a record of fifteen fields then takes
// 300 bytes rather than 360 (with the lean value).
class Field {
public:
    Field(FieldCode code, FieldKind kind)
        : m_code(code) {
        m_value.setOwnerBits(quint32(kind));
    }
    FieldCode code() const { return m_code; }
    FieldKind kind() const { return FieldKind(m_value.ownerBits()); }
    const FieldValue &value() const { return m_value; }
    void setValue(FieldValue &&value) {
        const quint32 kind = m_value.ownerBits();
        m_value = std::move(value);
        m_value.setOwnerBits(kind);
    }
    void setValue(const FieldValue &value) { setValue(FieldValue(value)); }

private:
    FieldValue m_value;
    FieldCode m_code;
};
#if VOWLINE_LEAN_VALUES
static_assert(sizeof(Field) == 20);
#else
// The code adds no more than its own size padded to the value's alignment.
static_assert(sizeof(Field) == sizeof(FieldValue) + alignof(FieldValue));
#endif

// The fields of one record, or a database's field list (whose values stay none).
class Fields {
public:
    // Adds the field, or returns the one already there (a repeated add is harmless).
    Field &add(FieldCode code, FieldKind kind = FieldKind::Text);
    Field &item(FieldCode code);
    const Field &item(FieldCode code) const;
    // Returns whether there was such a field.
    bool remove(FieldCode code);
    bool exists(FieldCode code) const { return find(code) != nullptr; }
    int count() const { return int(m_fields.size()); }
    // Where the field stands in the list; -1 when there is none.
    int indexOf(FieldCode code) const;
    // Puts a field at `index` (0 to count()), where a removal once took it from.
    void insert(int index, Field field);
    // Takes the field at `index` out of the list.
    Field takeAt(int index);

    const Field *find(FieldCode code) const;
    Field *find(FieldCode code);
    auto begin() const { return m_fields.begin(); }
    auto end() const { return m_fields.end(); }
    void reserve(int n) { m_fields.reserve(std::size_t(n)); }

private:
    // Records hold about fifteen fields, where a scan is fastest; a file may hold up to
    // 65,535 per record, and those lists get an index so that no lookup scans them.
    static constexpr std::size_t kIndexFrom = 32;
    using Index = std::unordered_map<quint32, std::size_t>;
    friend class PalmDatabase;
    // The file reader appends without a lookup per field and checks for repeats once.
    Field &append(FieldCode code, FieldKind kind) {
        m_index.map.reset();
        return m_fields.emplace_back(code, kind);
    }
    // A code held more than once, if any.
    std::optional<FieldCode> repeated() const;

    // Built on the first lookup in a long list; dropped by a removal or a copy.
    struct LazyIndex {
        std::unique_ptr<Index> map;
        LazyIndex() = default;
        LazyIndex(const LazyIndex &) {}
        LazyIndex &operator=(const LazyIndex &) {
            map.reset();
            return *this;
        }
        LazyIndex(LazyIndex &&) noexcept = default;
        LazyIndex &operator=(LazyIndex &&) noexcept = default;
    };
    std::vector<Field> m_fields;
    mutable LazyIndex m_index;
};

class Record {
public:
    Fields &fields() { return m_fields; }
    const Fields &fields() const { return m_fields; }

    bool has(FieldCode code) const { return m_fields.exists(code); }
    // The value, or none when the record lacks the field.
    FieldValue value(FieldCode code) const;
    // The value as text; empty when the record lacks the field.
    QString text(FieldCode code) const;

private:
    Fields m_fields;
};

// The records of a database, numbered from 1. References stay valid until the record is
// removed (records are not moved by add or sort).
class Records {
public:
    Record &add();
    Record &item(int number);
    const Record &item(int number) const;
    int count() const { return int(m_records.size()); }
    void removeAll() { m_records.clear(); }
    void remove(int number);
    // The 0-based place of the record in the database; -1 when it is not here.
    int indexOf(const Record *record) const;
    // Puts a record at a 0-based place (0 to count()): one made apart, or one taken out before.
    Record &insert(int index, std::unique_ptr<Record> record);
    // Takes the record at a 0-based place out of the database, whole.
    std::unique_ptr<Record> take(int index);

    void reserve(int n) { m_records.reserve(n); }
    std::vector<std::unique_ptr<Record>> &raw() { return m_records; }
    const std::vector<std::unique_ptr<Record>> &raw() const { return m_records; }

private:
    void check(int number) const;
    std::vector<std::unique_ptr<Record>> m_records;
};

// A database object: identity, field list and records, read from and written to a PDB file.
class PalmDatabase {
public:
    PalmDatabase();

    Records &records() { return m_records; }
    const Records &records() const { return m_records; }
    Fields &fieldList() { return m_fieldList; }
    const Fields &fieldList() const { return m_fieldList; }

    // Type and creator are four characters; the name at most 31 Windows-1252 bytes.
    void setType(const QString &type);
    void setName(const QString &name);
    void setCreator(const QString &creator);
    QString type() const;
    QString name() const { return m_name; }
    QString creator() const;
    QDateTime created() const { return m_created; }
    QDateTime modified() const { return m_modified; }

    // Writes a value, first adding the field to the field list and to the record when the
    // record lacks it.
    void write(Record &record, FieldCode code, FieldValue value, FieldKind kind = FieldKind::Text);

    // The values of one field over all records, in record order; `emptyText` stands in for a
    // record that lacks the field or holds no value.
    QStringList listValues(FieldCode code, const QString &emptyText = {}) const;
    // Fills any target with addItem(QString) (a combo box, a list box) the same way.
    template <class Target>
    void fillList(Target &target, FieldCode code, const QString &emptyText = {}) const {
        for (const QString &value : listValues(code, emptyText))
            target.addItem(value);
    }

    // Orders the records by a field and then by an optional second one (empty: none). Records
    // that lack a field come first; numbers compare by value, dates by time, text by the
    // user's language, ignoring case; ties keep their order. Returns where each record came
    // from: the record now at place i stood at place order[i] before.
    std::vector<int> sort(FieldCode first, bool ascending = true, const QString &second = {},
                          bool secondAscending = true);

    // The PDB image of the database, and the database read back from one. The header's
    // modification date is `stamp`, or now when none is given.
    QByteArray toBytes(const QDateTime &stamp = {}) const;
    static std::unique_ptr<PalmDatabase> fromBytes(QByteArrayView bytes, const QString &label);
    // The database read from a file's bytes as they come (see Pdb::FileSource).
    static std::unique_ptr<PalmDatabase> read(Pdb::Source &file, const QString &label);
    // Writes the database over `path` atomically: on failure the old file stays as it was.
    void save(const QString &path) const;

private:
    Records m_records;
    Fields m_fieldList;
    QString m_name;
    QByteArray m_type;
    QByteArray m_creator;
    QDateTime m_created;
    QDateTime m_modified;
};

// The order names sort in, everywhere: the user's language, ignoring case; under the C locale,
// which has no order for names, the language-neutral Unicode order.
QCollator nameCollator();
