#include "safefile.h"

#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace SafeFile {

namespace {

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

QString systemWords(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

Kind kindOf(const struct stat &st) {
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (S_ISDIR(st.st_mode))
        return Kind::Directory;
    return Kind::Special;
}

// Every problem here means the file cannot be read, whatever it holds.
[[noreturn]] void unreadable(const QString &why) {
    throw StoreError(why, StoreError::Cause::Unreadable);
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

Kind probe(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0)
        return kindOf(st);
    const int error = errno;
    if (error == ELOOP)
        return Kind::LinkLoop;
    if (error == ENOENT || error == ENOTDIR) {
        struct stat link {};
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return Kind::DanglingLink;
        return Kind::Missing;
    }
    return Kind::Unreachable;
}

Stamp stamp(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return Stamp{probe(path)};
    return Stamp{kindOf(st), qint64(st.st_size),
                 qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, quint64(st.st_dev),
                 quint64(st.st_ino)};
}

bool sameFolder(const QString &a, const QString &b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath()))
        return true;
    const QString canonical = first.canonicalFilePath();
    return !canonical.isEmpty() && canonical == second.canonicalFilePath();
}

QString describe(Kind kind) {
    switch (kind) {
    case Kind::Missing:
        return QStringLiteral("missing");
    case Kind::Regular:
        return QStringLiteral("a file");
    case Kind::Directory:
        return QStringLiteral("a folder");
    case Kind::DanglingLink:
        return QStringLiteral("a link to a file that does not exist");
    case Kind::LinkLoop:
        return QStringLiteral("a link that leads back to itself");
    case Kind::Special:
        return QStringLiteral("a pipe or device, not a file");
    case Kind::Unreachable:
        return QStringLiteral("out of reach");
    }
    return {};
}

namespace {

// Opens the regular file at `path` for reading after the checks readRegular makes, and gives
// its size; -1 when nothing is there.
int openRegular(const QString &path, qint64 maxBytes, qint64 *size) {
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a named pipe returns at once instead of waiting for a writer; the
    // type check below then refuses it before anything is read.
    Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        const int error = errno;
        const Kind kind = probe(path);
        if (kind == Kind::Missing)
            return -1;
        if (kind == Kind::DanglingLink || kind == Kind::LinkLoop)
            unreadable(
                QStringLiteral("%1 is not a file: it is %2.").arg(shown(path), describe(kind)));
        unreadable(QStringLiteral("%1 cannot be opened: %2.").arg(shown(path), systemWords(error)));
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        unreadable(QStringLiteral("%1 cannot be read: %2.").arg(shown(path), systemWords(errno)));
    if (!S_ISREG(st.st_mode))
        unreadable(
            QStringLiteral("%1 is not a file: it is %2.").arg(shown(path), describe(kindOf(st))));
    if (st.st_size > maxBytes)
        unreadable(QStringLiteral("%1 is too large (%2 bytes; at most %3 are expected).")
                       .arg(shown(path))
                       .arg(qint64(st.st_size))
                       .arg(maxBytes));
    *size = qint64(st.st_size);
    return std::exchange(file.fd, -1);
}

// Reads up to `n` bytes, fewer only at the end of the file.
qsizetype readFully(int fd, const QString &path, char *out, qsizetype n) {
    qsizetype done = 0;
    while (done < n) {
        const ssize_t got = ::read(fd, out + done, std::size_t(n - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            unreadable(
                QStringLiteral("%1 cannot be read: %2.").arg(shown(path), systemWords(errno)));
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

Reader::Reader(const QString &path, qint64 maxBytes)
    : m_path(path)
    , m_fd(openRegular(path, maxBytes, &m_size)) {
    if (m_fd < 0)
        unreadable(QStringLiteral("%1 does not exist.").arg(shown(path)));
}

void Reader::skip(qint64 n) {
    if (::lseek(m_fd, off_t(n), SEEK_CUR) < 0)
        fail(systemWords(errno) + u'.');
}

void Reader::fail(const QString &why) const {
    unreadable(QStringLiteral("%1 cannot be read: %2").arg(shown(m_path), why));
}

Reader::~Reader() {
    ::close(m_fd);
}

qsizetype Reader::read(char *out, qsizetype n) {
    return readFully(m_fd, m_path, out, n);
}

QByteArray readRegularIfPresent(const QString &path, qint64 maxBytes, bool *present) {
    if (present)
        *present = false;
    qint64 size = 0;
    Descriptor file{openRegular(path, maxBytes, &size)};
    if (file.fd < 0)
        return {};
    QByteArray bytes;
    try {
        bytes.resize(qsizetype(size));
    } catch (const std::bad_alloc &) {
        unreadable(
            QStringLiteral("%1 cannot be read: there is not enough memory.").arg(shown(path)));
    }
    // A file that shrank while it was read keeps what is there.
    bytes.truncate(readFully(file.fd, path, bytes.data(), bytes.size()));
    if (present)
        *present = true;
    return bytes;
}

void writeAll(QFileDevice &file, const QByteArray &bytes) {
#ifdef Q_OS_UNIX
    // Written straight to the descriptor: on a full disk the first write stops short without
    // an error, and only the next one says why (Qt's own buffered write would report nothing
    // until the commit, or "Unknown error").
    if (!file.flush())
        throw StoreError(file.errorString());
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(file.handle(), bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw StoreError(systemWords(n < 0 ? errno : ENOSPC));
        done += n;
    }
    // Only bytes that reached the disk may replace the old file. Devices and some file
    // systems cannot sync (EINVAL); their data went out with the write.
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        throw StoreError(systemWords(errno));
#else
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw StoreError(file.errorString());
#endif
}

void writeAtomically(const QString &path, const QByteArray &bytes) {
    auto failure = [&](const QString &why) {
        return StoreError(
            QStringLiteral("The file %1 cannot be written: %2").arg(shown(path), why));
    };
    const Kind there = probe(path);
    if (there != Kind::Missing && there != Kind::Regular)
        throw failure(QStringLiteral("it is %1.").arg(describe(there)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw failure(file.errorString());
    try {
        writeAll(file, bytes);
    } catch (const StoreError &error) {
        file.cancelWriting();
        throw failure(error.description());
    }
    if (!file.commit())
        throw failure(file.errorString());
}

QByteArray readRegular(const QString &path, qint64 maxBytes) {
    bool present = false;
    QByteArray bytes = readRegularIfPresent(path, maxBytes, &present);
    if (!present)
        unreadable(QStringLiteral("%1 does not exist.").arg(shown(path)));
    return bytes;
}

} // namespace SafeFile
