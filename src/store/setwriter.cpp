#include "setwriter.h"

#include "safefile.h"
#include "schema.h"
#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <thread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

QString native(const QString &path) {
    return QDir::toNativeSeparators(path);
}

fs::path fsPath(const QString &path) {
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

QString reason(const std::error_code &error) {
    return QString::fromLocal8Bit(error.message());
}

bool present(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

struct Step {
    QString target;
    QString temp;
    QString backup;
    bool local = true;    // in the folder itself, not where a link of it points elsewhere
    bool written = false; // the new file waits under its temporary name
    bool kept = false;    // the old file has its second name
    bool placed = false;  // the new file has replaced the old one
};

// Undoes a failed set write. Returns the backups that could not be put back: they hold the
// only copy of an old file and are left where they are.
QStringList rollBack(std::vector<Step> &steps, FileSink &sink) {
    QStringList stranded;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->placed) {
            try {
                if (step->kept) {
                    sink.replace(step->backup, step->target);
                    step->kept = false;
                } else {
                    sink.remove(step->target); // there was no old file to put back
                }
            } catch (const StoreError &) {
                stranded << native(step->backup);
                step->kept = false;
            }
        }
        if (step->written)
            sink.remove(step->temp);
        if (step->kept)
            sink.remove(step->backup);
    }
    return stranded;
}

} // namespace

void FileSink::create(const QString &path, const QByteArray &bytes, const QString &target) {
    // Failures name the file the user knows, not the hidden temporary one.
    auto failure = [&](const QString &why) {
        return StoreError(
            QStringLiteral("The file %1 cannot be written: %2").arg(native(target), why));
    };
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw failure(file.errorString());
    try {
        fill(file, bytes);
        // The new file replaces the old one, so it should be as readable as that one was.
        const QFileInfo old(target);
        if (old.exists())
            file.setPermissions(old.permissions());
        file.close();
        if (file.error() != QFileDevice::NoError)
            throw StoreError(file.errorString());
    } catch (const StoreError &error) {
        file.close();
        QFile::remove(path);
        throw failure(error.description());
    } catch (...) {
        file.close();
        QFile::remove(path);
        throw;
    }
}

void FileSink::fill(QFileDevice &file, const QByteArray &bytes) {
    SafeFile::writeAll(file, bytes);
}

void FileSink::keep(const QString &path, const QString &backup) {
    std::error_code linkError;
    fs::create_hard_link(fsPath(path), fsPath(backup), linkError);
    if (!linkError)
        return;
    std::error_code copyError;
    if (fs::copy_file(fsPath(path), fsPath(backup), fs::copy_options::none, copyError))
        return;
    if (copyError != std::errc::file_exists) {
        std::error_code ignored;
        fs::remove(fsPath(backup), ignored); // a partial copy
    }
    throw StoreError(QStringLiteral("The file %1 cannot be kept while it is replaced: %2")
                         .arg(native(path), reason(copyError)));
}

void FileSink::replace(const QString &from, const QString &to) {
    std::error_code error;
    fs::rename(fsPath(from), fsPath(to), error);
    if (error) {
        throw StoreError(
            QStringLiteral("The file %1 cannot be replaced: %2").arg(native(to), reason(error)));
    }
}

bool FileSink::remove(const QString &path) {
    std::error_code error;
    fs::remove(fsPath(path), error);
    return !error;
}

void FileSink::makeFolder(const QString &folder) {
    std::error_code error;
    fs::create_directories(fsPath(folder), error);
    if (error || !QFileInfo(folder).isDir()) {
        throw StoreError(
            QStringLiteral("The folder %1 cannot be created: %2")
                .arg(native(folder), error ? reason(error) : QStringLiteral("it is a file")));
    }
}

void FileSink::syncFolder(const QString &folder) {
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // a folder that cannot be opened cannot be synced either; the renames stand
    const bool failed = ::fsync(fd) != 0 && errno != EINVAL;
    const int error = errno;
    ::close(fd);
    if (failed) {
        throw StoreError(
            QStringLiteral("The folder %1 cannot be written to the disk: %2")
                .arg(native(folder), reason(std::error_code(error, std::generic_category()))));
    }
#else
    Q_UNUSED(folder);
#endif
}

// --- The folder lock ---------------------------------------------------------------------------

