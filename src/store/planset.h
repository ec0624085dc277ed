#pragma once

#include "schema.h"
#include "tb4server.h"

#include <array>

class Prompter;
class PlanView;

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
    // Drops the nine databases before another set is loaded.
    void release();

private:
    std::array<std::unique_ptr<PalmDatabase>, Schema::kDatabaseCount> m_dbs;
    std::array<QString, Schema::kDatabaseCount> m_paths;
};

// True when the file can be opened for reading.
bool fileExists(const QString &path);

// Opens the set kept in a local folder. Missing files start empty, or from the defaults
// folder for the four category lists. A file that cannot be read is reported (so that nobody
// mistakes an emptied list for the real one) and starts empty; the file itself is left alone.
void loadSetFromFolder(PlanSet &set, const TB4Server &server, const QString &folder,
                       const QString &programFolder, Prompter &prompter);

// Opens the set the last HotSync backed up for a Palm user, reporting each database that
// cannot be read.
void loadSetForPalmUser(PlanSet &set, const TB4Server &server, const QString &user,
                        const QString &programFolder, Prompter &prompter);

// Builds a new plan in memory: category lists from the defaults folder, everything else
// empty, and a fresh details record.
void buildDefaultSet(PlanSet &set, const TB4Server &server, const QString &programFolder,
                     Prompter &prompter);

// Completes a load (or, with buildDefault, builds the default set first): fills the filter
// boxes and calls the window's refresh methods in order, reporting those that fail.
void refreshPlan(PlanSet &set, const TB4Server &server, const QString &programFolder,
                 bool buildDefault, PlanView &view, Prompter &prompter);
