#include "store/safefile.h"
#include "store/tb4server.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestHotSync : public QObject {
    Q_OBJECT
private slots:
    void noPlacesMeansNoUsers() {
        QTemporaryDir dir;
        TB4Server server(HotSyncLocations{dir.filePath(QStringLiteral("nowhere")),
                                          dir.filePath(QStringLiteral("no-jpilot"))});
        QCOMPARE(server.PalmUserList(), QStringList());
        QCOMPARE(server.LastHotSyncUser(), QString());
        QVERIFY_THROWS_EXCEPTION(StoreError, server.PalmUserBackupPath(QStringLiteral("Ann")));
    }

    void palmDesktopFolder() {
        QTemporaryDir dir;
        const QString root =
            makePalmDesktop(dir.filePath(QStringLiteral("Palm")), {"Romeo", "juliet", "Mercutio"},
                            QStringLiteral("Juliet"));
        TB4Server server(HotSyncLocations{root, QString()});
        QCOMPARE(server.PalmUserList(), QStringList({"juliet", "Mercutio", "Romeo"}));
        QCOMPARE(server.LastHotSyncUser(), QStringLiteral("Juliet"));
        QCOMPARE(server.PalmUserBackupPath(QStringLiteral("Romeo")),
                 root + QStringLiteral("/Romeo/Backup"));

        const QString file = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        writeAll(file, "guests");
        server.PalmInstallFile(QStringLiteral("Romeo"), file);
        server.PalmInstallFile(QStringLiteral("Romeo"), file); // again: replaces the queued copy
        QCOMPARE(readAll(root + QStringLiteral("/Romeo/Install/VowlGuestDB.pdb")),
                 QByteArray("guests"));
        QCOMPARE(QDir(root + QStringLiteral("/Romeo/Install")).entryList(QDir::Files).size(), 1);

        // A name typed in another letter case finds the user's own folder.
        QCOMPARE(server.PalmUserBackupPath(QStringLiteral("romeo")),
                 root + QStringLiteral("/Romeo/Backup"));
        writeAll(file, "new guests");
        server.PalmInstallFile(QStringLiteral("ROMEO"), file);
        QCOMPARE(readAll(root + QStringLiteral("/Romeo/Install/VowlGuestDB.pdb")),
                 QByteArray("new guests"));

        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 server.PalmInstallFile(QStringLiteral("Tybalt"), file));
        QVERIFY_THROWS_EXCEPTION(StoreError, server.PalmInstallFile(QStringLiteral("../x"), file));
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 server.PalmInstallFile(QStringLiteral("Romeo"),
                                                        dir.filePath(QStringLiteral("gone.pdb"))));
    }

    void jpilot() {
        QTemporaryDir dir;
        const QString jp = dir.filePath(QStringLiteral(".jpilot"));
        QDir().mkpath(jp + QStringLiteral("/backup"));
        writeAll(jp + QStringLiteral("/jpilot.rc"),
                 "port /dev/ttyUSB0\nuser Jane Doe\nrate 115200\n");
        TB4Server server(HotSyncLocations{QString(), jp});
        QCOMPARE(server.PalmUserList(), QStringList({"Jane Doe"}));
        QCOMPARE(server.LastHotSyncUser(), QStringLiteral("Jane Doe"));
        QCOMPARE(server.PalmUserBackupPath(QStringLiteral("Jane Doe")),
                 jp + QStringLiteral("/backup"));

        writeAll(jp + QStringLiteral("/jpilot.install"), "/old/file.prc"); // no final newline
        const QString file = dir.filePath(QStringLiteral("VowlineDB.pdb"));
        writeAll(file, "x");
        server.PalmInstallFile(QStringLiteral("jane doe"), file);
        server.PalmInstallFile(QStringLiteral("Jane Doe"), file); // queued once only
        QCOMPARE(readAll(jp + QStringLiteral("/jpilot.install")),
                 QByteArray("/old/file.prc\n") + file.toUtf8() + '\n');
    }

    // J-Pilot's install list holds one path a line: a folder whose name holds a line break
    // (or another control character) is refused, by name, before anything is written.
    void jpilotRefusesPathsThatBreakItsLines_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("line feed") << QStringLiteral("\n");
        QTest::newRow("carriage return") << QStringLiteral("\r");
        QTest::newRow("tab") << QStringLiteral("\t");
        QTest::newRow("escape") << QStringLiteral("\x1b");
    }
    void jpilotRefusesPathsThatBreakItsLines() {
        QFETCH(QString, control);
        QTemporaryDir dir;
        const QString jp = dir.filePath(QStringLiteral(".jpilot"));
        QDir().mkpath(jp);
        writeAll(jp + QStringLiteral("/jpilot.rc"), "user Jane\n");
        writeAll(jp + QStringLiteral("/jpilot.install"), "/old/file.prc\n");
        const QString plain = dir.filePath(QStringLiteral("VowlineDB.pdb"));
        const QString folder =
            dir.filePath(QStringLiteral("Plans") + control + QStringLiteral("Smith"));
        QVERIFY(QDir().mkpath(folder));
        const QString broken = folder + QStringLiteral("/VowlGuestDB.pdb");
        writeAll(plain, "x");
        writeAll(broken, "x");
        TB4Server server(HotSyncLocations{QString(), jp});
        try {
            server.PalmInstallFiles(QStringLiteral("Jane"), {plain, broken});
            QFAIL("a path that breaks the list was queued");
        } catch (const StoreError &e) {
            QVERIFY2(e.description().startsWith(QStringLiteral("The folder \"") + dir.path() +
                                                QStringLiteral("/Plans")),
                     qPrintable(e.description()));
            QVERIFY(e.description().contains(QStringLiteral("line break")));
        }
        QCOMPARE(readAll(jp + QStringLiteral("/jpilot.install")), QByteArray("/old/file.prc\n"));
        QCOMPARE(QDir(jp).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"jpilot.install", "jpilot.rc"}));
    }

    void bothSourcesTogether() {
        QTemporaryDir dir;
        const QString root =
            makePalmDesktop(dir.filePath(QStringLiteral("Palm")), {"Ann"}, QString());
        const QString jp = dir.filePath(QStringLiteral(".jpilot"));
        QDir().mkpath(jp);
        writeAll(jp + QStringLiteral("/jpilot.rc"), "user Bea\n");
        TB4Server server(HotSyncLocations{root, jp});
        QCOMPARE(server.PalmUserList(), QStringList({"Ann", "Bea"}));
        QCOMPARE(server.LastHotSyncUser(), QStringLiteral("Bea"));
        QCOMPARE(server.PalmUserBackupPath(QStringLiteral("Bea")), jp + QStringLiteral("/backup"));
    }

    // Whatever stands in place of a HotSync file is never read unless it is a regular file:
    // the user files then read as "no user", the install list refuses the queue at once.
    void hostileFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shape");
        for (const char *file : {"LastHotSync.txt", "jpilot.rc", "jpilot.install"}) {
            for (const char *shape : {"pipe", "folder", "dangling link", "link loop", "zeros"})
                QTest::addRow("%s, %s", file, shape) << file << shape;
        }
    }
    void hostileFiles() {
        QFETCH(QString, file);
        QFETCH(QString, shape);
        QTemporaryDir dir;
        const QString root = makePalmDesktop(dir.filePath(QStringLiteral("Palm")), {"Ann"}, {});
        const QString jp = dir.filePath(QStringLiteral(".jpilot"));
        QDir().mkpath(jp + QStringLiteral("/backup"));
        if (file != u"jpilot.rc")
            writeAll(jp + QStringLiteral("/jpilot.rc"), "user Bea\n");
        const QString path = (file == u"LastHotSync.txt" ? root : jp) + u'/' + file;
        if (shape == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (shape == u"folder")
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(QFile::link(shape == u"zeros"           ? QStringLiteral("/dev/zero")
                                : shape == u"dangling link" ? path + QStringLiteral(".gone")
                                                            : path,
                                path));

        TB4Server server(HotSyncLocations{root, jp});
        if (file == u"jpilot.install") {
            const QString pdb = dir.filePath(QStringLiteral("VowlineDB.pdb"));
            writeAll(pdb, "x");
            QVERIFY_THROWS_EXCEPTION(StoreError,
                                     server.PalmInstallFile(QStringLiteral("Bea"), pdb));
            QCOMPARE(SafeFile::probe(path) == SafeFile::Kind::Regular, false);
            return;
        }
        const bool rc = file == u"jpilot.rc";
        QCOMPARE(server.PalmUserList(), rc ? QStringList{"Ann"} : QStringList({"Ann", "Bea"}));
        QCOMPARE(server.LastHotSyncUser(), rc ? QString() : QStringLiteral("Bea"));
        if (!rc) // without the J-Pilot user, no last user at all
            QCOMPARE(TB4Server(HotSyncLocations{root, {}}).LastHotSyncUser(), QString());
    }

    void unreadableRootIsAnError() {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath(QStringLiteral("file"));
        writeAll(notAFolder, "x");
        TB4Server server(HotSyncLocations{notAFolder, QString()});
        QVERIFY_THROWS_EXCEPTION(StoreError, server.PalmUserList());
    }
};

VOWLINE_TEST(TestHotSync)
#include "tst_hotsync.moc"
