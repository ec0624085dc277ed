#include "store/safefile.h"
#include "store/tb4server.h"
#include "support/failingsink.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Where the HotSync folders are, with J-Pilot's settings holding `rc` (none when null).
struct Places {
    QTemporaryDir dir;
    QString jp = dir.filePath(QStringLiteral(".jpilot"));
    QString palm = dir.filePath(QStringLiteral("Palm"));
    explicit Places(const char *rc) {
        if (!rc)
            return;
        QDir().mkpath(jp + QStringLiteral("/backup"));
        writeAll(jp + QStringLiteral("/jpilot.rc"), rc);
    }
    QString file(const char *name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeAll(path, name);
        return path;
    }
};

} // namespace

class TestHotSync : public QObject {
    Q_OBJECT
private slots:
    // Who the HotSync folders know: Palm Desktop's user folders (in any letter case) and its
    // last user, J-Pilot's one user; and where a user's backup is (null: nowhere). A root that
    // is no folder is an error.
    void users() {
        const struct {
            const char *palm, *last, *rc, *users, *lastUser, *user, *backup;
        } rows[] = {
            {nullptr, "", nullptr, "", "", "Ann", nullptr},
            {"Romeo|juliet|Mercutio", "Juliet", nullptr, "juliet|Mercutio|Romeo", "Juliet", "romeo",
             "Palm/Romeo/Backup"},
            {nullptr, "", "port /dev/ttyUSB0\nuser Jane Doe\nrate 115200\n", "Jane Doe", "Jane Doe",
             "Jane Doe", ".jpilot/backup"},
            {"Ann", "", "user Bea\n", "Ann|Bea", "Bea", "Bea", ".jpilot/backup"},
        };
        for (const auto &r : rows) {
            Places places(r.rc);
            if (r.palm)
                makePalmDesktop(places.palm, QString(r.palm).split(u'|'), r.last);
            TB4Server server(HotSyncLocations{places.palm, places.jp});
            QCOMPARE(server.PalmUserList().join(u'|'), QString(r.users));
            QCOMPARE(server.LastHotSyncUser(), QString(r.lastUser));
            if (r.backup)
                QCOMPARE(server.PalmUserBackupPath(r.user), places.dir.filePath(r.backup));
            else
                QVERIFY_THROWS_EXCEPTION(StoreError, server.PalmUserBackupPath(r.user));
        }
        Places places(nullptr);
        TB4Server server(HotSyncLocations{places.file("file"), QString()});
        QVERIFY_THROWS_EXCEPTION(StoreError, server.PalmUserList());
    }

    // A file queued again replaces the queued copy; a user name in another letter case finds
    // the user's own folder; an unknown user, a name that leaves the folder and a missing file
    // are refused.
    void palmDesktopQueue() {
        Places places(nullptr);
        const QString root = makePalmDesktop(places.palm, {"Romeo"}, {});
        const QString queued = root + QStringLiteral("/Romeo/Install/VowlGuestDB.pdb");
        TB4Server server(HotSyncLocations{root, QString()});
        const QString file = places.file("VowlGuestDB.pdb");
        server.PalmInstallFile(QStringLiteral("Romeo"), file);
        QCOMPARE(readAll(queued), QByteArray("VowlGuestDB.pdb"));
        writeAll(file, "new guests");
        server.PalmInstallFile(QStringLiteral("ROMEO"), file);
        QCOMPARE(readAll(queued), QByteArray("new guests"));
        QCOMPARE(QDir(root + QStringLiteral("/Romeo/Install")).entryList(QDir::Files).size(), 1);
        for (const char *user : {"Tybalt", "../x"})
            QVERIFY_THROWS_EXCEPTION(StoreError, server.PalmInstallFile(user, file));
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 server.PalmInstallFile("Romeo", places.dir.filePath("gone.pdb")));
    }

    // J-Pilot's install list gains the file's path once, on a line of its own.
    void jpilotQueue() {
        Places places("user Jane Doe\n");
        writeAll(places.jp + QStringLiteral("/jpilot.install"), "/old/file.prc"); // no newline
        const QString file = places.file("VowlineDB.pdb");
        TB4Server server(HotSyncLocations{QString(), places.jp});
        server.PalmInstallFile(QStringLiteral("jane doe"), file);
        server.PalmInstallFile(QStringLiteral("Jane Doe"), file);
        QCOMPARE(readAll(places.jp + QStringLiteral("/jpilot.install")),
                 QByteArray("/old/file.prc\n") + file.toUtf8() + '\n');
    }

    // J-Pilot's install list holds one path a line: a folder whose name holds a line break
    // (or another control character) is refused, by name, before anything is written.
    void jpilotRefusesPathsThatBreakItsLines() {
        Places places("user Jane\n");
        writeAll(places.jp + QStringLiteral("/jpilot.install"), "/old/file.prc\n");
        const auto before = snapshot(places.jp);
        TB4Server server(HotSyncLocations{QString(), places.jp});
        for (const QString control : {"\n", "\r", "\t", "\x1b"}) {
            const QString folder = places.dir.filePath(QStringLiteral("Plans") + control + u'S');
            QVERIFY(QDir().mkpath(folder));
            writeAll(folder + QStringLiteral("/VowlGuestDB.pdb"), "x");
            try {
                server.PalmInstallFiles(
                    QStringLiteral("Jane"),
                    {places.file("VowlineDB.pdb"), folder + QStringLiteral("/VowlGuestDB.pdb")});
                QFAIL("a path that breaks the list was queued");
            } catch (const StoreError &e) {
                QVERIFY2(e.description().startsWith(QStringLiteral("The folder \"") +
                                                    places.dir.path() + QStringLiteral("/Plans")),
                         qPrintable(e.description()));
                QVERIFY(e.description().contains(QStringLiteral("line break")));
            }
            QCOMPARE(snapshot(places.jp), before);
        }
    }

    // Whatever stands in place of a HotSync file is never read unless it is a regular file:
    // the user files then read as "no user", the install list refuses the queue at once.
    void hostileFiles() {
        for (const auto &[name, shape] : {std::pair{"LastHotSync.txt", "fifo"},
                                          {"jpilot.rc", "link to /dev/zero"},
                                          {"jpilot.install", "link loop"}}) {
            const QString file = QString::fromLatin1(name);
            const bool rc = file == u"jpilot.rc";
            Places places(rc ? nullptr : "user Bea\n");
            QDir().mkpath(places.jp);
            const QString root = makePalmDesktop(places.palm, {"Ann"}, {});
            const QString path = (file == u"LastHotSync.txt" ? root : places.jp) + u'/' + file;
            QVERIFY(makeNonFile(path, shape));
            TB4Server server(HotSyncLocations{root, places.jp});
            if (file == u"jpilot.install") {
                QVERIFY_THROWS_EXCEPTION(
                    StoreError, server.PalmInstallFile("Bea", places.file("VowlineDB.pdb")));
                QVERIFY(SafeFile::probe(path) != SafeFile::Kind::Regular);
                continue;
            }
            QCOMPARE(server.PalmUserList(), rc ? QStringList{"Ann"} : QStringList({"Ann", "Bea"}));
            QCOMPARE(server.LastHotSyncUser(), rc ? QString() : QStringLiteral("Bea"));
            if (!rc) // without the J-Pilot user, no last user at all
                QCOMPARE(TB4Server(HotSyncLocations{root, {}}).LastHotSyncUser(), QString());
        }
    }
};

VOWLINE_TEST(TestHotSync)
#include "tst_hotsync.moc"
