#include "setwriter.h"

#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
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
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw StoreError(file.errorString());
#ifdef Q_OS_UNIX
    // Only bytes that reached the disk may replace the old file. Devices and some file
    // systems cannot sync (EINVAL); their data went out with the flush.
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        throw StoreError(reason(std::error_code(errno, std::generic_category())));
#endif
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

void writeSet(const QString &folder, const std::vector<SetFile> &files, FileSink &sink) {
    // Hidden names with a random part: they never meet a file of the set, a leftover of an
    // interrupted save, or the "*.pdb" filter of the file dialogs.
    const QString tag = QString::number(QRandomGenerator::global()->generate64(), 36);
    std::vector<Step> steps;
    steps.reserve(files.size());
    for (const SetFile &file : files) {
        const QString hidden = folder + QStringLiteral("/.") + file.fileName + u'.' + tag;
        steps.push_back({folder + u'/' + file.fileName, hidden + QStringLiteral(".new"),
                         hidden + QStringLiteral(".old")});
    }

    auto fail = [&](const QString &description) {
        const QStringList stranded = rollBack(steps, sink);
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
        for (Step &step : steps) {
            sink.replace(step.temp, step.target);
            step.written = false;
            step.placed = true;
        }
    } catch (const StoreError &error) {
        fail(error.description());
    } catch (const std::exception &error) {
        fail(QString::fromLocal8Bit(error.what()));
    }

    // The set is in place; the second names of the old files are no longer needed.
    for (const Step &step : steps) {
        if (step.kept)
            sink.remove(step.backup);
    }
}
