#include "saving.h"

#include "appstate.h"
#include "rules/details.h"
#include "store/pdbcontainer.h"
#include "store/safefile.h"
#include "store/setwriter.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

using Schema::DbId;

namespace Saving {

namespace {

const QString kSaveAsFilter = QStringLiteral("Vowline Database Files (*.pdb)|VowlineDB.pdb");
const auto kExclamation = Prompter::Icon::Exclamation;

QString native(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// Makes sure the plan has a name to show on the handheld. False when the user gave none.
bool ensurePlanName(Plan &plan, Prompter &ask) {
    if (!DetailsRecord::planName(plan.db(DbId::Plan)).trimmed().isEmpty())
        return true;
    ask.tell(QStringLiteral("You must enter a name for this Wedding Plan.  This is the name to be "
                            "displayed on the main Vowline screen on your handheld."),
             QStringLiteral("Missing Data"), kExclamation);
    const auto name = ask.input(QStringLiteral("This Wedding Plan is for whom?") + u'\r' +
                                    QStringLiteral("ex: Romeo & Juliet"),
                                QStringLiteral("Enter Name"));
    if (!name || name->trimmed().isEmpty())
        return false;
    // Part of the save: written with it, not an edit to undo on its own.
    plan.applyQuietly(
        [&](PlanEdit &edit) { DetailsRecord::store(edit, Schema::Details::kOwner, *name); });
    return true;
}

enum class FolderChoice { Write, Stop, SaveAsInstead };

// Picks the per-user folder of a plan that has no folder yet, asking for the user name when
// there is no Palm user and before writing over another plan of that user.
FolderChoice choosePerUserFolder(AppState &s, SaveHost &host, QString &folder) {
    Prompter &ask = s.prompter();
    QString user = s.currentPalmUser();
    if (user.isEmpty()) {
        user = ask.input(QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
                         QStringLiteral("User Name"))
                   .value_or(QString());
        if (user.trimmed().isEmpty()) {
            ask.tell(QStringLiteral("Databases were NOT saved."), QStringLiteral("Error"),
                     kExclamation);
            return FolderChoice::Stop;
        }
    }
    // The name becomes a folder name: one that would point elsewhere (or nowhere) is refused
    // before anything is created.
    if (!usableUserName(user)) {
        ask.tell(QStringLiteral("The User Name becomes the name of a folder, so it cannot "
                                "contain / or \\ or control characters, cannot be \".\" or "
                                "\"..\", and cannot begin or end with a blank.") +
                     u'\r' + QStringLiteral("Databases were NOT saved."),
                 QStringLiteral("User Name"), kExclamation);
        return FolderChoice::Stop;
    }
    s.setCurrentPalmUser(user);

    folder = s.usersFolder() + u'/' + user;
    if (!QFileInfo::exists(folder))
        return FolderChoice::Write;
    const auto answer =
        ask.message(QStringLiteral("The User Name, ") + user +
                        QStringLiteral(", already exists.  Do you want to "
                                       "overwrite the data?"),
                    QStringLiteral("Overwrite Data"), kExclamation, Prompter::Buttons::YesNoCancel);
    if (answer == Prompter::Answer::Yes)
        return FolderChoice::Write;
    s.setCurrentPalmUser(host.palmUserBoxEnabled() ? host.palmUserBoxText() : QString());
    s.currentSetFolder.clear();
    return answer == Prompter::Answer::No ? FolderChoice::SaveAsInstead : FolderChoice::Stop;
}

// The folder as the file system knows it, also when it does not exist yet.
QString realFolder(const QString &folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// The program folder and its default lists are the program's own: a plan never goes there.
void refuseProgramFolder(const AppState &s, const QString &folder) {
    const QString target = realFolder(folder);
    const QString defaults = realFolder(s.defaultsFolder());
    if (target == realFolder(s.programFolder) || target == defaults ||
        target.startsWith(defaults + u'/')) {
        throw StoreError(QStringLiteral("%1 is the program's own folder, which holds its default "
                                        "lists; a plan is never saved there.  Choose another "
                                        "folder.")
                             .arg(native(folder)));
    }
}

bool readOnly(const QString &path) {
    // The permission bits are checked themselves: an administrator could write anyway, but
    // the user marked the file as one not to be changed.
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::access(name.constData(), W_OK) != 0;
}

// The second name under which a file the plan could not use is kept: what it is and the day.
QString keptName(const QString &path, FileTrouble::Kind kind) {
    const QString base = path +
                         (kind == FileTrouble::Kind::Newer ? QStringLiteral(".newer-")
                                                           : QStringLiteral(".damaged-")) +
                         QDate::currentDate().toString(Qt::ISODate);
    QString name = base;
    for (int n = 2; SafeFile::probe(name) != SafeFile::Kind::Missing; ++n)
        name = base + u'-' + QString::number(n);
    return name;
}

// Checks what stands where the nine files go before anything is written. What is not a file,
// cannot be read or is read-only stops the save (StoreError); a file this plan could not read
// stops it too. A damaged file, or one of a newer version when the user agrees, is kept under a
// second name first. False when the user declines to replace a newer file.
bool protectExisting(const QString &folder,
                     const std::array<QString, Schema::kDatabaseCount> &names, const PlanSet &set,
                     Prompter &ask, FileSink &sink) {
    QStringList refusals;
    struct Keep {
        QString path;
        QString copy;
        FileTrouble::Kind kind;
    };
    std::vector<Keep> keeps;
    for (const QString &name : names) {
        const QString path = folder + u'/' + name;
        const SafeFile::Kind kind = SafeFile::probe(path);
        if (kind == SafeFile::Kind::Missing)
            continue;
        if (kind != SafeFile::Kind::Regular) {
            refusals << QStringLiteral("%1 is not a file: it is %2.")
                            .arg(native(path), SafeFile::describe(kind));
        } else if (!fileExists(path)) {
            refusals << QStringLiteral("%1 cannot be read.").arg(native(path));
        } else if (readOnly(path)) {
            refusals << QStringLiteral("%1 is read-only.").arg(native(path));
        } else if (const FileTrouble *trouble = set.troubleAt(path)) {
            if (trouble->kind == FileTrouble::Kind::Unreadable) {
                refusals << QStringLiteral("%1 could not be read when this plan was opened; open "
                                           "the plan again once it can be read.")
                                .arg(native(path));
            } else {
                keeps.push_back({path, keptName(path, trouble->kind), trouble->kind});
            }
        }
    }
    if (!refusals.isEmpty()) {
        throw StoreError(refusals.join(u'\r') + u'\r' +
                         QStringLiteral("These files are left as they are; nothing was saved."));
    }
    for (const Keep &keep : keeps) {
        if (keep.kind != FileTrouble::Kind::Newer)
            continue;
        const auto answer = ask.message(
            QStringLiteral("%1 was written by a newer version of Vowline Desktop, so this plan "
                           "holds none of its records.  Saving replaces it; the file is kept as "
                           "%2.  Do you want to replace it?")
                .arg(native(keep.path), native(keep.copy)),
            QStringLiteral("Replace Newer File?"), kExclamation, Prompter::Buttons::YesNo);
        if (answer != Prompter::Answer::Yes)
            return false;
    }
    QStringList told;
    for (const Keep &keep : keeps) {
        sink.keep(keep.path, keep.copy);
        if (keep.kind == FileTrouble::Kind::Damaged)
            told << QStringLiteral("%1 could not be read when this plan was opened.  Before this "
                                   "save replaces it, it is kept as %2.")
                        .arg(native(keep.path), native(keep.copy));
    }
    if (!told.isEmpty())
        ask.tell(told.join(u'\r'), kProgramTitle, Prompter::Icon::Information);
    return true;
}

enum class Outcome { Saved, NotSaved, SaveAsInstead };

using Stamps = std::array<SafeFile::Stamp, Schema::kDatabaseCount>;

// The names of the files that are there `now` and are not as they were `before`: another copy
// of the program or a sync tool wrote them. A file that went away is not among them; saving
// only writes it again.
QStringList changedSince(const Stamps &before, const Stamps &now,
                         const std::array<QString, Schema::kDatabaseCount> &names) {
    QStringList changed;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (now[i].kind != SafeFile::Kind::Missing && now[i] != before[i])
            changed << names[i];
    }
    return changed;
}

// Before files of the plan's own folder that changed since the plan read or wrote them are
// overwritten, the user is asked: Yes overwrites them, No saves the plan to another folder,
// Cancel saves nothing.
Outcome confirmChanges(const DiskState &known, const QString &folder,
                       const std::array<QString, Schema::kDatabaseCount> &names, const Stamps &now,
                       Prompter &ask) {
    const QStringList changed = changedSince(known.files, now, names);
    if (changed.isEmpty())
        return Outcome::Saved;
    const auto answer = ask.message(
        QStringLiteral("Since this Wedding Plan was opened, another program has changed its files "
                       "in the folder %1: %2.  Do you want to overwrite them?")
                .arg(native(folder), changed.join(QStringLiteral(", "))) +
            u'\r' +
            QStringLiteral("Yes overwrites them with this plan.  No saves this plan to another "
                           "folder instead.  Cancel saves nothing."),
        QStringLiteral("Files Changed on Disk"), kExclamation, Prompter::Buttons::YesNoCancel);
    switch (answer) {
    case Prompter::Answer::Yes:
        return Outcome::Saved;
    case Prompter::Answer::No:
        return Outcome::SaveAsInstead;
    default:
        return Outcome::NotSaved;
    }
}

// Writes the nine files into `folder`. Only a complete set changes the paths, the current
// folder and the changed flag; on failure the folder keeps its previous files.
Outcome writePlan(AppState &s, SaveHost &host, const QString &folder) {
    FileSink &sink = s.fileSink();
    auto report = [&](const QString &description) {
        s.prompter().tell(QStringLiteral("There was an error writing the files to the folder, ") +
                              native(folder) + u'.' + u'\r' +
                              QStringLiteral("Make sure the folder is not full or write "
                                             "protected. ") +
                              u'\r' + description,
                          QStringLiteral("Save Error"), kExclamation);
        return Outcome::NotSaved;
    };
    // Two copies of the program saving one folder take turns; one that waits too long says why.
    const QString busy = QStringLiteral("Another copy of Vowline Desktop is saving this plan in "
                                        "%1 right now.  Nothing was saved; save again once that "
                                        "copy has finished.")
                             .arg(native(folder));
    QStringList written;
    Stamps saved;
    try {
        refuseProgramFolder(s, folder);
        sink.makeFolder(folder);
        {
            const FolderLock lock(folder, busy);
            recoverInterruptedSave(folder);
        }
        // The files keep the names the folder already gives them, in whatever letter case.
        const auto names = setFileNames(folder);
        // Only the plan's own folder holds files the plan knows; asked with the folder
        // unlocked, as the question may stay open a while.
        PlanSet &set = s.plan.set();
        const std::optional<DiskState> known =
            set.onDisk() && SafeFile::sameFolder(set.onDisk()->folder, folder) ? set.onDisk()
                                                                               : std::nullopt;
        Stamps expected = stampsIn(folder, names);
        if (known) {
            const Outcome answer = confirmChanges(*known, folder, names, expected, s.prompter());
            if (answer != Outcome::Saved)
                return answer;
        }
        if (!protectExisting(folder, names, set, s.prompter(), sink))
            return Outcome::NotSaved;
        stampSet(set);
        s.plan.applyQuietly([&](PlanEdit &edit) {
            DetailsRecord::complete(edit);
            host.storeDetails(edit);
        });
        std::vector<SetFile> files;
        files.reserve(Schema::kDatabases.size());
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            const QString &name = names[std::size_t(info.id)];
            files.push_back({name, s.plan.db(info.id).toBytes()});
            // What could not be read back is not written.
            if (files.back().bytes.size() > Pdb::kMaxFileBytes) {
                throw StoreError(QStringLiteral("%1 would take %2 bytes, more than the %3 a file "
                                                "of a plan may hold.")
                                     .arg(name)
                                     .arg(files.back().bytes.size())
                                     .arg(Pdb::kMaxFileBytes));
            }
            written << QDir::cleanPath(folder + u'/' + name);
        }
        for (;;) {
            bool changedMeanwhile = false;
            {
                const FolderLock lock(folder, busy);
                recoverInterruptedSave(folder);
                const Stamps now = stampsIn(folder, names);
                if (known && !changedSince(expected, now, names).isEmpty()) {
                    expected = now;
                    changedMeanwhile = true;
                } else {
                    writeSet(folder, files, sink);
                    saved = stampsIn(folder, names);
                }
            }
            if (!changedMeanwhile)
                break;
            // Another copy saved this folder while this one waited for it: asked about too.
            const Outcome answer = confirmChanges(*known, folder, names, expected, s.prompter());
            if (answer != Outcome::Saved)
                return answer;
        }
    } catch (const StoreError &error) {
        if (error.cause() == StoreError::Cause::Busy) {
            s.prompter().tell(error.description(), QStringLiteral("Save Error"), kExclamation);
            return Outcome::NotSaved;
        }
        return report(error.description());
    } catch (const std::exception &error) {
        return report(QString::fromLocal8Bit(error.what()));
    }
    s.plan.set().forgetTroubles(written);
    s.plan.set().pointPathsAt(folder);
    s.plan.set().setOnDisk(DiskState{folder, saved});
    s.currentSetFolder = folder;
    s.plan.markSaved();
    s.prompter().tell(QStringLiteral("The Vowline Databases have been saved to ") + native(folder),
                      kProgramTitle, Prompter::Icon::None);
    return Outcome::Saved;
}

// Save to folder; `target` is the folder Save As chose, else the plan's own folder is used.
bool saveInto(AppState &s, SaveHost &host, const QString &target) {
    Prompter &ask = s.prompter();
    Outcome outcome = Outcome::NotSaved;
    {
        BusyPointer busy(ask);
        sortListsByName(s.plan);
        if (!ensurePlanName(s.plan, ask))
            return false;
        const QString owner = DetailsRecord::planName(s.plan.db(DbId::Plan));
        s.plan.applyQuietly([&](PlanEdit &edit) { DetailsRecord::stampOwner(edit, owner); });
        QString folder = target.isEmpty() ? s.currentSetFolder : target;
        if (folder.isEmpty()) {
            switch (choosePerUserFolder(s, host, folder)) {
            case FolderChoice::Stop:
                return false;
            case FolderChoice::SaveAsInstead:
                outcome = Outcome::SaveAsInstead;
                break;
            case FolderChoice::Write:
                break;
            }
        }
        if (outcome != Outcome::SaveAsInstead)
            outcome = writePlan(s, host, folder);
    }
    // With the normal pointer again: Save As opens its dialog.
    if (outcome == Outcome::SaveAsInstead)
        return saveAs(s, host);
    return outcome == Outcome::Saved;
}

// True when `folder` holds any file of a set (a plan would be written over).
bool holdsSet(const QString &folder) {
    for (const QString &name : setFileNames(folder)) {
        if (SafeFile::probe(folder + u'/' + name) != SafeFile::Kind::Missing)
            return true;
    }
    return false;
}

} // namespace

bool usableUserName(const QString &name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.front().isSpace() || name.back().isSpace())
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool saveToFolder(AppState &state, SaveHost &host) {
    return saveInto(state, host, QString());
}

bool saveAs(AppState &s, SaveHost &host) {
    Prompter &ask = s.prompter();
    QString folder;
    try {
        for (;;) {
            const auto chosen = ask.saveFile(QStringLiteral("Save As"), s.programFolder,
                                             kSaveAsFilter, QStringLiteral("VowlineDB.pdb"));
            const QString path = chosen ? chosen->trimmed() : QString();
            if (path.isEmpty())
                return false;
            // The set goes into the folder of the chosen file, whatever the file is called.
            const QFileInfo file(path);
            folder = QDir::cleanPath(file.isDir() ? file.absoluteFilePath() : file.absolutePath());
            if (!(file.exists() && !file.isDir()) && !holdsSet(folder))
                break;
            const auto answer = ask.message(
                QStringLiteral("That location already contains a Vowline database "
                               "set.  Do you want to overwrite the existing files?"),
                QStringLiteral("Overwrite?"), kExclamation, Prompter::Buttons::YesNoCancel);
            if (answer == Prompter::Answer::Yes)
                break;
            if (answer == Prompter::Answer::Cancel)
                return false;
        }
        return saveInto(s, host, folder);
    } catch (const std::exception &) {
        ask.tell(QStringLiteral("There was an error writing the file to the directory, ") +
                     native(folder) +
                     QStringLiteral(". Make sure the disk is not full or writeprotected."),
                 QStringLiteral("Error Saving Files"), kExclamation);
        return false;
    }
}

bool installForHotSync(AppState &s, SaveHost &host) {
    Prompter &ask = s.prompter();
    BusyPointer busy(ask);
    // Queuing the paths of a set that was not written would send the handheld old files.
    if (!saveToFolder(s, host))
        return false;
    // The nine go into the queue as one unit: a handheld given a mix of new and old
    // databases would hold a plan that never existed.
    try {
        QStringList paths;
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            paths << s.plan.set().path(info.id);
        s.server().PalmInstallFiles(s.currentPalmUser(), paths, s.fileSink());
    } catch (const StoreError &error) {
        // The reason goes with it: a folder J-Pilot cannot list, another copy queuing...
        ask.tell(QStringLiteral("The Databases could not be scheduled for HotSync.") + u'\r' +
                     error.description(),
                 QStringLiteral("Save Error"), kExclamation);
        return false;
    } catch (const std::exception &) {
        ask.tell(QStringLiteral("The Databases could not be scheduled for HotSync."),
                 QStringLiteral("Save Error"), kExclamation);
        return false;
    }
    s.plan.markSaved();
    ask.tell(QStringLiteral("The Vowline Databases will be installed for ") + s.currentPalmUser() +
                 QStringLiteral(" during the next HotSync."),
             kProgramTitle, Prompter::Icon::None);
    return true;
}

void installHandheldApplication(AppState &s) {
    Prompter &ask = s.prompter();
    const QString title = QStringLiteral("Palm Install Error");
    const QString folder = s.programFolder + QStringLiteral("/PalmOS");
    if (!QFileInfo(folder).isDir()) {
        ask.tell(QStringLiteral("The path containing the install files is missing.  Try "
                                "installing Vowline Suite again.  If the problem persists, "
                                "contact the developer."),
                 title, kExclamation);
        return;
    }
    const QString file = folder + QStringLiteral("/VowlineInstall.prc");
    if (!fileExists(file)) {
        ask.tell(QStringLiteral("The PalmOS install file is missing from the Vowline directory.  "
                                "Please reinstall Vowline Suite.  If the problem persists, "
                                "contact the developer."),
                 title, kExclamation);
        return;
    }
    try {
        s.server().PalmInstallFiles(s.currentPalmUser(), {file}, s.fileSink());
    } catch (const StoreError &error) {
        ask.tell(QStringLiteral("There was an error while attempting to schedule the Vowline "
                                "PalmOS application for HotSync.  Try reinstalling Vowline "
                                "Desktop.  If the problem persists, contact the developer.") +
                     u'\r' + error.description(),
                 title, kExclamation);
        return;
    }
    ask.tell(QStringLiteral("The Vowline program application file will be installed on your "
                            "PalmOS handheld during your next HotSync.") +
                 u'\r' +
                 QStringLiteral("NOTE:  No databases will be installed.  In order for the program "
                                "to work correctly, please create or open a database set and "
                                "install that to your handheld."),
             QStringLiteral("Vowline Install"), Prompter::Icon::Information);
}

void sortListsByName(Plan &plan) {
    plan.applyQuietly([](PlanEdit &edit) {
        edit.sort(DbId::Party, Schema::Party::kName);
        edit.sort(DbId::Guest, Schema::Guest::kName);
        edit.sort(DbId::Vendors, Schema::Vendor::kName);
    });
}

void stampSet(PlanSet &set) {
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        PalmDatabase &db = set.db(info.id);
        db.setCreator(QString(Schema::kCreator));
        db.setType(QString(info.type));
        db.setName(QString(info.name));
    }
}

} // namespace Saving
