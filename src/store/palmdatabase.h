#pragma once

#include "storeerror.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

// The in-memory model of one Palm database: a field list and name-keyed records. Records live
// here until the whole database is saved; nothing reaches the disk in between.

// How a field is defined in a database's field list.
enum class FieldKind : quint8 { Text = 0, Boolean = 1, Date = 2, Time = 3 };

// A field's name: exactly four printable ASCII characters ("gnam", "type"), held as a number so
// that lookups in records of fifteen fields stay cheap.
class FieldCode {
public:
    template <std::size_t N>
    consteval FieldCode(const char (&code)[N]) // NOLINT: literal codes convert implicitly
    {
        static_assert(N == 5, "a field code has four characters");
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
    static constexpr quint32 pack(char a, char b, char c, char d) {
        return (quint32(quint8(a)) << 24) | (quint32(quint8(b)) << 16) | (quint32(quint8(c)) << 8) |
               quint32(quint8(d));
    }
    quint32 m_value = 0;
};

// The value a field holds: text, Boolean, date and time, 16-bit integer, double, or none.
// A value keeps the type it was written with, whatever the field's kind.
//
// A plan holds a million of these, so a value takes sixteen bytes: text of up to fourteen
// Latin-1 characters (most of a guest record) sits inside it, longer text in one block of its
// own, Latin-1 where it fits and UTF-16 otherwise. Text is turned into a QString when read.
class FieldValue {
public:
    enum class Type : quint8 { None, Text, Boolean, DateTime, Integer, Double };

    FieldValue() noexcept = default;
    FieldValue(const QString &text); // NOLINT
    FieldValue(const char *text)
        : FieldValue(QString::fromUtf8(text)) {} // NOLINT
    FieldValue(bool value) noexcept              // NOLINT
        : m_type(Type::Boolean) {
        m_data[0] = value ? 1 : 0;
    }
    FieldValue(const QDateTime &when); // NOLINT: no date means none
    FieldValue(qint16 value) noexcept  // NOLINT
        : m_type(Type::Integer) {
        put(kPayload, value);
    }
    FieldValue(double value) noexcept // NOLINT
        : m_type(Type::Double) {
        put(kPayload, value);
    }
    FieldValue(int) = delete; // say which: qint16 or double

    FieldValue(const FieldValue &other);
    FieldValue(FieldValue &&other) noexcept;
    FieldValue &operator=(const FieldValue &other);
    FieldValue &operator=(FieldValue &&other) noexcept;
    ~FieldValue() { release(); }

    // Text from Latin-1 bytes, which every Latin-1 byte is (the file reader's quick way in).
    static FieldValue fromLatin1(const char *data, qsizetype size);

    Type type() const { return m_type; }
    bool isNone() const { return type() == Type::None; }

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

    // Text held as Latin-1 bytes (empty when it is held otherwise or is no text), so that
    // the file writer can store it without building a QString.
    QByteArrayView latin1Text() const;

    bool operator==(const FieldValue &other) const;

private:
    // m_form for text: the length of text held inline, or one of these.
    static constexpr quint8 kInlineMax = 14;
    static constexpr quint8 kHeapLatin1 = 0xFE;
    static constexpr quint8 kHeapUtf16 = 0xFF;
    // Where numbers and the day of a date sit in m_data: 8-byte aligned within the value.
    static constexpr int kPayload = 6;
    static constexpr int kSeconds = 2;

    // Long text: its length, then the characters.
    struct Block {
        qsizetype size;
    };

    template <class T> void put(int at, T v) noexcept { std::memcpy(m_data + at, &v, sizeof v); }
    template <class T> T get(int at) const noexcept {
        T v;
        std::memcpy(&v, m_data + at, sizeof v);
        return v;
    }
    bool onHeap() const noexcept {
        return m_type == Type::Text && (m_form == kHeapLatin1 || m_form == kHeapUtf16);
    }
    Block *block() const noexcept { return get<Block *>(kPayload); }
    void setLatin1(const char *data, qsizetype size);
    void release() noexcept;
    void copyFrom(const FieldValue &other);
    // The text as held, Latin-1 or UTF-16.
    QAnyStringView textView() const;

    Type m_type = Type::None;
    quint8 m_form = 0;
    unsigned char m_data[14] = {};
};

class Field {
public:
    Field(FieldCode code, FieldKind kind)
        : m_code(code)
        , m_kind(kind) {}
    FieldCode code() const { return m_code; }
    FieldKind kind() const { return m_kind; }
    const FieldValue &value() const { return m_value; }
    void setValue(FieldValue value) { m_value = std::move(value); }

private:
    FieldCode m_code;
    FieldKind m_kind;
    FieldValue m_value;
};

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
    // user's language, ignoring case; ties keep their order.
    void sort(FieldCode first, bool ascending = true, const QString &second = {},
              bool secondAscending = true);

    // The PDB image of the database, and the database read back from one.
    QByteArray toBytes() const;
    static std::unique_ptr<PalmDatabase> fromBytes(QByteArrayView bytes, const QString &label);
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

// Writes `bytes` over `path` through QSaveFile, or throws StoreError naming the file.
void writeFileAtomically(const QString &path, const QByteArray &bytes);
