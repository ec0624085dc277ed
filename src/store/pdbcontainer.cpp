#include "pdbcontainer.h"

#include "bytes.h"
#include "cp1252.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Pdb {

namespace {

const QDate kPalmEpoch(1904, 1, 1);

QString fileProblem(const QString &label, const QString &problem) {
    return QStringLiteral("The file %1 is not a readable Palm database: it %2.")
        .arg(label, problem);
}

} // namespace

qint64 wallClockSeconds(const QDateTime &when) {
    return wallClockSeconds(when.date(), when.time());
}

qint64 wallClockSeconds(const QDate &date, const QTime &time) {
    const qint64 days = date.toJulianDay() - kPalmEpoch.toJulianDay();
    return days * 86400 + (time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0);
}

bool fromWallClockSeconds(qint64 seconds, QDate *date, QTime *time) {
    // Stay within years 1 to 9999 so that dates stay sane and the arithmetic cannot overflow.
    constexpr qint64 kLimit = qint64(3652059) * 86400;
    if (seconds < -kLimit || seconds > kLimit)
        return false;
    qint64 days = seconds / 86400;
    qint64 rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    *date = QDate::fromJulianDay(kPalmEpoch.toJulianDay() + days);
    *time = QTime::fromMSecsSinceStartOfDay(int(rest * 1000));
    return date->isValid();
}

quint32 toPalmDate(const QDateTime &when) {
    if (!when.isValid())
        return 0;
    const qint64 s = wallClockSeconds(when.toLocalTime());
    if (s <= 0)
        return 0;
    return s > 0xFFFFFFFFLL ? 0xFFFFFFFFu : quint32(s);
}

QDateTime fromPalmDate(quint32 seconds) {
    if (seconds == 0)
        return {};
    if (seconds & 0x80000000u) {
        QDate date;
        QTime time;
        if (!fromWallClockSeconds(qint64(seconds), &date, &time))
            return {};
        return QDateTime(date, time);
    }
    return QDateTime::fromSecsSinceEpoch(qint32(seconds));
}

Layout parse(Source &file, const QString &label) {
    const qint64 size = file.size();
    if (size < kHeaderSize) {
        throw StoreError(fileProblem(
            label,
            QStringLiteral("is only %1 bytes long, shorter than a database header").arg(size)));
    }
    ByteReader in(file.span(0, kHeaderSize), QStringLiteral("The header of %1").arg(label));
    Layout layout;
    Header &h = layout.header;

    const QByteArrayView rawName = in.bytes(32);
    const qsizetype nul = rawName.indexOf('\0');
    if (nul < 0)
        throw StoreError(fileProblem(label, QStringLiteral("has a database name without an end")));
    h.name = Cp1252::decode(rawName.data(), nul);
    h.attributes = in.u16();
    h.version = in.u16();
    h.created = fromPalmDate(in.u32());
    h.modified = fromPalmDate(in.u32());
    h.backedUp = fromPalmDate(in.u32());
    h.modificationNumber = in.u32();
    const quint32 appInfoId = in.u32();
    const quint32 sortInfoId = in.u32();
    h.type = in.bytes(4).toByteArray();
    h.creator = in.bytes(4).toByteArray();
    h.uniqueIdSeed = in.u32();
    in.u32(); // nextRecordListID: chained record lists are not used by anyone
    const quint16 count = in.u16();

    const qint64 tableEnd = qint64(kHeaderSize) + qint64(count) * kEntrySize;
    if (tableEnd > size) {
        throw StoreError(fileProblem(
            label,
            QStringLiteral("claims %1 records but is only %2 bytes long").arg(count).arg(size)));
    }

    auto checkBlock = [&](quint32 offset, const char *what) {
        if (offset != 0 && (offset < tableEnd || offset > size)) {
            throw StoreError(fileProblem(
                label, QStringLiteral("points its %1 outside the file").arg(QLatin1String(what))));
        }
    };
    checkBlock(appInfoId, "application block");
    checkBlock(sortInfoId, "sort block");

    layout.records.resize(count);
    ByteReader table(file.span(kHeaderSize, tableEnd - kHeaderSize),
                     QStringLiteral("The record table of %1").arg(label));
    quint32 previous = 0;
    for (int i = 0; i < count; ++i) {
        RecordEntry &e = layout.records[i];
        e.offset = table.u32();
        e.attributes = table.u8();
        e.uniqueId = quint32(table.u8()) << 16;
        e.uniqueId |= table.u16();
        if (e.offset < tableEnd || e.offset > size) {
            throw StoreError(
                fileProblem(label, QStringLiteral("places record %1 outside the file").arg(i + 1)));
        }
        if (e.offset < previous) {
            throw StoreError(fileProblem(
                label,
                QStringLiteral("has record offsets that go backwards at record %1").arg(i + 1)));
        }
        if (appInfoId != 0 && e.offset < appInfoId) {
            throw StoreError(fileProblem(
                label, QStringLiteral("places record %1 before its application block").arg(i + 1)));
        }
        previous = e.offset;
    }
    for (int i = 0; i < count; ++i) {
        const quint32 end = i + 1 < count ? layout.records[i + 1].offset : quint32(size);
        layout.records[i].size = end - layout.records[i].offset;
    }

    if (appInfoId != 0) {
        qint64 end = size;
        if (sortInfoId > appInfoId)
            end = sortInfoId;
        if (count > 0 && layout.records[0].offset < end)
            end = layout.records[0].offset;
        layout.appInfo = file.span(appInfoId, end - appInfoId);
    }
    return layout;
}

