#include "hotsync.h"

#include "palmdatabase.h"
#include "safefile.h"
#include "setwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <algorithm>

namespace {

// A few lines of settings; anything far larger is not what it claims to be.
constexpr qint64 kMaxSettingsBytes = 1 << 20;
// One line per queued file: far more than any user queues.
constexpr qint64 kMaxQueueListBytes = 16 << 20;
// A database the program wrote; the format cannot describe much more.
constexpr qint64 kMaxQueuedFileBytes = qint64(1) << 30;

const QString kLastHotSyncFile = QStringLiteral("LastHotSync.txt");

QString folderProblem(const QString &folder) {
    return QStringLiteral("The HotSync folder %1 cannot be read.")
        .arg(QDir::toNativeSeparators(folder));
}

// A small settings file read whole, or empty when it is missing or is not a regular file
// (a pipe, a folder, a device, a broken link): such a file holds no user.
QByteArray settingsFile(const QString &path) {
    try {
        return SafeFile::readRegularIfPresent(path, kMaxSettingsBytes);
    } catch (const StoreError &) {
        return {}; // not a file we can read: it names no user, and nothing is written to it
    }
}

// The first line of a small text file, or empty when there is none.
QString firstLine(const QString &path) {
    const QByteArray bytes = settingsFile(path);
    const qsizetype end = bytes.indexOf('\n');
    return QString::fromUtf8(end < 0 ? bytes : bytes.left(end)).trimmed();
}

// A path for a message, in quotes, with its control characters written out (a line feed as
// \n) so that the message keeps its lines.
QString shownWithControls(const QString &path) {
    QString shown;
    for (const QChar c : path) {
        if (c == u'\n')
            shown += QStringLiteral("\\n");
        else if (c == u'\r')
            shown += QStringLiteral("\\r");
        else if (c == u'\t')
            shown += QStringLiteral("\\t");
        else if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return u'"' + shown + u'"';
}

QString jpilotUser(const QString &folder) {
    const QByteArray rc = settingsFile(folder + QStringLiteral("/jpilot.rc"));
    for (const QByteArray &raw : rc.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
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
    // LastHotSync.txt is the record of the last user, whatever stands in its place; a link
    // to anything but a folder is no user either.
    names.removeIf([this](const QString &n) {
        return n.startsWith(u'.') || n == kLastHotSyncFile ||
               SafeFile::probe(m_root + u'/' + n) != SafeFile::Kind::Directory;
    });
    return names;
}

QString PalmDesktopFolder::lastUser() const {
    return firstLine(m_root + u'/' + kLastHotSyncFile);
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

void PalmDesktopFolder::install(const QString &user, const QStringList &files,
                                FileSink &sink) const {
    const QString queue = userFolder(user) + QStringLiteral("/Install");
    // Everything is read before the queue is touched; the copies then go in as one unit.
    std::vector<SetFile> copies;
    QSet<QString> names;
    for (const QString &file : files) {
        const QString name = QFileInfo(file).fileName();
        if (names.contains(name))
            continue; // one copy per name: the queue holds files by name
        names.insert(name);
        copies.push_back({name, SafeFile::readRegular(file, kMaxQueuedFileBytes)});
    }
    if (copies.empty())
        return;
    sink.makeFolder(queue);
    writeSet(queue, copies, sink);
}

void PalmDesktopFolder::recoverQueue() const {
    QStringList names;
    try {
        names = users();
    } catch (const StoreError &) {
        return; // no users to look at; a queue left over is recovered at the next start
    }
    for (const QString &user : names) {
        const QString queue = m_root + u'/' + user + QStringLiteral("/Install");
        if (QFileInfo(queue).isDir())
            recoverIfIdle(queue);
    }
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

void JPilotFolder::install(const QString &user, const QStringList &files, FileSink &sink) const {
    Q_UNUSED(user);
    // The list is read only when it is a regular file: a pipe or device in its place fails
    // the queue at once instead of hanging or growing without end.
    QByteArray queue = SafeFile::readRegularIfPresent(m_folder + QStringLiteral("/jpilot.install"),
                                                      kMaxQueueListBytes);
    QSet<QByteArray> listed;
    for (const QByteArray &present : queue.split('\n'))
        listed.insert(present.trimmed());
    const qsizetype before = queue.size();
    for (const QString &file : files) {
        const QString entry = QFileInfo(file).absoluteFilePath();
        if (const QChar *bad =
                std::find_if(entry.cbegin(), entry.cend(),
                             [](QChar c) { return c.category() == QChar::Other_Control; });
            bad != entry.cend()) {
            // J-Pilot reads one path a line: a line break inside one would queue pieces of it.
            const QString folder = QFileInfo(entry).absolutePath();
            throw StoreError(
                QStringLiteral("The folder %1 cannot be queued for J-Pilot: its name holds a "
                               "line break or another control character, and J-Pilot's install "
                               "list holds one file name a line.  Save the plan to a folder "
                               "whose name has none, then install it from there.")
                    .arg(shownWithControls(QDir::toNativeSeparators(folder))));
        }
        if (!QFileInfo(entry).isFile()) {
            throw StoreError(
                QStringLiteral("The file %1 cannot be queued for HotSync: it does not exist.")
                    .arg(QDir::toNativeSeparators(entry)));
        }
        const QByteArray line = entry.toUtf8();
        if (listed.contains(line))
            continue; // queued already
        listed.insert(line);
        if (!queue.isEmpty() && !queue.endsWith('\n'))
            queue.append('\n');
        queue.append(line).append('\n');
    }
    if (queue.size() == before)
        return;
    // The whole list is written anew and replaces the old one only once it is complete.
    writeSet(m_folder, {SetFile{QStringLiteral("jpilot.install"), queue}}, sink);
}

void JPilotFolder::recoverQueue() const {
    if (QFileInfo(m_folder).isDir())
        recoverIfIdle(m_folder);
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