namespace {

const QString kLockFile = QStringLiteral(".VowlineSave.lock");

// The folders this copy holds locked, by canonical path: the descriptor and how often taken.
struct HeldLock {
    int fd;
    int depth;
};
std::map<QString, HeldLock> &heldLocks() {
    static std::map<QString, HeldLock> held;
    return held;
}

std::chrono::milliseconds g_lockWait{5000};

// True when this copy holds the folder locked.
bool lockedHere(const QString &folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return !canonical.isEmpty() && heldLocks().count(canonical) > 0;
}

// True when the open file is still the one at `path` (the copy that held the lock before may
// have removed it as it let go).
bool stillThere(int fd, const QByteArray &path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

FolderLock::FolderLock(const QString &folder, const QString &busy)
    : FolderLock(folder, busy, g_lockWait) {
}

FolderLock::FolderLock(const QString &folder, const QString &busy, std::chrono::milliseconds wait) {
#ifdef Q_OS_UNIX
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return;
    auto &held = heldLocks();
    if (const auto it = held.find(canonical); it != held.end()) {
        ++it->second.depth;
        m_folder = canonical;
        return;
    }
    const QByteArray path = QFile::encodeName(canonical + u'/' + kLockFile);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const int fd =
            ::open(path.constData(),
                   O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644);
        if (fd < 0)
            return;
        struct stat st {};
        bool locked = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        while (locked && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK) {
                locked = false; // a file system that keeps no locks
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                throw StoreError(busy.isEmpty()
                                     ? QStringLiteral("Another copy of Vowline Desktop is writing "
                                                      "files in %1 right now.  Nothing was "
                                                      "changed; try again once it has finished.")
                                           .arg(native(folder))
                                     : busy,
                                 StoreError::Cause::Busy);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!locked) {
            ::close(fd);
            return;
        }
        if (stillThere(fd, path)) {
            held.emplace(canonical, HeldLock{fd, 1});
            m_folder = canonical;
            return;
        }
        ::close(fd); // locked a file on its way out: take the one there now
    }
#else
    Q_UNUSED(folder);
    Q_UNUSED(busy);
    Q_UNUSED(wait);
#endif
}

FolderLock::~FolderLock() {
#ifdef Q_OS_UNIX
    if (m_folder.isEmpty())
        return;
    auto &held = heldLocks();
    const auto it = held.find(m_folder);
    if (it == held.end() || --it->second.depth > 0)
        return;
    // Removed while it is still held, so that the next copy finds it gone and makes a new one
    // rather than locking this one after it is let go.
    ::unlink(QFile::encodeName(m_folder + u'/' + kLockFile).constData());
    ::close(it->second.fd);
    held.erase(it);
#endif
}

std::chrono::milliseconds FolderLock::wait() {
    return g_lockWait;
}

void FolderLock::setWait(std::chrono::milliseconds wait) {
    g_lockWait = wait;
}

// --- The journal -------------------------------------------------------------------------------

namespace {

/*
 * The save journal. The new files are written under hidden temporary names and the old ones
 * get hidden second names (hard links) first; then the journal is written, synced and renamed
 * into place as ".VowlineSave.journal" in the folder. From that moment the save counts as
 * done: the renames follow, then the second names and the journal are removed.
 *
 *   line 1       "VowlineSave 2 forward"  (or "back" while a failed save is being undone)
 *   then         one line per file: target, temporary file, second name of the old file
 *                (empty when there was none), separated by tabs, UTF-8. A file in the folder
 *                is named by its name alone, so the journal holds wherever the folder is moved
 *                (a renamed folder, a removable disk mounted elsewhere); the file a link points
 *                to in another folder, and the hidden files beside it, by absolute paths.
 *
 * Version 1 named every file by its absolute path. Read now, a name that points into another
 * folder means the file of that name in this folder when the save's hidden files are found
 * here, or when that other folder no longer exists (the folder was moved); else it is the
 * target of a link, as it was written.
 *
 * After a crash, loading or saving that folder finishes the job: with a journal "forward" the
 * waiting temporary files are renamed into place; with "back" the old files are put back.
 * Without a journal the save never got that far: hidden leftovers are removed and the old
 * files stand as they were.
 */
const QString kJournal = QStringLiteral(".VowlineSave.journal");
const QByteArray kJournalHead = "VowlineSave 2 ";
const QByteArray kAbsoluteJournalHead = "VowlineSave 1 ";

QString journalPath(const QString &folder) {
    return folder + u'/' + kJournal;
}

// The hidden names of a save: "." + file name + "." + tag + ".new" or ".old".
const QRegularExpression &leftoverName() {
    static const QRegularExpression re(QStringLiteral("^\\.(.+)\\.[0-9a-z]+\\.(new|old)$"));
    return re;
}

// The files this program writes as a unit: the nine of a set (in any letter case), the
// journal's own temporary file, and what the HotSync queues hold.
bool isOurFileName(const QString &name) {
    for (const QString &ours : {QStringLiteral("VowlineSave"), QStringLiteral("VowlineInstall.prc"),
                                QStringLiteral("jpilot.install")}) {
        if (name.compare(ours, Qt::CaseInsensitive) == 0)
            return true;
    }
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        if (name.compare(info.fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray journalText(const std::vector<Step> &steps, bool forward) {
    QByteArray text = kJournalHead + (forward ? "forward" : "back") + '\n';
    for (const Step &step : steps) {
        auto name = [&](const QString &path) {
            return (step.local ? QFileInfo(path).fileName() : path).toUtf8();
        };
        text += name(step.target) + '\t' + name(step.temp) + '\t' +
                (step.kept ? name(step.backup) : QByteArray()) + '\n';
    }
    return text;
}

// Writes the journal in one step: a temporary file, synced, renamed into place.
void writeJournal(const QString &folder, const QString &tag, const std::vector<Step> &steps,
                  bool forward, FileSink &sink) {
    const QString temp = folder + QStringLiteral("/.VowlineSave.") + tag + QStringLiteral(".new");
    sink.create(temp, journalText(steps, forward), journalPath(folder));
    try {
        sink.replace(temp, journalPath(folder));
    } catch (...) {
        sink.remove(temp);
        throw;
    }
    sink.syncFolder(folder);
}

// The paths a journal line names, read in `folder`; false when a name is not one a journal
// holds.
bool resolveNames(const QString &folder, bool absolute, std::array<QString, 3> &names) {
    for (QString &name : names) {
        if (name.isEmpty())
            continue;
        if (name == u"." || name == u"..")
            return false;
        if (!name.contains(u'/')) {
            if (absolute)
                return false;
            name = folder + u'/' + name;
        } else if (!QFileInfo(name).isAbsolute()) {
            return false;
        }
    }
    if (!absolute)
        return true;
    // An older journal: a save of this folder made before it was moved names the old place.
    const QString there = QFileInfo(names[0]).absolutePath();
    if (SafeFile::sameFolder(there, folder))
        return true;
    auto here = [&](const QString &path) {
        return path.isEmpty() ? QString() : folder + u'/' + QFileInfo(path).fileName();
    };
    auto anyPresent = [](const QString &temp, const QString &backup) {
        return present(temp) || (!backup.isEmpty() && present(backup));
    };
    if (anyPresent(here(names[1]), here(names[2])) ||
        (!anyPresent(names[1], names[2]) && !QFileInfo(there).isDir())) {
        for (QString &name : names)
            name = here(name);
    }
    return true;
}

// The steps a journal lists, or nothing when it is not one of ours: every temporary name and
// second name must sit beside its target and be named after it.
std::optional<std::pair<bool, std::vector<Step>>> readJournal(const QString &folder) {
    QByteArray text;
    try {
        text = SafeFile::readRegular(journalPath(folder), 64 * 1024);
    } catch (const StoreError &) {
        // No journal we can read is no journal of ours: the folder's files are left as they are.
        return std::nullopt;
    }
    QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty())
        return std::nullopt;
    const bool absolute = lines.front().startsWith(kAbsoluteJournalHead);
    if (!absolute && !lines.front().startsWith(kJournalHead))
        return std::nullopt;
    const QByteArray direction = lines.front().mid(kJournalHead.size());
    if (direction != "forward" && direction != "back")
        return std::nullopt;
    std::vector<Step> steps;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QList<QByteArray> parts = lines[i].split('\t');
        if (parts.size() != 3)
            return std::nullopt;
        std::array<QString, 3> names{QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]),
                                     QString::fromUtf8(parts[2])};
        if (names[0].isEmpty() || !resolveNames(folder, absolute, names))
            return std::nullopt;
        Step step{names[0], names[1], names[2]};
        const QFileInfo target(step.target);
        const QString hidden =
            target.absolutePath() + QStringLiteral("/.") + target.fileName() + u'.';
        auto besideTarget = [&](const QString &name, const QString &suffix) {
            return name.startsWith(hidden) && name.endsWith(suffix) &&
                   leftoverName().match(QFileInfo(name).fileName()).hasMatch();
        };
        if (!besideTarget(step.temp, QStringLiteral(".new")) ||
            (!step.backup.isEmpty() && !besideTarget(step.backup, QStringLiteral(".old"))))
            return std::nullopt;
        step.kept = !step.backup.isEmpty();
        steps.push_back(step);
    }
    return std::make_pair(direction == "forward", steps);
}

// Completes a save whose journal says it was done: the waiting new files go into place.
void rollForward(const std::vector<Step> &steps, FileSink &sink) {
    for (const Step &step : steps) {
        if (present(step.temp))
            sink.replace(step.temp, step.target);
    }
    for (const Step &step : steps) {
        if (step.kept && present(step.backup) && !sink.remove(step.backup))
            throw StoreError(QStringLiteral("%1 cannot be removed.").arg(native(step.backup)));
    }
}

// Undoes a save that failed after its journal was written: the old files go back.
void rollBackJournal(const std::vector<Step> &steps, FileSink &sink) {
    for (const Step &step : steps) {
        const bool placed = !present(step.temp);
        if (step.kept && present(step.backup))
            sink.replace(step.backup, step.target);
        else if (!step.kept && placed)
            sink.remove(step.target); // there was no old file
        if (!placed)
            sink.remove(step.temp);
    }
}

// A hidden file of a save that never reached its journal, and the file it was made for.
struct Leftover {
    QString path;
    QString target;
    bool old; // the second name of an old file, not a new file
};

// The leftovers of interrupted saves in `folder`, and beside the files its links point to
// (a save writes through a link, so its hidden files are made beside the link's target).
std::vector<Leftover> leftoversIn(const QString &folder) {
    std::vector<Leftover> found;
    QSet<QString> seen;
    auto scan = [&](const QString &where, auto belongs) {
        const QStringList names =
            QDir(where).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString &name : names) {
            const auto match = leftoverName().match(name);
            const QString path = where + u'/' + name;
            if (!match.hasMatch() || !belongs(match.captured(1)) || seen.contains(path))
                continue;
            seen.insert(path);
            found.push_back({path, where + u'/' + match.captured(1), match.captured(2) == u"old"});
        }
    };
    scan(folder, isOurFileName);
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        const QFileInfo link(folder + u'/' + name);
        if (!isOurFileName(name) || !link.isSymLink())
            continue;
        const QString canonical = link.canonicalFilePath();
        const QFileInfo target(canonical.isEmpty() ? link.symLinkTarget() : canonical);
        if (target.fileName().isEmpty())
            continue;
        scan(target.absolutePath(), [&](const QString &of) { return of == target.fileName(); });
    }
    return found;
}

