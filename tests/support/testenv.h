#pragma once

#include "plan/saving.h"
#include "store/palmdatabase.h"
#include "store/planset.h"
#include "store/prompter.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
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

// The text in UTF-16 of the given byte order, with or without a byte-order mark.
QByteArray utf16(const QString &text, bool littleEndian, bool withMark = false);

// Reads a whole file, empty when it cannot be read.
QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes);

// A window for the saves that has no Palm user box and no setup boxes.
class NoWindow : public SaveHost {
public:
    bool palmUserBoxEnabled() const override { return false; }
    QString palmUserBoxText() const override { return {}; }
    void storeDetails(PlanEdit &) override {}
};

// A plan of nine empty databases, for the rules that change a plan through an edit.
PlanSet emptyPlanSet();

// Puts something other than a regular file at `path`: "folder", "fifo", "dangling link",
// "link loop" or "link to /dev/zero". False when it could not be made.
bool makeNonFile(const QString &path, const QString &shape);

// Runs the rest of a scope under another time zone.
class ZoneGuard {
public:
    explicit ZoneGuard(const QByteArray &zone);
    ~ZoneGuard();

private:
    QByteArray m_previous;
    bool m_had;
};

// A table of cases as QtTest rows: each row is named by its `name` and carries its index, so
// that a failure names the case while the test reads the row whole.
template <class Row, std::size_t N> void addRows(const Row (&rows)[N]) {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << int(i);
}
template <class Row, std::size_t N> const Row &currentRow(const Row (&rows)[N]) {
    QFETCH(int, row);
    return rows[row];
}
