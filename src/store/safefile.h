#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

// Reading files the user may have replaced with anything: a folder, a named pipe, a device, a
// link to nowhere or to itself. Only regular files are ever opened for reading, and opening
// never blocks, so nothing in a plan or HotSync folder can hang the program.
namespace SafeFile {

enum class Kind {
    Missing,      // nothing there
    Regular,      // a regular file (or a link to one)
    Directory,    // a folder
    DanglingLink, // a link whose target does not exist
    LinkLoop,     // links that lead back to themselves
    Special,      // a named pipe, socket or device
    Unreachable,  // the path itself cannot be examined (no permission on a folder on the way)
};

// What stands at `path`, following links.
Kind probe(const QString &path);

// What a file looked like at one moment, enough to tell that it has been written or replaced
// since (a program that writes a new file and renames it gives it another inode).
struct Stamp {
    Kind kind = Kind::Missing;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since 1970
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};
// The stamp of what stands at `path`, following links.
Stamp stamp(const QString &path);

// True when both paths name the same folder, also through links or another spelling.
bool sameFolder(const QString &a, const QString &b);
// "a folder", "a link to a missing file", ... for a message "… is not a file: it is …".
QString describe(Kind kind);

// Reads the regular file at `path` whole. Refuses anything that is not a regular file, or
// larger than `maxBytes`, before reading; throws StoreError (cause Unreadable) naming the file and
// the problem (in the system's words where the system gives them). Memory exhaustion is reported
// the same way, never thrown on.
QByteArray readRegular(const QString &path, qint64 maxBytes);

// Like readRegular, but a missing file (nothing at the path) gives an empty result instead of
// an error; every other problem still throws.
QByteArray readRegularIfPresent(const QString &path, qint64 maxBytes, bool *present = nullptr);

// Writes `bytes` over the file at `path` in one step, through QSaveFile: every write, the
// flush to the disk and the commit are checked, so a full disk never leaves a short or empty
// file behind, and on any failure the older file stays as it was. Anything but a regular file
// (or nothing) at `path` is refused, as replacing it would put a plain file in its place.
// Throws StoreError "The file <path> cannot be written: <why>".
void writeAtomically(const QString &path, const QByteArray &bytes);

// Writes all of `bytes` to the open file and syncs them to the disk (a full disk shows here,
// often only at the sync). Throws StoreError with the cause alone.
void writeAll(QFileDevice &file, const QByteArray &bytes);

// A regular file opened for reading in pieces, with the checks readRegular makes (a missing
// file is an error too): a large file can then be parsed as it is read, never held whole.
class Reader {
public:
    Reader(const QString &path, qint64 maxBytes);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // The size when the file was opened.
    qint64 size() const { return m_size; }
    // Reads up to `n` bytes into `out`, fewer only at the end of the file; throws StoreError
    // on a read error.
    qsizetype read(char *out, qsizetype n);
    // Moves on `n` bytes without reading them.
    void skip(qint64 n);
    // Throws "<file> cannot be read: <why>".
    [[noreturn]] void fail(const QString &why) const;

private:
    QString m_path;
    qint64 m_size = 0;
    int m_fd;
};

} // namespace SafeFile
