#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <vector>

class QFileDevice;

// The file operations a set save is made of. The real ones work on the disk; tests derive
// from this class to make a chosen step fail. Every failure throws StoreError with a
// description naming the file and the cause.
class FileSink {
public:
    virtual ~FileSink() = default;

    // Creates `path`, which must not exist yet, holding `bytes` and flushed to the disk: the
    // new version of `target`, whose permissions it takes when that file exists and which its
    // failures name. On failure nothing is left at `path`.
    virtual void create(const QString &path, const QByteArray &bytes, const QString &target);
    // Writes all of `bytes` to the open file and flushes them to the disk (a full disk shows
    // here, often only at the flush). Throws StoreError with the cause alone.
    virtual void fill(QFileDevice &file, const QByteArray &bytes);
    // Gives the file at `path` the second name `backup` (a copy where links are not possible).
    virtual void keep(const QString &path, const QString &backup);
    // Renames `from` to `to` in one step, replacing the file there.
    virtual void replace(const QString &from, const QString &to);
    // Removes a file; false when it is still there.
    virtual bool remove(const QString &path);
    // Creates the folder and any missing folder above it.
    virtual void makeFolder(const QString &folder);
    // Makes the renames inside the folder reach the disk.
    virtual void syncFolder(const QString &folder);
};

// One file of a set: its name inside the folder and its contents.
struct SetFile {
    QString fileName;
    QByteArray bytes;
};

// Keeps other copies of the program out of a folder while this one replaces or repairs files
// in it: an advisory lock on the hidden file ".VowlineSave.lock", which the system lets go of
// when a copy ends, however it ends, and which is removed when the lock is given up. Taken
// again by the same copy it is counted, not waited for. A folder where the lock file cannot
// be made (read-only, missing, a file system without locks) is not locked: nothing can be
// replaced there by anyone else either.
class FolderLock {
public:
    // Waits up to wait() for another copy to let go, then throws StoreError (cause Busy) with
    // `busy`, or with a message of its own naming the folder when that is empty.
    explicit FolderLock(const QString &folder, const QString &busy = {});
    FolderLock(const QString &folder, const QString &busy, std::chrono::milliseconds wait);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // How long a copy waits for another: a save takes well under a second. Tests shorten it.
    static std::chrono::milliseconds wait();
    static void setWait(std::chrono::milliseconds wait);

private:
    QString m_folder; // canonical; empty when not locked
};

// Writes the files into `folder` (which exists) as one unit: every new file is written under
// a temporary name first, the old ones are kept aside, a journal records the save, and only
// then are the new ones moved into place. When any step fails, the files already moved are
// put back, every temporary file is removed, and StoreError is thrown: the folder then holds
// exactly the files it held before, byte for byte. A file that is a link is written through
// to the file it points to. The folder is locked (FolderLock) throughout.
void writeSet(const QString &folder, const std::vector<SetFile> &files, FileSink &sink);

// Finishes a save into `folder` that was interrupted (the program killed, the power gone):
// with its journal written the new set is completed, else the old set stays; either way the
// hidden leftovers of the save are removed, beside the files the folder's links point to as
// well. Works wherever the folder has been moved since. Waits for another copy of the program
// that is writing there (FolderLock). Throws StoreError when that cannot be done.
void recoverInterruptedSave(const QString &folder);

// The same at start-up, for the HotSync queues: a folder another copy is writing to right now
// is left to it, and a failure is left for the next write there to report.
void recoverIfIdle(const QString &folder) noexcept;
