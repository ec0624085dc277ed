#pragma once

#include "safefile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <vector>

// The standard Palm Database (PDB) container: a 78-byte big-endian header, one 8-byte entry
// per record, two zero bytes, then the AppInfo block and the record data. What goes inside the
// AppInfo block and the records is the business of the database encoding (palmdatabase.cpp).

namespace Pdb {

constexpr int kHeaderSize = 78;
constexpr int kEntrySize = 8;
constexpr int kMaxNameBytes = 31;
constexpr quint16 kBackupBit = 0x0008;
constexpr int kMaxRecords = 65535;
// The largest file read or written: the 65,535 records the format allows at 2 KiB each, about
// eight times a guest record filled in throughout with notes. A larger file is refused before
// any of it is read, so a hostile file cannot exhaust the memory.
constexpr qint64 kMaxFileBytes = qint64(128) * 1024 * 1024;

struct Header {
    QString name;
    quint16 attributes = kBackupBit;
    quint16 version = 0;
    QDateTime created;
    QDateTime modified;
    QDateTime backedUp;
    quint32 modificationNumber = 0;
    QByteArray type = QByteArray(4, '\0');
    QByteArray creator = QByteArray(4, '\0');
    quint32 uniqueIdSeed = 0;
};

struct RecordEntry {
    quint32 offset = 0;
    quint32 size = 0;
    quint8 attributes = 0;
    quint32 uniqueId = 0;
};

struct Layout {
    Header header;
    QByteArrayView appInfo;
    std::vector<RecordEntry> records;
};

// Where a database file's bytes come from: the whole file in memory, or the file itself,
// read as it is parsed so that it is never held whole.
class Source {
public:
    virtual ~Source() = default;
    virtual qint64 size() const = 0;
    // The bytes [offset, offset + length), which lie within size(). The view stays valid until
    // the next call. Spans are asked for front to back: none starts before the previous one.
    virtual QByteArrayView span(qint64 offset, qint64 length) = 0;
};

class MemorySource : public Source {
public:
    explicit MemorySource(QByteArrayView bytes)
        : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    QByteArrayView span(qint64 offset, qint64 length) override {
        return m_bytes.sliced(offset, length);
    }

private:
    QByteArrayView m_bytes;
};

// A file read in pieces as it is parsed, through SafeFile. A problem reading it is a
// StoreError of cause Unreadable.
class FileSource : public Source {
public:
    FileSource(const QString &path, qint64 maxBytes);
    qint64 size() const override { return m_file.size(); }
    QByteArrayView span(qint64 offset, qint64 length) override;

private:
    // Fills the buffer from the file up to `count` bytes, or as far as the file goes.
    void fill(qsizetype count);

    SafeFile::Reader m_file;
    QByteArray m_buffer; // the file's bytes from m_start on
    qint64 m_start = 0;
    qsizetype m_filled = 0;
};

// Splits a file into header, AppInfo block and record spans. Every offset, count and length
// is checked against the file; a damaged file throws StoreError naming `label`. The AppInfo
// view is the last span taken from `file`.
Layout parse(Source &file, const QString &label);
inline Layout parse(QByteArrayView file, const QString &label) {
    MemorySource source(file);
    return parse(source, label);
}

// Palm dates: unsigned seconds since 1904-01-01 in local time. Files written by some Unix
// tools hold signed Unix seconds instead; those have the top bit clear and are read as such.
quint32 toPalmDate(const QDateTime &when);
QDateTime fromPalmDate(quint32 seconds);

// Seconds between 1904-01-01 00:00 and a local wall-clock time (no time-zone arithmetic, so a
// value read back is the same wall-clock time whatever the zone's rules).
qint64 wallClockSeconds(const QDateTime &when);
qint64 wallClockSeconds(const QDate &date, const QTime &time);
// The calendar date and time of day such seconds stand for, without asking the time zone;
// false when they fall outside years 1 to 9999.
bool fromWallClockSeconds(qint64 seconds, QDate *date, QTime *time);

// Writes a container into `out`: header and record table first, then AppInfo and records as
// the caller appends them. Record offsets are filled in as each record begins.
class Writer {
public:
    Writer(QByteArray &out, const Header &header, int recordCount);
    void appInfo(QByteArrayView block);
    // Call before appending record `index` (0-based) to the output.
    void beginRecord(int index);

private:
    QByteArray &m_out;
    qsizetype m_tableAt = 0;
};

} // namespace Pdb
