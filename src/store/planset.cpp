#include "planset.h"

#include "prompter.h"
#include "safefile.h"
#include "setwriter.h"

#include <QDir>
#include <QFile>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Schema::DbId;

namespace {

const QString kDatabaseError = QStringLiteral("Database Error");

// The words each database is reported with when it cannot be read.
QString loadErrorText(DbId id) {
    switch (id) {
    case DbId::Party:
        return QStringLiteral("Error loading Party Database");
    case DbId::Guest:
        return QStringLiteral("Error loading Guest Database");
    case DbId::Plan:
        return QStringLiteral("Error loading Details Database");
    case DbId::Tasks:
        return QStringLiteral("Error loading Tasks Database");
    case DbId::RelTypes:
        return QStringLiteral("Error loading Relation-Type Database");
    case DbId::TimeFrames:
        return QStringLiteral("Error loading Timeframe Database");
    case DbId::Vendors:
        return QStringLiteral("Error loading Vendor Database");
    case DbId::VenTypes:
        return QStringLiteral("Error loading Vendor Type Database");
    case DbId::Tables:
        return QStringLiteral("Error loading Tables Database");
    }
    return {};
}

QString defaultFilePath(const QString &programFolder, const Schema::DatabaseInfo &info) {
    return programFolder + u'/' + Schema::kDefaultsFolder + u'/' + info.defaultFile;
}

FileTrouble::Kind troubleKind(const StoreError &error) {
    switch (error.cause()) {
    case StoreError::Cause::Unreadable:
        return FileTrouble::Kind::Unreadable;
    case StoreError::Cause::NewerFormat:
        return FileTrouble::Kind::Newer;
    case StoreError::Cause::Other:
    case StoreError::Cause::Busy:
        break;
    }
    return FileTrouble::Kind::Damaged;
}

std::unique_ptr<PalmDatabase> open(const TB4Server &server, const QString &path) {
    return server.OpenDatabase(path);
}

// Loads the nine databases from `folder`: each its own file, else its default seed, else a new
// one. `report` decides what a failure shows. Only a complete load replaces `set`.
void loadSet(PlanSet &set, const TB4Server &server, const QString &folder,
             const QString &programFolder,
             const std::function<void(DbId, const StoreError &, const FileTrouble *)> &report) {
    PlanSet fresh;
    fresh.pointPathsAt(folder);
    DiskState onDisk{folder, {}};
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        const QString path = fresh.path(info.id);
        // Taken before the file is read: a change while it is read counts as a change.
        if (!folder.isEmpty())
            onDisk.files[std::size_t(info.id)] = SafeFile::stamp(path);
        std::unique_ptr<PalmDatabase> db;
        const std::size_t troublesBefore = fresh.troubles().size();
        try {
            // Anything at the path counts as the file, so that a folder or a broken link in
            // its place is reported rather than taken for a missing file.
            if (SafeFile::probe(path) != SafeFile::Kind::Missing) {
                try {
                    db = open(server, path);
                } catch (const StoreError &error) {
                    fresh.noteTrouble({troubleKind(error), path, error.description()});
                    throw;
                }
            } else if (!info.defaultFile.isEmpty()) {
                const QString seed = defaultFilePath(programFolder, info);
                if (SafeFile::probe(seed) != SafeFile::Kind::Missing)
                    db = open(server, seed);
            }
        } catch (const StoreError &error) {
            // The plan stays usable; the unreadable file itself is not touched.
            report(info.id, error,
                   fresh.troubles().size() > troublesBefore ? &fresh.troubles().back() : nullptr);
        }
        fresh.setDatabase(info.id, db ? std::move(db) : server.NewDatabase());
    }
    if (!folder.isEmpty())
        fresh.setOnDisk(std::move(onDisk));
    set = std::move(fresh);
}

QString whatASaveDoes(const FileTrouble &trouble) {
    switch (trouble.kind) {
    case FileTrouble::Kind::Unreadable:
        return QStringLiteral("This plan cannot be saved into its folder until the file can be "
                              "read.");
    case FileTrouble::Kind::Damaged:
        return QStringLiteral("Before a save replaces it, a copy is kept beside it.");
    case FileTrouble::Kind::Newer:
        return QStringLiteral("A save asks before it replaces the file, and keeps a copy.");
    }
    return {};
}

} // namespace

bool PlanSet::isOpen() const {
    for (const auto &db : m_dbs) {
        if (!db)
            return false;
    }
    return true;
}

PalmDatabase &PlanSet::db(DbId id) {
    return const_cast<PalmDatabase &>(std::as_const(*this).db(id));
}

const PalmDatabase &PlanSet::db(DbId id) const {
    const auto &db = m_dbs[std::size_t(id)];
    if (!db)
        throw StoreError(QStringLiteral("No wedding plan is open."));
    return *db;
}

void PlanSet::setDatabase(DbId id, std::unique_ptr<PalmDatabase> db) {
    m_dbs[std::size_t(id)] = std::move(db);
}

void PlanSet::pointPathsAt(const QString &folder) {
    const auto names = setFileNames(folder);
    for (std::size_t i = 0; i < names.size(); ++i)
        m_paths[i] = folder.isEmpty() ? QString() : folder + u'/' + names[i];
}

