#pragma once

#include "store/palmdatabase.h"
#include "store/prompter.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

// Test classes register themselves; the shared main runs every registered class.
namespace TestRegistry {
using Factory = std::function<std::unique_ptr<QObject>()>;
int add(const char *name, Factory factory);
const std::vector<std::pair<const char *, Factory>> &all();
} // namespace TestRegistry

#define VOWLINE_TEST(Class)                                                                        \
    static const int vowlineRegistered_##Class =                                                   \
        TestRegistry::add(#Class, [] { return std::unique_ptr<QObject>(new Class); });

// Points HOME, the settings store and the standard folders at a private temporary folder and
// clears the HotSync locations, so that no test touches the real home folder.
void setUpTestEnvironment();

// A throw-away program folder with the built defaults/ and an empty PalmOS/, installed as the
// program folder of the fresh program-wide state.
class TestProgramFolder {
public:
    explicit TestProgramFolder(bool withDefaults = true);
    QString path() const { return m_dir.path(); }
    QString defaults() const { return m_dir.path() + QStringLiteral("/defaults"); }

private:
    QTemporaryDir m_dir;
};

// Builds a Palm Desktop folder with the given users (each with Backup/) and last user.
QString makePalmDesktop(const QString &root, const QStringList &users, const QString &lastUser);

// Writes a plan file (VowlineDB.pdb) holding just the details record, named `owner`.
void writePlanFile(const QString &folder, const QString &owner);

// One field of addRecord. An aggregate rather than a std::pair: the pair's forwarding
// constructor would hand the code's literal on as a reference, which FieldCode's consteval
// constructor refuses.
struct FieldInit {
    FieldCode code;
    FieldValue value;
};

// Appends a record holding the given fields, each of the kind its value suggests (a Boolean,
// a date, else text), and returns it.
Record &addRecord(PalmDatabase &db, std::initializer_list<FieldInit> fields);

// Reads a whole file, empty when it cannot be read.
QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes);
