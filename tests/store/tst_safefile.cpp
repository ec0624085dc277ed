#include "store/safefile.h"
#include "store/storeerror.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Whatever stands in a file's place, reading ends at once: with the bytes of a regular file,
// with "missing" for nothing, or with an error naming the file and what was found.
class TestSafeFile : public QObject {
    Q_OBJECT
private slots:
    void whatStandsInAFilesPlace_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error"); // empty: read without error
        QTest::newRow("regular") << "regular" << int(SafeFile::Kind::Regular) << "";
        QTest::newRow("missing") << "missing" << int(SafeFile::Kind::Missing) << "";
        QTest::newRow("folder") << "folder" << int(SafeFile::Kind::Directory) << "a folder";
        QTest::newRow("fifo") << "fifo" << int(SafeFile::Kind::Special) << "pipe or device";
        QTest::newRow("dangling link")
            << "dangling" << int(SafeFile::Kind::DanglingLink) << "does not exist";
        QTest::newRow("link loop") << "loop" << int(SafeFile::Kind::LinkLoop) << "back to itself";
        QTest::newRow("link to /dev/zero")
            << "zero" << int(SafeFile::Kind::Special) << "pipe or device";
        QTest::newRow("too large") << "large" << int(SafeFile::Kind::Regular) << "too large";
    }
    void whatStandsInAFilesPlace() {
        QFETCH(QString, shape);
        QFETCH(int, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        const QByteArray name = QFile::encodeName(path);
        if (shape == u"regular")
            writeAll(path, "guests");
        else if (shape == u"large")
            writeAll(path, QByteArray(101, 'x'));
        else if (shape == u"folder")
            QVERIFY(QDir().mkdir(path));
        else if (shape == u"fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else if (shape == u"dangling")
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));
        else if (shape == u"loop")
            QVERIFY(QFile::link(path, path));
        else if (shape == u"zero")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));

        QCOMPARE(int(SafeFile::probe(path)), kind);
        try {
            bool present = false;
            const QByteArray bytes = SafeFile::readRegularIfPresent(path, 100, &present);
            QVERIFY2(error.isEmpty(), "read where it should have refused");
            QCOMPARE(present, shape == u"regular");
            QCOMPARE(bytes, present ? QByteArray("guests") : QByteArray());
        } catch (const StoreError &e) {
            QVERIFY2(!error.isEmpty(), qPrintable(e.description()));
            QVERIFY2(e.description().contains(error), qPrintable(e.description()));
            QVERIFY(e.description().contains(QStringLiteral("VowlGuestDB.pdb")));
        }
    }
};

VOWLINE_TEST(TestSafeFile)
#include "tst_safefile.moc"
