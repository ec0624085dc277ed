// The guest list to and from a spreadsheet at the format's limit: a CSV file of 65,535 guests
// read, previewed and added to an empty plan, the preview against 65,535 guests already in a
// plan (every row a likely duplicate), and the export; then the import preview of a million
// rows of one guest, from reading the file to the painted dialog. Prints medians.
#include "benchutil.h"
#include "store/planedit.h"
#include "transfer/guestcsv.h"
#include "views/frmimportguests.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <ctime>
#include <sys/resource.h>

namespace {

QString word(QRandomGenerator &rng, int minLen, int maxLen) {
    static const char *syllables[] = {"an", "ber", "ca", "dé", "ea", "fi", "gor", "ha", "is", "jo",
                                      "ka", "li",  "mo", "nü", "or", "pe", "qua", "ro", "sa", "tu"};
    QString w;
    const int target = int(rng.bounded(minLen, maxLen + 1));
    while (w.size() < target)
        w += QString::fromUtf8(syllables[rng.bounded(20)]);
    w[0] = w[0].toUpper();
    return w;
}

void fill(PalmDatabase &guests) {
    QRandomGenerator rng(20261206);
    for (int i = 0; i < GuestCsv::kMaxGuests; ++i) {
        Record &r = guests.records().add();
        guests.write(r, "gnam",
                     word(rng, 4, 9) + u' ' + word(rng, 5, 11) + u' ' + QString::number(i));
        guests.write(r, "gtyp", QStringLiteral("Bride's Family"));
        guests.write(r, "gadr", QString::number(rng.bounded(1, 9999)) + QStringLiteral(" Main St"));
        guests.write(r, "gcit", word(rng, 5, 10));
        guests.write(r, "gsta", QStringLiteral("OH"));
        guests.write(r, "gzip", QStringLiteral("0") + QString::number(rng.bounded(1000, 9999)));
        guests.write(r, "gctr", QStringLiteral("USA"));
        guests.write(r, "gpho", QStringLiteral("555-0100"));
        guests.write(r, "gcos",
                     word(rng, 4, 8).toLower() + QString::number(i) +
                         QStringLiteral("@example.com"));
        guests.write(r, "rsvp", QString::number(rng.bounded(1, 5)));
        guests.write(r, "gcon", rng.bounded(2) == 1, FieldKind::Boolean);
        guests.write(r, "gift", rng.bounded(4) == 0 ? QStringLiteral("Toaster, red") : QString());
        guests.write(r, "gnot",
                     rng.bounded(8) == 0 ? QStringLiteral("Two lines\nof notes") : QString());
    }
}

struct Times {
    double wallMs;
    double cpuMs;
};

double cpuNowMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Medians of the wall clock and of the CPU time: on a shared machine the wall clock also counts
// the time spent waiting for a core.
Times measure(int runs, const std::function<void()> &body,
              const std::function<void()> &setup = {}) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        QElapsedTimer timer;
        const double cpuStart = cpuNowMs();
        timer.start();
        body();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuNowMs() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void print(const char *what, Times t, double targetMs = 0) {
    std::printf("%-44s %9.2f ms wall %9.2f ms CPU", what, t.wallMs, t.cpuMs);
    if (targetMs > 0)
        std::printf("   (target < %.0f ms)", targetMs);
    std::printf("\n");
}

// One guest a million times over, as a CSV file well under the 64 MB limit.
QByteArray repeatedGuest(int rows) {
    const QByteArray row = "Ann Lee,Family,Boston,ann@example.org,2\r\n";
    QByteArray bytes = "Name,Relation,City,E-Mail,RSVP\r\n";
    bytes.reserve(bytes.size() + row.size() * rows);
    for (int i = 0; i < rows; ++i)
        bytes += row;
    return bytes;
}

double peakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRuns = 9;
    PalmDatabase plan;
    fill(plan);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("guests.csv"));
    QByteArray bytes;
    const Times exported = measure(kRuns, [&] {
        bytes = GuestCsv::exportGuests(plan, GuestCsv::Form::AllFields);
        Csv::writeFile(path, bytes);
    });
    std::printf("%d guests, %.1f MB of CSV, medians of %d runs\n", GuestCsv::kMaxGuests,
                double(bytes.size()) / 1e6, kRuns);

    Csv::Table table;
    const Times parsed = measure(kRuns, [&] { table = Csv::readFile(path); });
    const GuestCsv::Mapping mapping = GuestCsv::guessMapping(table.header);

    const PalmDatabase empty;
    GuestCsv::Plan preview;
    const Times previewed =
        measure(kRuns, [&] { preview = GuestCsv::analyse(table, mapping, empty, {}); });

    // The import adds to a plan through an edit, as the program does.
    PlanSet set;
    auto fresh = [&] {
        set = PlanSet();
        for (const Schema::DatabaseInfo &info : Schema::kDatabases)
            set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    };
    auto apply = [&](const GuestCsv::Plan &plan) {
        PlanEdit edit(set);
        return GuestCsv::apply(plan, {}, edit);
    };
    const Times applied = measure(
        kRuns, [&] { apply(preview); }, fresh);

    int added = 0;
    const Times imported = measure(
        kRuns,
        [&] {
            const Csv::Table t = Csv::readFile(path);
            const auto p =
                GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), set.db(Schema::DbId::Guest),
                                  set.db(Schema::DbId::RelTypes).listValues(Schema::kCategoryType));
            added = apply(p);
        },
        fresh);
    if (added != GuestCsv::kMaxGuests)
        std::printf("only %d guests were added\n", added);

    std::size_t duplicates = 0;
    const Times againstFull = measure(
        kRuns, [&] { duplicates = GuestCsv::analyse(table, mapping, plan, {}).duplicates.size(); });
    if (duplicates != std::size_t(GuestCsv::kMaxGuests))
        std::printf("the preview found only %zu likely duplicates\n", duplicates);

    print("export 65,535 guests (all fields)", exported);
    print("read and parse the file", parsed);
    print("preview for an empty plan", previewed);
    print("add the 65,535 guests to the plan", applied);
    print("import: read, preview and add, all together", imported, 1000);
    print("preview against 65,535 guests in the plan", againstFull);

    // The preview of a million rows: read the file, build the dialog and paint it.
    constexpr int kMillion = 1000000;
    const QString millionPath = dir.filePath(QStringLiteral("million.csv"));
    const QByteArray million = repeatedGuest(kMillion);
    Csv::writeFile(millionPath, million);
    Csv::Table big;
    const Times bigParsed = measure(kRuns, [&] { big = Csv::readFile(millionPath); });
    QString summary;
    const Times bigPreview = measure(kRuns, [&] {
        const Csv::Table t = Csv::readFile(millionPath);
        frmImportGuests preview(t, QStringLiteral("million.csv"), empty, {});
        preview.show();
        QCoreApplication::processEvents();
        summary =
            preview.findChild<QWidget *>(QStringLiteral("lblSummary"))->property("text").toString();
    });
    std::printf("\n%d rows of one guest, %.1f MB of CSV: \"%s\"\n", kMillion,
                double(million.size()) / 1e6, qPrintable(summary));
    print("read and parse the file", bigParsed);
    print("preview: read, analyse, show the dialog", bigPreview, 5000);
    std::printf("peak resident memory of the process: %.0f MB\n", peakResidentMb());
    return 0;
}
