#include "hotsync.h"

#include "palmdatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

namespace {

QString folderProblem(const QString &folder) {
    return QStringLiteral("The HotSync folder %1 cannot be read.")
        .arg(QDir::toNativeSeparators(folder));
}

// The first line of a small text file, or empty when there is none.
QString firstLine(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

QString jpilotUser(const QString &folder) {
    QFile rc(folder + QStringLiteral("/jpilot.rc"));
    if (!rc.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!rc.atEnd()) {
        const QString line = QString::fromUtf8(rc.readLine()).trimmed();
        const qsizetype space = line.indexOf(u' ');
        const QString key = space < 0 ? line : line.left(space);
        if (key == u"user")
            return space < 0 ? QString() : line.mid(space + 1).trimmed();
    }
    return {};
}

} // namespace

// --- Palm Desktop folder ---------------------------------------------------------------------

QStringList PalmDesktopFolder::users() const {
    const QFileInfo info(m_root);
    if (!info.exists())
        return {};
    if (!info.isDir() || !info.isReadable())
        throw StoreError(folderProblem(m_root));
    QStringList names =
        QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    names.removeIf([](const QString &n) { return n.startsWith(u'.'); });
    return names;
}

QString PalmDesktopFolder::lastUser() const {
    return firstLine(m_root + QStringLiteral("/LastHotSync.txt"));
}

QString PalmDesktopFolder::userFolder(const QString &user) const {
    if (user.isEmpty() || user.contains(u'/') || user == u"." || user == u"..")
        throw StoreError(QStringLiteral("\"%1\" is not a Palm user of this computer.").arg(user));
    const QString folder = m_root + u'/' + user;
    if (!QFileInfo(folder).isDir())
        throw StoreError(QStringLiteral("\"%1\" is not a Palm user of this computer.").arg(user));
    return folder;
}

QString PalmDesktopFolder::backupPath(const QString &user) const {
    return userFolder(user) + QStringLiteral("/Backup");
}

void PalmDesktopFolder::install(const QString &user, const QString &file) const {
    const QString queue = userFolder(user) + QStringLiteral("/Install");
    if (!QDir().mkpath(queue)) {
        throw StoreError(QStringLiteral("The install folder %1 cannot be created.")
                             .arg(QDir::toNativeSeparators(queue)));
    }
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        throw StoreError(QStringLiteral("The file %1 cannot be read: %2")
                             .arg(QDir::toNativeSeparators(file), source.errorString()));
    }
    writeFileAtomically(queue + u'/' + QFileInfo(file).fileName(), source.readAll());
}

// --- J-Pilot ---------------------------------------------------------------------------------

QStringList JPilotFolder::users() const {
    const QFileInfo info(m_folder);
    if (!info.exists())
        return {};
    if (!info.isDir() || !info.isReadable())
        throw StoreError(folderProblem(m_folder));
    const QString user = jpilotUser(m_folder);
    return user.isEmpty() ? QStringList() : QStringList{user};
}

QString JPilotFolder::lastUser() const {
    return jpilotUser(m_folder);
}

QString JPilotFolder::backupPath(const QString &user) const {
    Q_UNUSED(user);
    return m_folder + QStringLiteral("/backup");
}

void JPilotFolder::install(const QString &user, const QString &file) const {
    Q_UNUSED(user);
    const QString entry = QFileInfo(file).absoluteFilePath();
    const QString queuePath = m_folder + QStringLiteral("/jpilot.install");
    QByteArray queue;
    QFile existing(queuePath);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            throw StoreError(QStringLiteral("The J-Pilot install list %1 cannot be read: %2")
                                 .arg(queuePath, existing.errorString()));
        }
        queue = existing.readAll();
    }
    const QByteArray line = entry.toUtf8();
    for (const QByteArray &present : queue.split('\n')) {
        if (present.trimmed() == line)
            return; // queued already
    }
    if (!queue.isEmpty() && !queue.endsWith('\n'))
        queue.append('\n');
    queue.append(line).append('\n');
    writeFileAtomically(queuePath, queue);
}

// --- Locations -------------------------------------------------------------------------------

HotSyncLocations HotSyncLocations::fromEnvironment() {
    HotSyncLocations where;
    where.palmDesktopRoot = qEnvironmentVariable("VOWLINE_PALM_DESKTOP");
    if (where.palmDesktopRoot.isEmpty())
        where.palmDesktopRoot =
            QSettings().value(QStringLiteral("Settings/PalmDesktop")).toString();
    const QString home = qEnvironmentVariable("JPILOT_HOME");
    where.jpilotFolder = (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.jpilot");
    return where;
}

std::vector<std::unique_ptr<HotSyncSource>> HotSyncLocations::sources() const {
    std::vector<std::unique_ptr<HotSyncSource>> list;
    if (!palmDesktopRoot.isEmpty())
        list.push_back(std::make_unique<PalmDesktopFolder>(palmDesktopRoot));
    if (!jpilotFolder.isEmpty())
        list.push_back(std::make_unique<JPilotFolder>(jpilotFolder));
    return list;
}
