#include "planset.h"

#include "planview.h"
#include "prompter.h"

#include <QDir>
#include <QFile>
#include <functional>

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

// Opens one database of a set: its own file, else its default seed, else a new one.
std::unique_ptr<PalmDatabase> openOrSeed(const TB4Server &server, const QString &path,
                                         const Schema::DatabaseInfo &info,
                                         const QString &programFolder) {
    if (fileExists(path))
        return server.OpenDatabase(path);
    if (!info.defaultFile.isEmpty()) {
        const QString seed = defaultFilePath(programFolder, info);
        if (fileExists(seed))
            return server.OpenDatabase(seed);
    }
    return server.NewDatabase();
}

// Loads the nine databases in order from `folder`; `report` decides what a failure shows.
void loadSet(PlanSet &set, const TB4Server &server, const QString &folder,
             const QString &programFolder,
             const std::function<void(DbId, const StoreError &)> &report) {
    set.pointPathsAt(folder);
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        try {
            set.setDatabase(info.id, openOrSeed(server, set.path(info.id), info, programFolder));
        } catch (const StoreError &error) {
            // The plan stays usable; the unreadable file itself is not touched.
            set.setDatabase(info.id, server.NewDatabase());
            report(info.id, error);
        }
    }
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
    for (const Schema::DatabaseInfo &info : Schema::kDatabases)
        m_paths[std::size_t(info.id)] = folder + u'/' + info.fileName;
}

void PlanSet::release() {
    for (auto &db : m_dbs)
        db.reset();
}

bool fileExists(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

void loadSetFromFolder(PlanSet &set, const TB4Server &server, const QString &folder,
                       const QString &programFolder, Prompter &prompter) {
    loadSet(set, server, folder, programFolder, [&](DbId id, const StoreError &error) {
        prompter.tell(loadErrorText(id) + u'\r' + error.description() + u'\r' +
                          QStringLiteral("The file is left as it is; this plan opens without it."),
                      kDatabaseError, Prompter::Icon::Information);
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
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            set.setPath(info.id, QString());
            try {
                set.setDatabase(info.id, openOrSeed(server, QString(), info, programFolder));
            } catch (const StoreError &) {
                set.setDatabase(info.id, server.NewDatabase());
            }
        }
        return;
    }
    loadSet(set, server, folder, programFolder, [&](DbId id, const StoreError &) {
        if (id != DbId::Tables)
            prompter.tell(loadErrorText(id), kDatabaseError, Prompter::Icon::Information);
    });
}

void buildDefaultSet(PlanSet &set, const TB4Server &server, const QString &programFolder,
                     Prompter &prompter) {
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
}

void refreshPlan(PlanSet &set, const TB4Server &server, const QString &programFolder,
                 bool buildDefault, PlanView &view, Prompter &prompter) {
    if (buildDefault) {
        buildDefaultSet(set, server, programFolder, prompter);
        // A fresh plan has nothing a refresh could stumble on; should one fail all the same,
        // the others still run.
        for (auto refresh :
             {&PlanView::FillFilterBoxes, &PlanView::RefreshCaption, &PlanView::UpdateDetails,
              &PlanView::UpdateGuestGrid, &PlanView::UpdatePartyGrid, &PlanView::UpdateVendorsGrid,
              &PlanView::UpdateTasks, &PlanView::UpdatePayments, &PlanView::UpdateTableGrid}) {
            try {
                (view.*refresh)();
            } catch (const std::exception &) {
            }
        }
        return;
    }

    view.FillFilterBoxes();
    view.RefreshCaption();
    const QString title = QStringLiteral("Vowline Dekstop");
    const QString listError = QStringLiteral(
        "There was an error updating the %1 for the interface.  If the problem continues, please "
        "contact the developer.");
    struct Step {
        void (PlanView::*refresh)();
        QString message; // empty: the error is dropped without a word
    };
    const Step steps[] = {
        {&PlanView::UpdateDetails,
         QStringLiteral(
             "There are currently no Wedding Details associated with this Wedding Plan.  "
             "If this is a new wedding plan, or your first time to run Vowline Desktop, "
             "you may ignore this message.")},
        {&PlanView::UpdatePartyGrid, listError.arg(QStringLiteral("Wedding Party List"))},
        {&PlanView::UpdateGuestGrid, listError.arg(QStringLiteral("Wedding Guests List"))},
        {&PlanView::UpdateVendorsGrid, listError.arg(QStringLiteral("Wedding Vendors List"))},
        {&PlanView::SortTasks, QString()},
        {&PlanView::UpdateTasks, listError.arg(QStringLiteral("Wedding Tasks List"))},
        {&PlanView::UpdatePayments, listError.arg(QStringLiteral("Wedding Payments List"))},
        {&PlanView::UpdateTableGrid, listError.arg(QStringLiteral("list of tables"))},
    };
    for (const Step &step : steps) {
        try {
            (view.*step.refresh)();
        } catch (const std::exception &) {
            if (!step.message.isEmpty())
                prompter.tell(step.message, title, Prompter::Icon::Information);
        }
    }
}
