// The plan store on a plan at the format's limit: 65,535 guests, 5,000 vendors, 5,000 tasks.
// Measures saving and loading the whole nine-file set, reading the same bytes raw, and
// sorting the guests by name. Prints medians.
//
//   bench_store [runs] [--beside <another bench_store>]
//
// --beside measures another build of the benchmark (one with the other form of field values,
// lean or portable) turn about with this one, run for run, so that both see the same load on a
// shared machine, and prints the two builds' medians side by side.
#include "benchutil.h"
#include "store/palmdatabase.h"
#include "store/planset.h"
#include "store/prompter.h"
#include "store/setwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <iostream>
#include <malloc.h>
#include <string>
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

// What the timings work on: the plan built in memory and saved once before any timing.
struct Workbench {
    QTemporaryDir program;
    QTemporaryDir folder;
    QTemporaryDir setFolder;
    QuietPrompter prompter;
    TB4Server server{HotSyncLocations{}};
    FileSink disk;
    PlanSet set;
    PlanSet loaded;
    QByteArray guestBytes;
    std::unique_ptr<PalmDatabase> guests;
    QByteArray wide = wideRecordsFile();

    Workbench() {
        QDir(program.path()).mkpath(QStringLiteral("defaults"));
        buildDefaultSet(set, server, program.path(), prompter);
        buildPlan(set);
        save();
        guestBytes = set.db(DbId::Guest).toBytes();
    }
    void save() {
        for (const auto &info : Schema::kDatabases)
            set.db(info.id).save(folder.path() + u'/' + info.fileName);
    }
    void load() { loadSetFromFolder(loaded, server, folder.path(), program.path(), prompter); }
    qint64 bytesOnDisk() const {
        qint64 bytes = 0;
        for (const auto &info : Schema::kDatabases)
            bytes += QFileInfo(folder.path() + u'/' + info.fileName).size();
        return bytes;
    }
};

// One timing: `setup` runs untimed before each run of `body`.
struct Case {
    const char *key;
    const char *label;
    double targetMs; // 0: none
    std::function<void()> body;
    std::function<void()> setup = {};
};

std::vector<Case> casesOf(Workbench &w) {
    return {
        {"save", "save whole set (nine files)", 300,
         [&w] {
             w.save();
         }},
        // The program's own "Save to File" writes the nine files as one unit, each synced.
        {"saveSet", "save as one unit, synced (Save to File)", 0,
         [&w] {
             std::vector<SetFile> files;
             for (const auto &info : Schema::kDatabases)
                 files.push_back({QString(info.fileName), w.set.db(info.id).toBytes()});
             writeSet(w.setFolder.path(), files, w.disk);
         }},
        {"raw", "read the same bytes raw", 0,
         [&w] {
             for (const auto &info : Schema::kDatabases) {
                 QFile file(w.folder.path() + u'/' + info.fileName);
                 file.open(QIODevice::ReadOnly);
                 volatile qsizetype n = file.readAll().size();
                 (void)n;
             }
         }},
        // The load alone: the previous set is released and its memory returned beforehand.
        {"load", "load whole set (nine files)", 300, [&w] { w.load(); },
         [&w] {
             w.loaded.release();
             malloc_trim(0);
         }},
        // What opening another plan costs in the program: dropping the open set, then the load.
        {"replace", "release the open set, then load", 0,
         [&w] {
             w.loaded.release();
             w.load();
         }},
        {"sort", "sort 65,535 guests by name", 100,
         [&w] { w.guests->sort("gnam", true, QString(), true); },
         [&w] {
             w.guests = PalmDatabase::fromBytes(w.guestBytes, QStringLiteral("guests"));
         }},
        {"wide", "open a hostile file (or refuse it)", 100,
         [&w] {
             try {
                 PalmDatabase::fromBytes(w.wide, QStringLiteral("wide.pdb"));
             } catch (const StoreError &) {
             }
         }},
    };
}

double runOnce(const Case &c) {
    return medianMs(1, c.body, c.setup);
}

// Resident memory the loaded set adds, at its peak and lasting, in MB: medians over fresh
// processes that each load the set once.
std::pair<double, double> loadMemory(const Workbench &w, int runs) {
    std::vector<qint64> peaks;
    std::vector<qint64> kepts;
    for (int i = 0; i < std::min(runs, 5); ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--load-memory"), w.folder.path(), w.program.path()});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() == 2) {
            peaks.push_back(figures[0].toLongLong());
            kepts.push_back(figures[1].toLongLong());
        }
    }
    std::sort(peaks.begin(), peaks.end());
    std::sort(kepts.begin(), kepts.end());
    return {peaks.empty() ? 0 : double(peaks[peaks.size() / 2]) / 1e6,
            kepts.empty() ? 0 : double(kepts[kepts.size() / 2]) / 1e6};
}

