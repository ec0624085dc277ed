// Vowline Desktop: the entry procedure.
#include "appsettings.h"
#include "commandline.h"
#include "frmmain.h"
#include "plan/appstate.h"
#include "qtprompter.h"
#include "vowlineapplication.h"

#include <QIcon>

int main(int argc, char **argv) {
    QApplication::setOrganizationName(QStringLiteral("Vowline"));
    QApplication::setApplicationName(QStringLiteral("Vowline Desktop"));
    QApplication::setApplicationVersion(QStringLiteral(VOWLINE_VERSION));
    // --help and --version answer without a display.
    {
        QCoreApplication console(argc, argv);
        CommandLine::answerInformationOptions(console.arguments());
    }

    VowlineApplication app(argc, argv);
    const std::optional<QString> plan = CommandLine::planArgument(QApplication::arguments());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(CommandLine::kAppId));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(CommandLine::programIcon());

    QtPrompter prompter;
    // Before the program-wide state, whose HotSync places are read from the settings.
    AppSettings::checkSettingsFile(prompter);
    AppState &state = appState();
    state.setPrompter(&prompter);
    frmMain window(state);
    if (plan)
        window.openAtStart(*plan);
    try {
        window.StartUp();
    } catch (const std::exception &error) {
        reportUnexpected(error);
        window.show();
    }
    return QApplication::exec();
}
