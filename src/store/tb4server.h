#pragma once

#include "hotsync.h"
#include "palmdatabase.h"

// The Palm database component: opens and creates database objects and answers the questions
// about Palm users (who they are, who synchronised last, where their backups are, how to queue
// a file for their next HotSync). Failures throw StoreError.
class TB4Server {
public:
    explicit TB4Server(HotSyncLocations where = HotSyncLocations::fromEnvironment());

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

    std::unique_ptr<PalmDatabase> OpenDatabase(const QString &path) const;
    std::unique_ptr<PalmDatabase> NewDatabase() const;

private:
    const HotSyncSource &sourceOf(const QString &user) const;

    HotSyncLocations m_where;
    std::vector<std::unique_ptr<HotSyncSource>> m_sources;
};
