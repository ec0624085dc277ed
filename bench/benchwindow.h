#pragma once

#include "app/frmmain.h"
#include "benchutil.h"
#include "plan/appstate.h"
#include "store/planset.h"

#include <QApplication>
#include <algorithm>
#include <cstdlib>

// What the form benchmarks share: an offscreen application unless a display is set, the run
// count from the first argument (9 by default), and the main window on the default plan with
// every prompt answered at once.
struct BenchApp {
    static int &offscreenUnlessDisplayed(int &argc) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
            qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }

    BenchApp(int &argc, char **argv)
        : app(offscreenUnlessDisplayed(argc), argv)
        , runs(argc > 1 ? std::max(1, std::atoi(argv[1])) : 9) {
        appState().setPrompter(&prompter);
    }

    QApplication app;
    int runs;
    QuietPrompter prompter;
};

struct BenchWindow : BenchApp {
    BenchWindow(int &argc, char **argv)
        : BenchApp(argc, argv)
        , window(appState()) {
        appState().server().setLocations(HotSyncLocations{});
        window.NewPlan();
        window.show();
    }

    frmMain window;
};
