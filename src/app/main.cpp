// Vowline Desktop: the entry procedure.
#include "frmmain.h"
#include "qtprompter.h"
#include "store/appstate.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vowline"));
    QApplication::setApplicationName(QStringLiteral("Vowline Desktop"));
    QApplication::setApplicationVersion(QStringLiteral(VOWLINE_VERSION));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    QtPrompter prompter;
    appState().setPrompter(&prompter);
    frmMain window;
    window.StartUp();
    return QApplication::exec();
}
