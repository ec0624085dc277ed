// Start-up to the first shown main window: the program's own entry procedure (Palm users read,
// default plan built from the defaults folder, window laid out and shown), run in a fresh
// process each time. Prints the median of the runs.
#include "app/frmmain.h"
#include "benchutil.h"
#include "plan/appstate.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Ends the process once the window has been painted for the first time.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            std::_Exit(0);
        return false;
    }
};

int child(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vowline"));
    QApplication::setApplicationName(QStringLiteral("Vowline Desktop"));
    QuietPrompter prompter;
    appState().setPrompter(&prompter);
    frmMain window(appState());
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.StartUp();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--child")
        return child(argc, argv);

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("palm/Ann/Backup"));
    QFile last(home.path() + QStringLiteral("/palm/LastHotSync.txt"));
    last.open(QIODevice::WriteOnly);
    last.write("Ann\n");
    last.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("VOWLINE_PALM_DESKTOP"), home.path() + QStringLiteral("/palm"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<double> times;
    for (int i = 0; i < runs + 1; ++i) {
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--child")});
        if (!process.waitForFinished(10000) || process.exitCode() != 0) {
            std::fprintf(stderr, "the program did not start: %s\n",
                         process.readAllStandardError().constData());
            return 1;
        }
        if (i > 0) // the first run warms the disk cache
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("Start-up to the first painted main window (%s), %d runs\n",
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"))),
                runs);
    std::printf("%-44s %9.2f ms   (target < 200 ms)\n", "median", times[times.size() / 2]);
    std::printf("%-44s %9.2f ms\n", "fastest", times.front());
    return 0;
}
