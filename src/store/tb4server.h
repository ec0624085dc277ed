#pragma once

#include "hotsync.h"
#include "palmdatabase.h"

// The Palm database component: opens and creates database objects and answers the questions
// about Palm users (who they are, who synchronised last, where their backups are, how to queue
// a file for their next HotSync). Failures throw StoreError.
class TB4Server {
public:
    explicit TB4Server(HotSyncLocations where = HotSyncLocations::fromEnvironment());
    virtual ~TB4Server();

    void setLocations(HotSyncLocations where);
    const HotSyncLocations &locations() const { return m_where; }

    // The Palm users of this computer, in the order their folders list them; empty when there
    // are none.
    QStringList PalmUserList() const;
    // The user of the last HotSync, or empty when there was none.
    QString LastHotSyncUser() const;
    // The user's HotSync backup folder, without a trailing separator.
    QString PalmUserBackupPath(const QString &user) const;
    // Queues the file for installation on the user's handheld at the next HotSync.
    void PalmInstallFile(const QString &user, const QString &path) const;
    // Queues the files as one unit: all of them, or (on failure) none, the queue then holding
    // exactly what it held before. Writes go through `sink` (tests make a step fail).
    void PalmInstallFiles(const QString &user, const QStringList &paths, FileSink &sink) const;
    void PalmInstallFiles(const QString &user, const QStringList &paths) const;

    // Reads a database file. Virtual so that a test can make a read fail as memory running
    // out would.
    virtual std::unique_ptr<PalmDatabase> OpenDatabase(const QString &path) const;
    std::unique_ptr<PalmDatabase> NewDatabase() const;

private:
    // The source that knows the user, and the user's name as that source spells it (names
    // are matched ignoring case, as the user list matches them).
    std::pair<const HotSyncSource *, QString> sourceOf(const QString &user) const;

    HotSyncLocations m_where;
    std::vector<std::unique_ptr<HotSyncSource>> m_sources;
};
