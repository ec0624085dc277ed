// Checks on the test harness itself, run by selfcheck.cmake: each function here fails on
// purpose, and the point is how. A failed check inside a modal dialog's handler, or a handler
// that throws, must end in a failure within seconds (the dialogs rejected, exec() returning),
// and a test function that hangs must be ended by the time limit and named. The class joins
// the run only when VOWLINE_SELF_CHECK is set, so that ordinary runs stay green.
#include "support/guitest.h"

#include <QEventLoop>
#include <stdexcept>

class HarnessSelfCheck : public QObject {
    Q_OBJECT
private slots:
    // The inner dialog's handler fails while the outer dialog waits in its own handler: both
    // must close.
    void failedCheckInModalHandler() {
        QDialog outer;
        outer.setObjectName(QStringLiteral("dlgOuter"));
        onNextModal(QStringLiteral("dlgOuter"), [](QDialog *d) {
            QDialog inner(d);
            inner.setObjectName(QStringLiteral("dlgInner"));
            onNextModal(QStringLiteral("dlgInner"),
                        [](QDialog *) { QVERIFY2(false, "a check fails inside the handler"); });
            inner.exec();
        });
        report(outer.exec());
    }

    void throwingModalHandler() {
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("dlgThrows"));
        onNextModal(QStringLiteral("dlgThrows"),
                    [](QDialog *) { throw std::runtime_error("thrown inside the handler"); });
        report(dialog.exec());
    }

    void hangingFunction() { QEventLoop().exec(); }

private:
    static void report(int result) {
        qInfo("exec() returned %s", result == QDialog::Rejected ? "Rejected" : "Accepted");
    }
};

static const int selfCheckRegistered =
    qEnvironmentVariableIsSet("VOWLINE_SELF_CHECK")
        ? TestRegistry::add("HarnessSelfCheck",
                            [] { return std::unique_ptr<QObject>(new HarnessSelfCheck); })
        : 0;

#include "selfcheck.moc"
