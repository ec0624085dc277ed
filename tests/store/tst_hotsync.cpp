#include "store/tb4server.h"
#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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

    void fromEnvironment() {
        QTemporaryDir dir;
        qputenv("VOWLINE_PALM_DESKTOP", dir.path().toUtf8());
        qputenv("JPILOT_HOME", dir.path().toUtf8());
        const HotSyncLocations where = HotSyncLocations::fromEnvironment();
        qunsetenv("VOWLINE_PALM_DESKTOP");
        qunsetenv("JPILOT_HOME");
        QCOMPARE(where.palmDesktopRoot, dir.path());
        QCOMPARE(where.jpilotFolder, dir.path() + QStringLiteral("/.jpilot"));
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
