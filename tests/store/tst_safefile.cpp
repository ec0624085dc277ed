#include "reports/reports.h"
#include "store/palmdatabase.h"
#include "store/safefile.h"
#include "store/setwriter.h"
#include "store/storeerror.h"
#include "support/failingsink.h"
#include "support/testenv.h"
#include "transfer/csv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Fills the file system holding `folder` to the last byte.
void fillUp(const QString &folder) {
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(512, 'f');
    while (::write(filler.handle(), block.constData(), std::size_t(block.size())) > 0) {
    }
    while (::write(filler.handle(), block.constData(), 1) > 0) {
    }
}

} // namespace

// Whatever stands in a file's place, reading ends at once: with the bytes of a regular file,
// with "missing" for nothing, or with an error naming the file and what was found.
class TestSafeFile : public QObject {
    Q_OBJECT
private slots:
    void whatStandsInAFilesPlace_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error"); // empty: read without error
        const struct {
            const char *shape;
            SafeFile::Kind kind;
            const char *error;
        } rows[] = {
            {"regular", SafeFile::Kind::Regular, ""},
            {"missing", SafeFile::Kind::Missing, ""},
            {"folder", SafeFile::Kind::Directory, "a folder"},
            {"fifo", SafeFile::Kind::Special, "pipe or device"},
            {"dangling link", SafeFile::Kind::DanglingLink, "does not exist"},
            {"link loop", SafeFile::Kind::LinkLoop, "back to itself"},
            {"link to /dev/zero", SafeFile::Kind::Special, "pipe or device"},
            {"too large", SafeFile::Kind::Regular, "too large"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.shape) << r.shape << int(r.kind) << r.error;
    }
    void whatStandsInAFilesPlace() {
        QFETCH(QString, shape);
        QFETCH(int, kind);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VowlGuestDB.pdb"));
        if (shape == u"regular" || shape == u"too large")
            writeAll(path, shape == u"regular" ? QByteArray("guests") : QByteArray(101, 'x'));
        else if (shape != u"missing")
            QVERIFY(makeNonFile(path, shape));
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
        // A file is never written over anything but a file: replacing a pipe or device would
        // put a plain file in its place.
        if (kind == int(SafeFile::Kind::Special)) {
            QVERIFY_THROWS_EXCEPTION(StoreError, SafeFile::writeAtomically(path, "x"));
            QCOMPARE(int(SafeFile::probe(path)), kind);
        }
    }

    // Every file the program writes whole (a report, a guest export, a database) fails with
    // the file's name and the system's reason when the disk fills up, even when it is smaller
    // than Qt's write buffer or the first write stops short and only the next says why, and
    // the older file of that name stays as it was. A full disk that only shows at the flush is
    // noticed too.
    void fullDiskIsNoticed_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("disk");
        for (const char *writer : {"report", "export", "database"}) {
            for (const char *disk : {"small file system", "file size limit"})
                QTest::addRow("%s, %s", writer, disk) << writer << disk;
        }
    }
    void fullDiskIsNoticed() {
        QFETCH(QString, writer);
        QFETCH(QString, disk);
        QTemporaryDir dir;
        const QByteArray at = QFile::encodeName(dir.path());
        struct Restore {
            std::function<void()> undo;
            ~Restore() {
                if (undo)
                    undo();
            }
        } unmount, limit;
        const QString path = dir.filePath(QStringLiteral("Guest_List.htm"));
        if (disk == u"small file system") {
            if (::mount("tmpfs", at.constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP("a small file system cannot be mounted here");
            unmount.undo = [at] {
                ::umount2(at.constData(), MNT_DETACH);
            };
            writeAll(path, "old contents");
            fillUp(dir.path());
        } else {
            writeAll(path, "old contents");
            // Writes past 4 KiB fail as on a full disk (EFBIG instead of ENOSPC).
            struct rlimit old {};
            ::getrlimit(RLIMIT_FSIZE, &old);
            const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit small = old;
            small.rlim_cur = 4096;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
            limit.undo = [old, oldSignal] {
                ::setrlimit(RLIMIT_FSIZE, &old);
                std::signal(SIGXFSZ, oldSignal);
            };
        }
        const auto before = snapshot(dir.path());
        const QByteArray bytes(8 * 1024, 'x'); // less than Qt buffers before it writes
        try {
            if (writer == u"report") {
                Reports::writeReportFile(path, bytes);
            } else if (writer == u"export") {
                Csv::writeFile(path, bytes);
            } else {
                PalmDatabase db;
                db.setName(QStringLiteral("VowlGuestDB"));
                for (int i = 0; i < 200; ++i)
                    db.write(db.records().add(), "gnam", QStringLiteral("Guest %1").arg(i));
                db.save(path);
            }
            QFAIL("the write succeeded");
        } catch (const StoreError &e) {
            const QString reason = disk == u"small file system"
                                       ? QStringLiteral("No space left on device")
                                       : QStringLiteral("File too large");
            QVERIFY2(e.description().contains(QDir::toNativeSeparators(path) +
                                              QStringLiteral(" cannot be written: ") + reason),
                     qPrintable(e.description()));
        }
        if (limit.undo)
            std::exchange(limit.undo, nullptr)();
        QCOMPARE(snapshot(dir.path()), before);
        QFile full(QStringLiteral("/dev/full"));
        if (full.open(QIODevice::WriteOnly))
            QVERIFY_THROWS_EXCEPTION(StoreError, FileSink().fill(full, QByteArray(100, 'x')));
    }
};

VOWLINE_TEST(TestSafeFile)
#include "tst_safefile.moc"
