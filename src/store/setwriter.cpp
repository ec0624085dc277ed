#include "setwriter.h"

#include "safefile.h"
#include "schema.h"
#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <filesystem>
#include <optional>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
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

namespace {

/*
 * The save journal. The nine new files are written under hidden temporary names and the old
 * ones get hidden second names (hard links) first; then the journal is written, synced and
 * renamed into place as ".VowlineSave.journal" in the set's folder. From that moment the save
 * counts as done: the renames follow, then the second names and the journal are removed.
 *
 *   line 1       "VowlineSave 1 forward"  (or "back" while a failed save is being undone)
 *   then         one line per file: target, temporary file, second name of the old file
 *                (empty when there was none), separated by tabs; absolute paths, UTF-8
 *
 * After a crash, loading or saving that folder finishes the job: with a journal "forward" the
 * waiting temporary files are renamed into place; with "back" the old files are put back.
 * Without a journal the save never got that far: hidden leftovers are removed and the old
 * files stand as they were.
 */
const QString kJournal = QStringLiteral(".VowlineSave.journal");
const QByteArray kJournalHead = "VowlineSave 1 ";

QString journalPath(const QString &folder) {
    return folder + u'/' + kJournal;
}

// The hidden names of a save: "." + file name + "." + tag + ".new" or ".old".
const QRegularExpression &leftoverName() {
    static const QRegularExpression re(QStringLiteral("^\\.(.+)\\.[0-9a-z]+\\.(new|old)$"));
    return re;
}

bool isSetFileName(const QString &name) {
    if (name.compare(QStringLiteral("VowlineSave"), Qt::CaseInsensitive) == 0)
        return true;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        if (name.compare(info.fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray journalText(const std::vector<Step> &steps, bool forward) {
    QByteArray text = kJournalHead + (forward ? "forward" : "back") + '\n';
    for (const Step &step : steps) {
        text += step.target.toUtf8() + '\t' + step.temp.toUtf8() + '\t' +
                (step.kept ? step.backup.toUtf8() : QByteArray()) + '\n';
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

// The steps a journal lists, or nothing when it is not one of ours: every temporary name and
// second name must sit beside its target and be named after it.
std::optional<std::pair<bool, std::vector<Step>>> readJournal(const QString &path) {
    QByteArray text;
    try {
        text = SafeFile::readRegular(path, 64 * 1024);
    } catch (const StoreError &) {
        return std::nullopt;
    }
    QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || !lines.front().startsWith(kJournalHead))
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
        Step step{QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]),
                  QString::fromUtf8(parts[2])};
        const QFileInfo target(step.target);
        const QString hidden =
            target.absolutePath() + QStringLiteral("/.") + target.fileName() + u'.';
        auto besideTarget = [&](const QString &name, const QString &suffix) {
            return name.startsWith(hidden) && name.endsWith(suffix) &&
                   leftoverName().match(QFileInfo(name).fileName()).hasMatch();
        };
        if (!target.isAbsolute() || !besideTarget(step.temp, QStringLiteral(".new")) ||
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

} // namespace

void recoverInterruptedSave(const QString &folder) {
    FileSink disk;
    const QString journal = journalPath(folder);
    if (SafeFile::probe(journal) == SafeFile::Kind::Regular) {
        const auto read = readJournal(journal);
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
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        const auto match = leftoverName().match(name);
        if (!match.hasMatch() || !isSetFileName(match.captured(1)))
            continue;
        const QString path = folder + u'/' + name;
        const QString target = folder + u'/' + match.captured(1);
        if (match.captured(2) == u"old" && !present(target))
            disk.replace(path, target); // never happens in order, but it is the only copy
        else
            disk.remove(path);
    }
    disk.syncFolder(folder);
}

void writeSet(const QString &folder, const std::vector<SetFile> &files, FileSink &sink) {
    recoverInterruptedSave(folder);
    // Hidden names with a random part: they never meet a file of the set or the "*.pdb"
    // filter of the file dialogs. A file that is a link is written through to where it points,
    // so the new file is made beside that one and the link stays a link.
    const QString tag = QString::number(QRandomGenerator::global()->generate64(), 36);
    std::vector<Step> steps;
    steps.reserve(files.size());
    for (const SetFile &file : files) {
        QString target = folder + u'/' + file.fileName;
        const QFileInfo info(target);
        if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
            target = info.canonicalFilePath();
        const QFileInfo real(target);
        const QString hidden =
            real.absolutePath() + QStringLiteral("/.") + real.fileName() + u'.' + tag;
        steps.push_back({target, hidden + QStringLiteral(".new"), hidden + QStringLiteral(".old")});
    }

    bool committed = false;
    auto fail = [&](const QString &description) {
        if (committed) {
            // The journal says "done": turn it round first, so that a crash while the old files
            // go back finishes putting them back.
            try {
                writeJournal(folder, tag, steps, false, sink);
            } catch (const StoreError &) {
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
