#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class FileSink;

// Where Palm users, their HotSync backups and their install queues live on this computer.
// Two kinds of place are understood; the README describes both layouts.
//
// Palm Desktop folder (any number of users):
//   <root>/LastHotSync.txt   first line: the name of the user of the last HotSync
//   <root>/<user>/Backup/    the databases the last HotSync backed up
//   <root>/<user>/Install/   files waiting for the user's next HotSync
//   Every folder directly under <root> (not starting with ".") is one Palm user.
//
// J-Pilot (one user): $JPILOT_HOME/.jpilot, else ~/.jpilot
//   jpilot.rc        lines "key value"; the "user" key names the user (and the last HotSync)
//   backup/          the newest full backup
//   jpilot.install   one absolute path per line, installed at the next HotSync
//
// Queuing is all or nothing: the files of one call are staged first and committed together
// under a journal, as a save is, so a failure part-way leaves the queue exactly as it was
// (earlier queued copies included), and a queue that a crash left half-written is finished or
// undone by recoverQueue(), at start-up, and before anything is queued again.
// LastHotSync.txt and jpilot.rc are read only when they are regular files; anything else in
// their place reads as "no user".
class HotSyncSource {
public:
    virtual ~HotSyncSource() = default;
    virtual QStringList users() const = 0;
    virtual QString lastUser() const = 0;
    // `user` is spelled as users() lists it.
    virtual QString backupPath(const QString &user) const = 0;
    virtual void install(const QString &user, const QStringList &files, FileSink &sink) const = 0;
    // Finishes or undoes queuing that was interrupted, leaving a queue another copy of the
    // program is writing to right now alone. Never throws.
    virtual void recoverQueue() const = 0;
};

class PalmDesktopFolder : public HotSyncSource {
public:
    explicit PalmDesktopFolder(QString root)
        : m_root(std::move(root)) {}
    QStringList users() const override;
    QString lastUser() const override;
    QString backupPath(const QString &user) const override;
    void install(const QString &user, const QStringList &files, FileSink &sink) const override;
    void recoverQueue() const override;

private:
    QString userFolder(const QString &user) const;
    QString m_root;
};

class JPilotFolder : public HotSyncSource {
public:
    explicit JPilotFolder(QString folder)
        : m_folder(std::move(folder)) {}
    QStringList users() const override;
    QString lastUser() const override;
    QString backupPath(const QString &user) const override;
    // A file whose path holds a line break or another control character is refused: the list
    // holds one path a line.
    void install(const QString &user, const QStringList &files, FileSink &sink) const override;
    void recoverQueue() const override;

private:
    QString m_folder;
};

struct HotSyncLocations {
    QString palmDesktopRoot; // empty: no Palm Desktop folder
    QString jpilotFolder;    // empty: no J-Pilot

    // VOWLINE_PALM_DESKTOP, else the "PalmDesktop" setting; $JPILOT_HOME/.jpilot, else
    // ~/.jpilot.
    static HotSyncLocations fromEnvironment();
    std::vector<std::unique_ptr<HotSyncSource>> sources() const;
};
