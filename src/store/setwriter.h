#pragma once

#include <QByteArray>
#include <QString>
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

// Writes the files into `folder` (which exists) as one unit: every new file is written under
// a temporary name first, the old ones are kept aside, a journal records the save, and only
// then are the new ones moved into place. When any step fails, the files already moved are
// put back, every temporary file is removed, and StoreError is thrown: the folder then holds
// exactly the files it held before, byte for byte. A file that is a link is written through
// to the file it points to.
void writeSet(const QString &folder, const std::vector<SetFile> &files, FileSink &sink);

// Finishes a save into `folder` that was interrupted (the program killed, the power gone):
// with its journal written the new set is completed, else the old set stays; either way the
// hidden leftovers of the save are removed. Throws StoreError when that cannot be done.
void recoverInterruptedSave(const QString &folder);
