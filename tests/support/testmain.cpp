// The shared main of every test executable: a private environment, then every registered
// test class in turn.
#include "support/testenv.h"

#include <QTest>
#include <algorithm>
#include <vector>

#ifdef VOWLINE_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace {

// A test that hangs fails on its own, in seconds rather than at CTest's limit for the whole
// executable: QtTest's watchdog ends a test function that runs longer than this and names it.
// Neither the watchdog nor a crash starts a debugger to dump the stack (which can hang
// itself), and no core file is left behind.
void limitEachTest() {
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "60000"); // milliseconds: a minute
    qputenv("QTEST_DISABLE_STACK_DUMP", "1");
    qputenv("QTEST_DISABLE_CORE_DUMP", "1");
}

// QtTest's options that take a value: the value is not a test function's name.
bool takesValue(const char *option) {
    static const char *const options[] = {
        "-o",          "-maxwarnings", "-eventdelay",   "-keydelay",     "-mousedelay", "-seed",
        "-iterations", "-median",      "-minimumvalue", "-minimumtotal", "-platform"};
    return std::any_of(std::begin(options), std::end(options),
                       [&](const char *o) { return qstrcmp(o, option) == 0; });
}

} // namespace

int main(int argc, char **argv) {
    limitEachTest();
    setUpTestEnvironment();
    TestApplication app(argc, argv);
    setUpTestEnvironment(); // again: the application may have read the environment
    // Test functions named on the command line run in the classes that have them.
    QList<QByteArray> functions;
    for (int i = 1; i < argc; ++i) {
        if (takesValue(argv[i]))
            ++i;
        else if (argv[i][0] != '-')
            functions << QByteArray(argv[i]).split(':').constFirst() + "()";
    }
    // No crash handler: an abort ends the executable as a plain failure. Qt's handler, left
    // installed when an exception passes through the test runner, would catch its own abort
    // again and again.
    std::vector<char *> args(argv, argv + argc);
    char noCrashHandler[] = "-nocrashhandler";
    args.push_back(noCrashHandler);
    int failures = 0;
    int run = 0;
    for (const auto &[name, make] : TestRegistry::all()) {
        std::unique_ptr<QObject> test = make();
        const bool named = std::any_of(functions.cbegin(), functions.cend(), [&](const auto &f) {
            return test->metaObject()->indexOfMethod(f.constData()) >= 0;
        });
        if (!functions.isEmpty() && !named)
            continue;
        try {
            failures += QTest::qExec(test.get(), int(args.size()), args.data());
        } catch (const std::exception &error) {
            // The runner names the test function; the class's other functions are not run.
            qWarning("%s stopped on an exception: %s", name, error.what());
            ++failures;
        } catch (...) {
            qWarning("%s stopped on an exception", name);
            ++failures;
        }
        ++run;
    }
    // Names that match no test function must not pass as a run of nothing.
    if (run == 0) {
        qWarning("No test class has the test functions named.");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
