// The plan store on a plan at the format's limit: 65,535 guests, 5,000 vendors, 5,000 tasks.
// Measures saving and loading the whole nine-file set, reading the same bytes raw, and
// sorting the guests by name. Prints medians.
//
//   bench_store [runs] [--beside <another bench_store>]
//
// --beside runs another build of the benchmark after this one (a build with the other form
// of field values, lean or portable) and prints the two builds' medians side by side.
#include "benchutil.h"
#include "store/appstate.h"
#include "store/palmdatabase.h"
#include "store/prompter.h"
#include "store/setwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <malloc.h>
#include <vector>

using Schema::DbId;

namespace {

QString word(QRandomGenerator &rng, int minLen, int maxLen) {
    static const char *syllables[] = {"an", "ber", "ca",  "del", "ea", "fi", "gor",
                                      "ha", "is",  "jo",  "ka",  "li", "mo", "na",
                                      "or", "pe",  "qua", "ro",  "sa", "tu"};
    QString w;
    const int target = int(rng.bounded(minLen, maxLen + 1));
    while (w.size() < target)
        w += QLatin1String(syllables[rng.bounded(20)]);
    w[0] = w[0].toUpper();
    return w;
}

void buildPlan(PlanSet &set) {
    QRandomGenerator rng(20261206);
    auto stamp = [&](DbId id) {
        PalmDatabase &db = set.db(id);
        db.setCreator(Schema::kCreator);
        db.setType(Schema::info(id).type);
        db.setName(Schema::info(id).name);
    };
    PalmDatabase &guests = set.db(DbId::Guest);
    guests.records().reserve(65535);
    for (int i = 0; i < 65535; ++i) {
        Record &r = guests.records().add();
        // One name in eight begins with an accented letter, as names do.
        static const QString accented[] = {QStringLiteral("É"), QStringLiteral("Ö"),
                                           QStringLiteral("Å"), QStringLiteral("Ł")};
        const QString lead = rng.bounded(8) == 0 ? accented[rng.bounded(4)] : QString();
        guests.write(r, "gnam", lead + word(rng, 4, 9) + u' ' + word(rng, 5, 11));
        guests.write(r, "gtyp", QStringLiteral("Bride's Family"));
        guests.write(r, "gadr",
                     QString::number(rng.bounded(1, 9999)) + QStringLiteral(" Main Street"));
        guests.write(r, "gcit", word(rng, 5, 10));
        guests.write(r, "gsta", QStringLiteral("OH"));
        guests.write(r, "gzip", QString::number(rng.bounded(10000, 99999)));
        guests.write(r, "gpho", QStringLiteral("555-0100"));
        guests.write(r, "gcos", word(rng, 4, 8).toLower() + QStringLiteral("@example.com"));
        guests.write(r, "gmai", QString());
        guests.write(r, "gcon", rng.bounded(2) == 1, FieldKind::Boolean);
        guests.write(r, "rsvp", QString::number(rng.bounded(1, 5)));
        guests.write(r, "gtag", QStringLiteral("T") + QString::number(rng.bounded(1, 400)));
        guests.write(r, "gift", rng.bounded(4) == 0 ? QStringLiteral("Toaster") : QString());
        guests.write(r, "tnku", false, FieldKind::Boolean);
        guests.write(r, "ownr", QStringLiteral("Romeo & Juliet"));
    }
    PalmDatabase &vendors = set.db(DbId::Vendors);
    for (int i = 0; i < 5000; ++i) {
        Record &r = vendors.records().add();
        vendors.write(r, "vnam", word(rng, 5, 14) + QStringLiteral(" Co."));
        vendors.write(r, "vtyp", QStringLiteral("Florist"));
        vendors.write(r, "vcnt", word(rng, 4, 9));
        vendors.write(r, "vcos", QString::number(rng.bounded(100, 20000)));
        vendors.write(r, "vdwn", QStringLiteral("250"));
        vendors.write(r, "npay", QStringLiteral("500"));
        vendors.write(r, "vbal", QStringLiteral("1000"));
        vendors.write(r, "ndat", QDateTime::currentDateTime().addDays(rng.bounded(300)),
                      FieldKind::Date);
        vendors.write(r, "dued", QDateTime::currentDateTime().addDays(rng.bounded(300)),
                      FieldKind::Date);
        vendors.write(r, "vcon", true, FieldKind::Boolean);
        vendors.write(r, "paid", false, FieldKind::Boolean);
        vendors.write(r, "vnot", QStringLiteral("Call after five."));
    }
    PalmDatabase &tasks = set.db(DbId::Tasks);
    for (int i = 0; i < 5000; ++i) {
        Record &r = tasks.records().add();
        tasks.write(r, "time", QStringLiteral("1 Month Before"));
        tasks.write(r, "evnt", QStringLiteral("Confirm ") + word(rng, 5, 12));
        tasks.write(r, "done", QString(), FieldKind::Boolean);
        tasks.write(r, "note", QString());
        tasks.write(r, "ordr", qint16(rng.bounded(1, 13)));
    }
    for (const auto &info : Schema::kDatabases)
        stamp(info.id);
}

// A hostile guest file of about 2 MB: five records of 65,535 fields each, the most the
// format allows, every field without a value.
QByteArray wideRecordsFile() {
    PalmDatabase db;
    db.setName(QStringLiteral("VowlGuestDB"));
    for (int r = 0; r < 5; ++r) {
        Record &record = db.records().add();
        for (quint32 i = 0; i < 65535; ++i) {
            const quint32 code = (quint32('a' + i / 17576 % 26) << 24) |
                                 (quint32('a' + i / 676 % 26) << 16) |
                                 (quint32('a' + i / 26 % 26) << 8) | quint32('a' + i % 26);
            db.write(record, FieldCode::fromRaw(code), FieldValue());
        }
    }
    return db.toBytes();
}

// A figure from /proc/self/status in bytes ("VmRSS", "VmHWM"), or 0 where there is none.
qint64 statusBytes(const char *key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

// Run in a fresh process, so that nothing the benchmark built before skews the figures:
// loads the set in `folder` once and prints the peak and the lasting growth of the resident
// memory, in bytes.
int measureLoadMemory(const QString &folder, const QString &programFolder) {
    QuietPrompter prompter;
    TB4Server server{HotSyncLocations{}};
    PlanSet loaded;
    const qint64 before = std::max(statusBytes("VmRSS"), statusBytes("VmHWM"));
    loadSetFromFolder(loaded, server, folder, programFolder, prompter);
    const qint64 peak = statusBytes("VmHWM") - before;
    const qint64 kept = statusBytes("VmRSS") - before;
    std::printf("%lld %lld\n", static_cast<long long>(peak), static_cast<long long>(kept));
    return 0;
}

const char *valueForm() {
    return VOWLINE_LEAN_VALUES ? "lean" : "portable";
}

// One median, as printed for a build run beside another (`--figures`): "key value".
struct Figure {
    const char *key;
    const char *label;
    double value;
    const char *unit;
};

// Runs `other` (another build of this benchmark) and prints its figures beside `mine`.
void printBeside(const std::vector<Figure> &mine, const QString &other, int runs) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(other, {QString::number(runs), QStringLiteral("--figures")});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::printf("\n%s did not run: %s\n", qPrintable(other), qPrintable(child.errorString()));
        return;
    }
    QByteArray otherForm = "?";
    std::vector<Figure> theirs = mine;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 2)
            continue;
        if (parts[0] == "form")
            otherForm = parts[1];
        for (Figure &f : theirs) {
            if (parts[0] == f.key)
                f.value = parts[1].toDouble();
        }
    }
    std::printf("\nField values side by side (%s: %s)\n", qPrintable(other), otherForm.constData());
    std::printf("%-44s %12s %12s %8s\n", "", valueForm(), otherForm.constData(), "ratio");
    for (std::size_t i = 0; i < mine.size(); ++i) {
        std::printf("%-44s %9.1f %-2s %9.1f %-2s %6.2f x\n", mine[i].label, mine[i].value,
                    mine[i].unit, theirs[i].value, theirs[i].unit,
                    mine[i].value > 0 ? theirs[i].value / mine[i].value : 0.0);
    }
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--load-memory")
        return measureLoadMemory(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    int runs = 9;
    bool figuresOnly = false;
    QString beside;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--figures")
            figuresOnly = true;
        else if (arg == "--beside" && i + 1 < argc)
            beside = QString::fromLocal8Bit(argv[++i]);
        else
            runs = std::max(1, arg.toInt());
    }
    QTemporaryDir program;
    QDir(program.path()).mkpath(QStringLiteral("defaults"));
    QTemporaryDir folder;
    QuietPrompter prompter;
    TB4Server server{HotSyncLocations{}};

    PlanSet set;
    buildDefaultSet(set, server, program.path(), prompter);
    buildPlan(set);
    if (!figuresOnly) {
        std::printf("Plan: 65,535 guests, 5,000 vendors, 5,000 tasks; %d runs each, medians\n",
                    runs);
        std::printf("Field values: %s (Qt %s)\n\n", valueForm(), qVersion());
    }

    const double save = medianMs(runs, [&] {
        for (const auto &info : Schema::kDatabases)
            set.db(info.id).save(folder.path() + u'/' + info.fileName);
    });
    // The program's own "Save to File" writes the nine files as one unit, each synced to disk.
    QTemporaryDir setFolder;
    FileSink disk;
    const double saveSet = medianMs(runs, [&] {
        std::vector<SetFile> files;
        for (const auto &info : Schema::kDatabases)
            files.push_back({QString(info.fileName), set.db(info.id).toBytes()});
        writeSet(setFolder.path(), files, disk);
    });
    qint64 bytes = 0;
    for (const auto &info : Schema::kDatabases)
        bytes += QFileInfo(folder.path() + u'/' + info.fileName).size();

    const double rawRead = medianMs(runs, [&] {
        for (const auto &info : Schema::kDatabases) {
            QFile file(folder.path() + u'/' + info.fileName);
            file.open(QIODevice::ReadOnly);
            volatile qsizetype n = file.readAll().size();
            (void)n;
        }
    });
    PlanSet loaded;
    // The load alone: the previous set is released and its memory returned beforehand.
    const double load = medianMs(
        runs, [&] { loadSetFromFolder(loaded, server, folder.path(), program.path(), prompter); },
        [&] {
            loaded.release();
            malloc_trim(0);
        });
    // What opening another plan costs in the program: dropping the open set, then the load.
    const double replace = medianMs(runs, [&] {
        loaded.release();
        loadSetFromFolder(loaded, server, folder.path(), program.path(), prompter);
    });

    // Memory: medians over fresh processes that each load the set once.
    std::vector<qint64> peaks;
    std::vector<qint64> kepts;
    for (int i = 0; i < std::min(runs, 5); ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--load-memory"), folder.path(), program.path()});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() == 2) {
            peaks.push_back(figures[0].toLongLong());
            kepts.push_back(figures[1].toLongLong());
        }
    }
    std::sort(peaks.begin(), peaks.end());
    std::sort(kepts.begin(), kepts.end());
    const double peakMb = peaks.empty() ? 0 : double(peaks[peaks.size() / 2]) / 1e6;
    const double keptMb = kepts.empty() ? 0 : double(kepts[kepts.size() / 2]) / 1e6;

    QByteArray guestBytes = set.db(DbId::Guest).toBytes();
    std::unique_ptr<PalmDatabase> guests;
    const double sort = medianMs(
        runs, [&] { guests->sort("gnam", true, QString(), true); },
        [&] { guests = PalmDatabase::fromBytes(guestBytes, QStringLiteral("guests")); });

    const QByteArray wide = wideRecordsFile();
    const double openWide = medianMs(runs, [&] {
        try {
            PalmDatabase::fromBytes(wide, QStringLiteral("wide.pdb"));
        } catch (const StoreError &) {
        }
    });

    const std::vector<Figure> figures = {
        {"save", "save whole set (nine files)", save, "ms"},
        {"saveSet", "save as one unit, synced (Save to File)", saveSet, "ms"},
        {"load", "load whole set (nine files)", load, "ms"},
        {"replace", "release the open set, then load", replace, "ms"},
        {"raw", "read the same bytes raw", rawRead, "ms"},
        {"peak", "resident memory added, peak while loading", peakMb, "MB"},
        {"kept", "resident memory added, set loaded", keptMb, "MB"},
        {"sort", "sort 65,535 guests by name", sort, "ms"},
        {"wide", "open the hostile file", openWide, "ms"},
    };
    if (figuresOnly) {
        std::printf("form %s\n", valueForm());
        for (const Figure &f : figures)
            std::printf("%s %.3f\n", f.key, f.value);
        return 0;
    }

    std::printf("Set size on disk: %.1f MB\n", double(bytes) / 1e6);
    report("save whole set (nine files)", save, 300);
    report("save as one unit, synced (Save to File)", saveSet);
    report("load whole set (nine files)", load, 300);
    report("release the open set, then load", replace);
    report("read the same bytes raw", rawRead);
    std::printf("%-44s %9.1f x   (target <= 6 x)\n", "load / raw read", load / rawRead);
    std::printf("%-44s %9.1f MB  (%.1f x the bytes on disk)\n",
                "resident memory added, peak while loading", peakMb, peakMb * 1e6 / double(bytes));
    std::printf("%-44s %9.1f MB  (%.1f x the bytes on disk, target <= 3 x)\n",
                "resident memory added, set loaded", keptMb, keptMb * 1e6 / double(bytes));
    report("sort 65,535 guests by name", sort, 100);
    std::printf("Hostile file: five records of 65,535 fields (%.1f MB)\n",
                double(wide.size()) / 1e6);
    report("open it (or refuse it)", openWide, 100);
    if (!beside.isEmpty())
        printBeside(figures, beside, runs);
    return 0;
}