void PlanSet::release() {
    for (auto &db : m_dbs)
        db.reset();
    m_onDisk.reset();
}

const FileTrouble *PlanSet::troubleAt(const QString &path) const {
    const QString wanted = QDir::cleanPath(path);
    for (const FileTrouble &trouble : m_troubles) {
        if (QDir::cleanPath(trouble.path) == wanted)
            return &trouble;
    }
    return nullptr;
}

void PlanSet::forgetTroubles(const QStringList &written) {
    std::erase_if(m_troubles, [&](const FileTrouble &trouble) {
        return written.contains(QDir::cleanPath(trouble.path));
    });
}

std::array<SafeFile::Stamp, Schema::kDatabaseCount>
stampsIn(const QString &folder, const std::array<QString, Schema::kDatabaseCount> &names) {
    std::array<SafeFile::Stamp, Schema::kDatabaseCount> stamps;
    for (std::size_t i = 0; i < names.size(); ++i)
        stamps[i] = SafeFile::stamp(folder + u'/' + names[i]);
    return stamps;
}

bool fileExists(const QString &path) {
    // Without O_NONBLOCK a named pipe in the file's place would hang the program here.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

std::array<QString, Schema::kDatabaseCount> setFileNames(const QString &folder) {
    // An empty folder (a Palm user without a backup folder) names no place to look in.
    const QStringList entries =
        folder.isEmpty() ? QStringList()
                         : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                      QDir::NoDotAndDotDot,
                                                  QDir::Name);
    std::array<QString, Schema::kDatabaseCount> names;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        QString name = info.fileName;
        if (!entries.contains(name)) {
            for (const QString &entry : entries) {
                if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                    name = entry;
                    break;
                }
            }
        }
        names[std::size_t(info.id)] = name;
    }
    return names;
}

void loadSetFromFolder(PlanSet &set, const TB4Server &server, const QString &folder,
                       const QString &programFolder, Prompter &prompter) {
    const FolderLock lock(folder,
                          QStringLiteral("Another copy of Vowline Desktop is saving the plan in "
                                         "%1 right now.  Open it again once that copy has "
                                         "finished.")
                              .arg(QDir::toNativeSeparators(folder)));
    try {
        recoverInterruptedSave(folder);
    } catch (const StoreError &error) {
        prompter.tell(error.description(), kDatabaseError, Prompter::Icon::Information);
    }
    loadSet(set, server, folder, programFolder,
            [&](DbId id, const StoreError &error, const FileTrouble *trouble) {
                QString text =
                    loadErrorText(id) + u'\r' + error.description() + u'\r' +
                    QStringLiteral("The file is left as it is; this plan opens without it.");
                if (trouble)
                    text += QStringLiteral("  ") + whatASaveDoes(*trouble);
                prompter.tell(text, kDatabaseError, Prompter::Icon::Information);
            });
}

void loadSetForPalmUser(PlanSet &set, const TB4Server &server, const QString &user,
                        const QString &programFolder, Prompter &prompter) {
    QString folder;
    try {
        folder = server.PalmUserBackupPath(user);
    } catch (const StoreError &) {
        // Without a backup folder every file is missing: the set starts from the defaults,
        // and its paths stay empty until a save gives it a folder (never the file-system root).
        folder = QString();
    }
    loadSet(set, server, folder, programFolder,
            [&](DbId id, const StoreError &, const FileTrouble *) {
                if (id != DbId::Tables)
                    prompter.tell(loadErrorText(id), kDatabaseError, Prompter::Icon::Information);
            });
}

void buildDefaultSet(PlanSet &target, const TB4Server &server, const QString &programFolder,
                     Prompter &prompter) {
    PlanSet set;
    struct Seed {
        DbId id;
        const char *missing;
    };
    static constexpr Seed kSeeds[] = {
        {DbId::Tasks, "There are no existing Wedding Tasks."},
        {DbId::RelTypes, "There are no existing Relation Types."},
        {DbId::TimeFrames, "There are no existing Timeframes."},
        {DbId::VenTypes, "There are no existing Vendor Types."},
    };
    for (const Seed &seed : kSeeds) {
        const QString path = defaultFilePath(programFolder, Schema::info(seed.id));
        set.setPath(seed.id, path);
        std::unique_ptr<PalmDatabase> db;
        if (fileExists(path)) {
            try {
                db = server.OpenDatabase(path);
            } catch (const StoreError &error) {
                prompter.tell(QString::fromLatin1(seed.missing) + u'\r' + error.description(),
                              kProgramTitle, Prompter::Icon::Information);
            }
        } else {
            prompter.tell(QString::fromLatin1(seed.missing), kProgramTitle,
                          Prompter::Icon::Information);
        }
        set.setDatabase(seed.id, db ? std::move(db) : server.NewDatabase());
    }
    for (DbId id : {DbId::Party, DbId::Guest, DbId::Vendors, DbId::Plan, DbId::Tables})
        set.setDatabase(id, server.NewDatabase());
    Schema::defineDetailsRecord(set.db(DbId::Plan));
    target = std::move(set);
}