namespace {

// Enough to read a guest file in some seventy pieces, small enough to stay in the cache.
constexpr qsizetype kPiece = 256 * 1024;

} // namespace

FileSource::FileSource(const QString &path, qint64 maxBytes)
    : m_file(path, maxBytes) {
}

void FileSource::fill(qsizetype count) {
    count = qsizetype(std::min<qint64>(count, size() - m_start));
    if (m_buffer.size() < count) {
        try {
            m_buffer.resize(count); // a small file needs no more than its size
        } catch (const std::bad_alloc &) {
            m_file.fail(QStringLiteral("there is not enough memory."));
        }
    }
    m_filled += m_file.read(m_buffer.data() + m_filled, count - m_filled);
}

QByteArrayView FileSource::span(qint64 offset, qint64 length) {
    // The parser asks front to back and within the file; anything else would be its fault.
    if (Q_UNLIKELY(offset < m_start || length < 0 || offset + length > size()))
        m_file.fail(QStringLiteral("it was read out of order."));
    if (offset + length > m_start + m_filled) {
        // Keep what lies ahead of the span, skip any gap before it, and read on. A file that
        // became shorter shows when the read comes up short.
        const qint64 ahead = m_start + m_filled - offset;
        if (ahead > 0) {
            std::memmove(m_buffer.data(), m_buffer.constData() + (offset - m_start),
                         std::size_t(ahead));
            m_filled = qsizetype(ahead);
        } else {
            m_file.skip(-ahead);
            m_filled = 0;
        }
        m_start = offset;
        fill(std::max(qsizetype(length), kPiece));
        if (m_filled < length)
            m_file.fail(QStringLiteral("it became shorter while it was read."));
    }
    return QByteArrayView(m_buffer.constData() + (offset - m_start), length);
}

Writer::Writer(QByteArray &out, const Header &header, int recordCount)
    : m_out(out) {
    ByteWriter w(m_out);
    QByteArray name;
    if (!Cp1252::encode(header.name, name) || name.size() > kMaxNameBytes)
        throw StoreError(
            QStringLiteral("The database name \"%1\" cannot be stored.").arg(header.name));
    name.resize(32, '\0');
    w.bytes(name);
    w.u16(header.attributes);
    w.u16(header.version);
    w.u32(toPalmDate(header.created));
    w.u32(toPalmDate(header.modified));
    w.u32(toPalmDate(header.backedUp));
    w.u32(header.modificationNumber);
    w.u32(0); // AppInfo offset, set by appInfo()
    w.u32(0); // no sort block
    w.bytes(header.type.leftJustified(4, '\0', true));
    w.bytes(header.creator.leftJustified(4, '\0', true));
    w.u32(header.uniqueIdSeed);
    w.u32(0); // nextRecordListID
    w.u16(quint16(recordCount));
    m_tableAt = w.size();
    for (int i = 0; i < recordCount; ++i) {
        w.u32(0);                          // offset, set by beginRecord()
        w.u8(0);                           // attributes
        const quint32 id = quint32(i + 1); // unique, non-zero, fits 24 bits for 65,535 records
        w.u8(quint8(id >> 16));
        w.u16(quint16(id & 0xFFFF));
    }
    w.u16(0); // the customary two-byte gap
}

void Writer::appInfo(QByteArrayView block) {
    ByteWriter w(m_out);
    w.patchU32(kHeaderSize - 26, quint32(m_out.size()));
    w.bytes(block);
}

void Writer::beginRecord(int index) {
    ByteWriter(m_out).patchU32(m_tableAt + qsizetype(index) * kEntrySize, quint32(m_out.size()));
}

} // namespace Pdb
