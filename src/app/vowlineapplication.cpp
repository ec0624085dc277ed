#include "vowlineapplication.h"

#include "plan/appstate.h"

#include <new>

void reportUnexpected(const std::exception &error) {
    const QString text =
        dynamic_cast<const std::bad_alloc *>(&error)
            ? QStringLiteral("There is not enough memory to finish this command, so it was "
                             "stopped.")
            : QStringLiteral("This command was stopped by an unexpected error:") + u'\r' +
                  QString::fromLocal8Bit(error.what());
    try {
        appState().prompter().tell(text, kProgramTitle, Prompter::Icon::Exclamation);
    } catch (const std::exception &) {
        // Not even the message could be shown; the program goes on all the same.
    }
}

bool VowlineApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        reportUnexpected(error);
        return false;
    }
}