// --serve: the other side of --beside. Answers each line read: "<case>" with the time of one
// run, "memory <runs>" with the peak and lasting memory.
int serve() {
    Workbench w;
    const std::vector<Case> cases = casesOf(w);
    std::printf("ready %s\n", valueForm());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.rfind("memory ", 0) == 0) {
            const auto [peak, kept] = loadMemory(w, std::stoi(line.substr(7)));
            std::printf("%.3f %.3f\n", peak, kept);
        }
        for (const Case &c : cases) {
            if (line == c.key)
                std::printf("%.3f\n", runOnce(c));
        }
        std::fflush(stdout);
    }
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The benchmark run turn about with `otherPath`, a build with the other form of field values.
int runBeside(Workbench &w, const QString &otherPath, int runs) {
    QProcess other;
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(otherPath, {QStringLiteral("--serve")});
    auto answer = [&other] {
        while (!other.canReadLine()) {
            if (!other.waitForReadyRead(-1))
                return QByteArray();
        }
        return other.readLine().trimmed();
    };
    auto ask = [&](const QByteArray &command) {
        other.write(command + '\n');
        return answer();
    };
    const QList<QByteArray> ready = answer().split(' ');
    if (ready.size() != 2 || ready[0] != "ready") {
        std::printf("%s did not start: %s\n", qPrintable(otherPath),
                    qPrintable(other.errorString()));
        return 1;
    }
    const QByteArray otherForm = ready[1];
    std::printf("%-44s %11s %11s %8s\n", "Field values, run for run", valueForm(),
                otherForm.constData(), "ratio");
    auto row = [&](const char *label, double mine, double theirs, const char *unit) {
        std::printf("%-44s %8.1f %-2s %8.1f %-2s %6.2f x\n", label, mine, unit, theirs, unit,
                    mine > 0 ? theirs / mine : 0.0);
    };
    for (const Case &c : casesOf(w)) {
        std::vector<double> mine;
        std::vector<double> theirs;
        // Each goes first every other run.
        for (int i = 0; i < runs; ++i) {
            if (i % 2 == 0)
                theirs.push_back(ask(c.key).toDouble());
            mine.push_back(runOnce(c));
            if (i % 2 == 1)
                theirs.push_back(ask(c.key).toDouble());
        }
        row(c.label, median(mine), median(theirs), "ms");
    }
    const auto [peak, kept] = loadMemory(w, runs);
    const QList<QByteArray> theirMemory = ask("memory " + QByteArray::number(runs)).split(' ');
    row("resident memory added, peak while loading", peak, theirMemory.value(0).toDouble(), "MB");
    row("resident memory added, set loaded", kept, theirMemory.value(1).toDouble(), "MB");
    std::printf("(set on disk: %.1f MB)\n", double(w.bytesOnDisk()) / 1e6);
    other.closeWriteChannel();
    other.waitForFinished(-1);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--load-memory")
        return measureLoadMemory(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 2 && QByteArray(argv[1]) == "--serve")
        return serve();
    int runs = 9;
    QString beside;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--beside" && i + 1 < argc)
            beside = QString::fromLocal8Bit(argv[++i]);
        else
            runs = std::max(1, atoi(argv[i]));
    }
    std::printf("Plan: 65,535 guests, 5,000 vendors, 5,000 tasks; %d runs each, medians\n", runs);
    std::printf("Field values: %s (Qt %s)\n\n", valueForm(), qVersion());
    Workbench w;
    if (!beside.isEmpty())
        return runBeside(w, beside, runs);

    std::printf("Set size on disk: %.1f MB\n", double(w.bytesOnDisk()) / 1e6);
    double load = 0;
    double rawRead = 0;
    for (const Case &c : casesOf(w)) {
        const double ms = medianMs(runs, c.body, c.setup);
        report(c.label, ms, c.targetMs);
        if (qstrcmp(c.key, "load") == 0)
            load = ms;
        if (qstrcmp(c.key, "raw") == 0)
            rawRead = ms;
    }
    std::printf("%-44s %9.1f x   (target <= 6 x)\n", "load / raw read", load / rawRead);
    const auto [peakMb, keptMb] = loadMemory(w, runs);
    const double bytes = double(w.bytesOnDisk());
    std::printf("%-44s %9.1f MB  (%.1f x the bytes on disk)\n",
                "resident memory added, peak while loading", peakMb, peakMb * 1e6 / bytes);
    std::printf("%-44s %9.1f MB  (%.1f x the bytes on disk, target <= 3 x)\n",
                "resident memory added, set loaded", keptMb, keptMb * 1e6 / bytes);
    std::printf("(the hostile file: five records of 65,535 fields, %.1f MB)\n",
                double(w.wide.size()) / 1e6);
    return 0;
}
