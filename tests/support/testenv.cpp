#include "testenv.h"

#include "plan/appstate.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <ctime>
#include <sys/stat.h>

namespace TestRegistry {

static std::vector<std::pair<const char *, Factory>> &registry() {
    static std::vector<std::pair<const char *, Factory>> list;
    return list;
}

int add(const char *name, Factory factory) {
    registry().emplace_back(name, std::move(factory));
    return int(registry().size());
}

const std::vector<std::pair<const char *, Factory>> &all() {
    return registry();
}

} // namespace TestRegistry

void setUpTestEnvironment() {
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
    // What a list or a message shows must not depend on the machine's language: every test runs
    // in the C locale unless it picks another.
    qputenv("LC_ALL", "C.UTF-8");
    QLocale::setDefault(QLocale::c());
    qunsetenv("VOWLINE_PALM_DESKTOP");
    qunsetenv("JPILOT_HOME");
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       home.path() + QStringLiteral("/settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       home.path() + QStringLiteral("/settings"));
    QCoreApplication::setOrganizationName(QStringLiteral("Vowline"));
    QCoreApplication::setApplicationName(QStringLiteral("Vowline Desktop"));
}

TestProgramFolder::TestProgramFolder(bool withDefaults) {
    QDir dir(m_dir.path());
    dir.mkpath(QStringLiteral("PalmOS"));
    if (withDefaults) {
        dir.mkpath(QStringLiteral("defaults"));
        const QDir built(QStringLiteral(VOWLINE_DEFAULTS_DIR));
        for (const QString &name : built.entryList(QDir::Files))
            QFile::copy(built.filePath(name), defaults() + u'/' + name);
    }
    resetAppState();
    appState().programFolder = path();
}

QString makePalmDesktop(const QString &root, const QStringList &users, const QString &lastUser) {
    QDir dir;
    dir.mkpath(root);
    for (const QString &user : users)
        dir.mkpath(root + u'/' + user + QStringLiteral("/Backup"));
    if (!lastUser.isEmpty())
        writeAll(root + QStringLiteral("/LastHotSync.txt"), lastUser.toUtf8() + '\n');
    return root;
}

void writePlanFile(const QString &folder, const QString &owner) {
    PalmDatabase plan;
    plan.setName(QStringLiteral("VowlineDB"));
    Schema::defineDetailsRecord(plan);
    plan.write(plan.records().item(1), "ownr", owner);
    plan.save(folder + QStringLiteral("/VowlineDB.pdb"));
}

Record &addRecord(PalmDatabase &db, std::initializer_list<FieldInit> fields) {
    Record &record = db.records().add();
    for (const auto &[code, value] : fields) {
        const FieldKind kind = value.type() == FieldValue::Type::Boolean    ? FieldKind::Boolean
                               : value.type() == FieldValue::Type::DateTime ? FieldKind::Date
                                                                            : FieldKind::Text;
        db.write(record, code, value, kind);
    }
    return record;
}

QByteArray utf16(const QString &text, bool littleEndian, bool withMark) {
    QByteArray bytes;
    for (QChar c : (withMark ? QChar(0xFEFF) + text : text)) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

PlanSet emptyPlanSet() {
    PlanSet set;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    return set;
}

bool makeNonFile(const QString &path, const QString &shape) {
    if (shape == u"folder")
        return QDir().mkpath(path);
    if (shape == u"fifo")
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    return QFile::link(shape == u"dangling link"       ? path + QStringLiteral(".gone")
                       : shape == u"link to /dev/zero" ? QStringLiteral("/dev/zero")
                                                       : path,
                       path);
}

ZoneGuard::ZoneGuard(const QByteArray &zone)
    : m_previous(qgetenv("TZ"))
    , m_had(qEnvironmentVariableIsSet("TZ")) {
    qputenv("TZ", zone);
    tzset();
}

ZoneGuard::~ZoneGuard() {
    m_had ? qputenv("TZ", m_previous) : qunsetenv("TZ");
    tzset();
}
