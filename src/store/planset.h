#pragma once

#include "safefile.h"
#include "schema.h"
#include "tb4server.h"

#include <array>
#include <optional>
#include <vector>

class Prompter;

// A file of the set that a load found but could not use. It is remembered until that file is
// written again, so that no save silently replaces what the plan never held.
struct FileTrouble {
    enum class Kind {
        Unreadable, // not a readable file: no permission, a folder, a pipe, a broken link...
        Damaged,    // read, but not a valid database
        Newer,      // written by a newer version of the program
    };
    Kind kind;
    QString path; // as found in the folder
    QString description;
};

// What the nine files in the plan's own folder looked like when the plan last read or wrote
// them (a missing file included), so that a save notices what another program changed since.
struct DiskState {
    QString folder;
    std::array<SafeFile::Stamp, Schema::kDatabaseCount> files;
};

// The open wedding plan: nine database objects, each with the file path it belongs to.
class PlanSet {
public:
    bool isOpen() const;
    // The database, or StoreError when the set has been released.
    PalmDatabase &db(Schema::DbId id);
    const PalmDatabase &db(Schema::DbId id) const;
    QString path(Schema::DbId id) const { return m_paths[std::size_t(id)]; }
    void setPath(Schema::DbId id, const QString &path) { m_paths[std::size_t(id)] = path; }
    void setDatabase(Schema::DbId id, std::unique_ptr<PalmDatabase> db);
    // Points all nine paths at their files in `folder`.
    void pointPathsAt(const QString &folder);
    // Drops the nine databases (and what is known of their files) before another set is loaded.
    void release();

    const std::optional<DiskState> &onDisk() const { return m_onDisk; }
    void setOnDisk(std::optional<DiskState> state) { m_onDisk = std::move(state); }

    const std::vector<FileTrouble> &troubles() const { return m_troubles; }
    void noteTrouble(FileTrouble trouble) { m_troubles.push_back(std::move(trouble)); }
    // The trouble noted for the file at `path`, if any.
    const FileTrouble *troubleAt(const QString &path) const;
    // Forgets the troubles of files that have been written since.
    void forgetTroubles(const QStringList &written);

private:
    std::array<std::unique_ptr<PalmDatabase>, Schema::kDatabaseCount> m_dbs;
    std::array<QString, Schema::kDatabaseCount> m_paths;
    std::vector<FileTrouble> m_troubles;
    std::optional<DiskState> m_onDisk;
};

// True when a regular file is there and can be opened for reading. Never waits, whatever
// stands at the path.
bool fileExists(const QString &path);

// The names of the nine files in `folder`: the name it holds in another letter case when the
// exact one is absent (a plan copied through a system that changed the case), else the
// standard name.
std::array<QString, Schema::kDatabaseCount> setFileNames(const QString &folder);

// The stamps of the nine files of `folder`, by the names setFileNames() gives.
std::array<SafeFile::Stamp, Schema::kDatabaseCount>
stampsIn(const QString &folder, const std::array<QString, Schema::kDatabaseCount> &names);

// Opens the set kept in a local folder, completing or undoing a save that was interrupted
// there first. The folder is locked while it is read, so that no other copy of the program
// replaces files halfway (StoreError, cause Busy, when another copy keeps it too long). Missing
// files start empty, or from the defaults folder for the four category lists. A file that cannot be
// read is reported (so that nobody mistakes an emptied list for the real one), noted as a trouble
// of the set, and starts empty; the file itself is left alone. The loads build a new set and
// replace `set` only when done: a load that throws (out of memory) leaves `set` as it was.
void loadSetFromFolder(PlanSet &set, const TB4Server &server, const QString &folder,
                       const QString &programFolder, Prompter &prompter);

// Opens the set the last HotSync backed up for a Palm user, reporting each database that
// cannot be read.
void loadSetForPalmUser(PlanSet &set, const TB4Server &server, const QString &user,
                        const QString &programFolder, Prompter &prompter);

// Builds a new plan in memory: category lists from the defaults folder, everything else
// empty, and a fresh details record. `set` is replaced when it is complete.
void buildDefaultSet(PlanSet &set, const TB4Server &server, const QString &programFolder,
                     Prompter &prompter);
