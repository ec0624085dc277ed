// The shared main of every test executable: a private environment, then every registered
// test class in turn.
#include "support/testenv.h"

#include <QTest>
#include <algorithm>

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
    // Test functions named on the command line run in the classes that have them.
    QList<QByteArray> functions;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-')
            functions << QByteArray(argv[i]).split(':').constFirst() + "()";
    }
    int failures = 0;
    for (const auto &[name, make] : TestRegistry::all()) {
        std::unique_ptr<QObject> test = make();
        const bool named = std::any_of(functions.cbegin(), functions.cend(), [&](const auto &f) {
            return test->metaObject()->indexOfMethod(f.constData()) >= 0;
        });
        if (!functions.isEmpty() && !named)
            continue;
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