// True when a save or a queue was interrupted in `folder`: its journal, its hidden files, or
// the lock file of a copy that ended without removing it are still there.
bool interrupted(const QString &folder) {
    return SafeFile::probe(journalPath(folder)) != SafeFile::Kind::Missing ||
           (SafeFile::probe(folder + u'/' + kLockFile) != SafeFile::Kind::Missing &&
            !lockedHere(folder)) ||
           !leftoversIn(folder).empty();
}

// recoverInterruptedSave with the folder locked.
void recoverLocked(const QString &folder) {
    FileSink disk;
    const QString journal = journalPath(folder);
    QStringList touched; // the folders whose names changed, to be synced
    if (SafeFile::probe(journal) == SafeFile::Kind::Regular) {
        touched << folder;
        const auto read = readJournal(folder);
        if (read) {
            try {
                if (read->first)
                    rollForward(read->second, disk);
                else
                    rollBackJournal(read->second, disk);
            } catch (const StoreError &error) {
                throw StoreError(
                    QStringLiteral("An interrupted save in %1 could not be completed: %2")
                        .arg(native(folder), error.description()));
            }
        }
        disk.remove(journal);
    }
    // What is left are the hidden files of a save that never reached its journal: the old
    // files are still in place.
    for (const Leftover &leftover : leftoversIn(folder)) {
        if (leftover.old && !present(leftover.target))
            disk.replace(leftover.path, leftover.target); // never happens in order, but it is
                                                          // the only copy
        else
            disk.remove(leftover.path);
        const QString where = QFileInfo(leftover.path).absolutePath();
        if (!touched.contains(where))
            touched << where;
    }
    for (const QString &where : touched)
        disk.syncFolder(where);
}

} // namespace

