// The shared main of every test executable: a private environment, then every registered
// test class in turn.
#include "support/testenv.h"

#include <QTest>

#ifdef VOWLINE_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv) {
    setUpTestEnvironment();
    TestApplication app(argc, argv);
    setUpTestEnvironment(); // again: the application may have read the environment
    int failures = 0;
    for (const auto &[name, make] : TestRegistry::all()) {
        std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
