#include "tb4server.h"

#include "pdbcontainer.h"
#include "setwriter.h"

#include <QDir>
#include <QFileInfo>

TB4Server::TB4Server(HotSyncLocations where) {
    setLocations(std::move(where));
}

TB4Server::~TB4Server() = default;

void TB4Server::setLocations(HotSyncLocations where) {
    m_where = std::move(where);
    m_sources = m_where.sources();
    // A queue that a crash left half-written would hand the handheld a mix of old and new
    // databases at the next HotSync: it is finished (or undone) before anything else.
    for (const auto &source : m_sources)
        source->recoverQueue();
}

QStringList TB4Server::PalmUserList() const {
    QStringList all;
    for (const auto &source : m_sources) {
        for (const QString &user : source->users()) {
            if (!all.contains(user, Qt::CaseInsensitive))
                all.append(user);
        }
    }
    return all;
}

QString TB4Server::LastHotSyncUser() const {
    for (const auto &source : m_sources) {
        const QString user = source->lastUser();
        if (!user.isEmpty())
            return user;
    }
    return {};
}

std::pair<const HotSyncSource *, QString> TB4Server::sourceOf(const QString &user) const {
    // An exact match first, then one in another letter case, as users are picked by name.
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const auto &source : m_sources) {
            for (const QString &name : source->users()) {
                if (name.compare(user, cs) == 0)
                    return {source.get(), name};
            }
        }
    }
    throw StoreError(QStringLiteral("\"%1\" is not a Palm user of this computer.").arg(user));
}

QString TB4Server::PalmUserBackupPath(const QString &user) const {
    const auto [source, name] = sourceOf(user);
    return source->backupPath(name);
}

void TB4Server::PalmInstallFile(const QString &user, const QString &path) const {
    PalmInstallFiles(user, {path});
}

void TB4Server::PalmInstallFiles(const QString &user, const QStringList &paths) const {
    FileSink disk;
    PalmInstallFiles(user, paths, disk);
}

void TB4Server::PalmInstallFiles(const QString &user, const QStringList &paths,
                                 FileSink &sink) const {
    for (const QString &path : paths) {
        if (!QFileInfo(path).isFile()) {
            throw StoreError(
                QStringLiteral("The file %1 cannot be queued for HotSync: it does not exist.")
                    .arg(QDir::toNativeSeparators(path)));
        }
    }
    const auto [source, name] = sourceOf(user);
    source->install(name, paths, sink);
}

std::unique_ptr<PalmDatabase> TB4Server::OpenDatabase(const QString &path) const {
    // Read as it is parsed: a large plan is never held twice in memory, as bytes and as
    // records.
    Pdb::FileSource file(path, Pdb::kMaxFileBytes);
    return PalmDatabase::read(file, QDir::toNativeSeparators(path));
}

std::unique_ptr<PalmDatabase> TB4Server::NewDatabase() const {
    return std::make_unique<PalmDatabase>();
}
