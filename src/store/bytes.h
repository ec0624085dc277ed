#pragma once

#include "storeerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>
#include <cstring>

// Big-endian reading and writing for the PDB format. The reader checks every access against
// the end of its buffer and throws rather than read past it.
class ByteReader {
public:
    ByteReader(QByteArrayView data, QString what)
        : m_data(data)
        , m_what(std::move(what)) {}
    // A record's reader, named "Record <number> of <label>"; the name is built only for a
    // message, as a file holds thousands of records.
    ByteReader(QByteArrayView data, qsizetype recordNumber, const QString &label)
        : m_data(data)
        , m_recordNumber(recordNumber)
        , m_label(&label) {}

    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }

    quint8 u8() { return quint8(*take(1)); }
    quint16 u16() { return qFromBigEndian<quint16>(take(2)); }
    quint32 u32() { return qFromBigEndian<quint32>(take(4)); }
    quint64 u64() { return qFromBigEndian<quint64>(take(8)); }
    QByteArrayView bytes(qsizetype n) { return QByteArrayView(take(n), n); }

    // Kept out of the reading loops: it runs at most once per file.
    [[noreturn]] Q_DECL_COLD_FUNCTION Q_NEVER_INLINE void fail(const QString &problem) const {
        const QString what =
            m_label ? QStringLiteral("Record %1 of %2").arg(m_recordNumber).arg(*m_label) : m_what;
        throw StoreError(QStringLiteral("%1 %2.").arg(what, problem));
    }

private:
    const char *take(qsizetype n) {
        if (Q_UNLIKELY(n < 0 || n > remaining()))
            fail(QStringLiteral("is cut short"));
        const char *p = m_data.data() + m_pos;
        m_pos += n;
        return p;
    }
    QByteArrayView m_data;
    qsizetype m_pos = 0;
    QString m_what;
    qsizetype m_recordNumber = 0;
    const QString *m_label = nullptr;
};

class ByteWriter {
public:
    explicit ByteWriter(QByteArray &out)
        : m_out(out) {}

    void u8(quint8 v) { m_out.append(char(v)); }
    void u16(quint16 v) { put(v, 2); }
    void u32(quint32 v) { put(v, 4); }
    void u64(quint64 v) { put(v, 8); }
    void bytes(QByteArrayView b) { m_out.append(b); }
    qsizetype size() const { return m_out.size(); }

    // Overwrites a 32-bit value written earlier (record offsets are known only later).
    void patchU32(qsizetype at, quint32 v) {
        for (int i = 3; i >= 0; --i) {
            m_out[at + i] = char(v & 0xFF);
            v >>= 8;
        }
    }

private:
    void put(quint64 v, int n) {
        char buf[8];
        for (int i = n - 1; i >= 0; --i) {
            buf[i] = char(v & 0xFF);
            v >>= 8;
        }
        m_out.append(buf, n);
    }

    QByteArray &m_out;
};
