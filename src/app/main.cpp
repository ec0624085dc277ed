// Vowline Desktop: the entry procedure.
#include "frmmain.h"
#include "qtprompter.h"
#include "store/appstate.h"
#include "vowlineapplication.h"

#include <QIcon>

int main(int argc, char **argv) {
    VowlineApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vowline"));
    QApplication::setApplicationName(QStringLiteral("Vowline Desktop"));
    QApplication::setApplicationVersion(QStringLiteral(VOWLINE_VERSION));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    QtPrompter prompter;
    appState().setPrompter(&prompter);
    frmMain window;
    try {
        window.StartUp();
    } catch (const std::exception &error) {
        reportUnexpected(error);
        window.show();
    }
    return QApplication::exec();
}