void recoverInterruptedSave(const QString &folder) {
    if (!interrupted(folder))
        return;
    FolderLock lock(folder);
    recoverLocked(folder);
}

void recoverIfIdle(const QString &folder) noexcept {
    try {
        if (!interrupted(folder))
            return;
        FolderLock lock(folder, QString(), std::chrono::milliseconds(0));
        recoverLocked(folder);
    } catch (const std::exception &) {
        // Busy, or the repair failed: the next write there repairs it or reports why not.
    }
}

void writeSet(const QString &folder, const std::vector<SetFile> &files, FileSink &sink) {
    FolderLock lock(folder);
    recoverInterruptedSave(folder);
    // Hidden names with a random part: they never meet a file of the set or the "*.pdb"
    // filter of the file dialogs. A file that is a link is written through to where it points,
    // so the new file is made beside that one and the link stays a link.
    const QString tag = QString::number(QRandomGenerator::global()->generate64(), 36);
    std::vector<Step> steps;
    steps.reserve(files.size());
    for (const SetFile &file : files) {
        QString target = folder + u'/' + file.fileName;
        bool local = true;
        const QFileInfo info(target);
        if (info.isSymLink() && !info.canonicalFilePath().isEmpty()) {
            target = info.canonicalFilePath();
            local = SafeFile::sameFolder(QFileInfo(target).absolutePath(), folder);
        }
        const QFileInfo real(target);
        const QString hidden =
            real.absolutePath() + QStringLiteral("/.") + real.fileName() + u'.' + tag;
        steps.push_back(
            {target, hidden + QStringLiteral(".new"), hidden + QStringLiteral(".old"), local});
    }

    bool committed = false;
    auto fail = [&](const QString &description) {
        if (committed) {
            // The journal says "done": turn it round first, so that a crash while the old files
            // go back finishes putting them back.
            try {
                writeJournal(folder, tag, steps, false, sink);
            } catch (const StoreError &) {
                // The roll-back below still runs; a journal left saying "done" only means the
                // next start finishes with the new files, which are complete.
            }
        }
        const QStringList stranded = rollBack(steps, sink);
        if (committed && stranded.isEmpty())
            sink.remove(journalPath(folder));
        if (stranded.isEmpty())
            throw StoreError(description);
        throw StoreError(description + u'\r' +
                         QStringLiteral("Some previous files could not be put back and are "
                                        "kept as: %1")
                             .arg(stranded.join(QStringLiteral(", "))));
    };

    try {
        for (std::size_t i = 0; i < files.size(); ++i) {
            sink.create(steps[i].temp, files[i].bytes, steps[i].target);
            steps[i].written = true;
        }
        for (Step &step : steps) {
            if (present(step.target)) {
                sink.keep(step.target, step.backup);
                step.kept = true;
            }
        }
        writeJournal(folder, tag, steps, true, sink);
        committed = true;
        QStringList folders;
        for (Step &step : steps) {
            sink.replace(step.temp, step.target);
            step.written = false;
            step.placed = true;
            const QString where = QFileInfo(step.target).absolutePath();
            if (!folders.contains(where))
                folders << where;
        }
        for (const QString &where : folders)
            sink.syncFolder(where);
    } catch (const StoreError &error) {
        fail(error.description());
    } catch (const std::exception &error) {
        fail(QString::fromLocal8Bit(error.what()));
    }

    // The set is in place; the second names of the old files and the journal go last.
    for (const Step &step : steps) {
        if (step.kept)
            sink.remove(step.backup);
    }
    sink.remove(journalPath(folder));
    try {
        sink.syncFolder(folder);
    } catch (const StoreError &) {
        // The new set is in place; a leftover is cleaned up by the next load.
    }
}
