#include "appsettings.h"

#include "frmmain.h"
#include "plan/appstate.h"
#include "widgets/listgrid.h"
#include "widgets/twips.h"

#include <QDir>
#include <QSettings>

namespace AppSettings {

namespace {

constexpr int kDefaultPlace = 105;
constexpr int kDefaultWidth = 11895;
constexpr int kDefaultHeight = 7470;

int twipsSetting(QSettings &settings, const QString &key, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toString().toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

void loadWindowSettings(frmMain &window) {
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    const int left = twipsSetting(settings, QStringLiteral("MainLeft"), kDefaultPlace);
    const int top = twipsSetting(settings, QStringLiteral("MainTop"), kDefaultPlace);
    const int width = twipsSetting(settings, QStringLiteral("MainWidth"), kDefaultWidth);
    const int height = twipsSetting(settings, QStringLiteral("MainHeight"), kDefaultHeight);
    window.move(Twips::toPixels(left), Twips::toPixels(top));
    window.resize(Twips::toPixels(width), Twips::toPixels(height));
    for (ListGrid *grid : window.grids())
        grid->restoreState(settings);
}

void saveWindowSettings(frmMain &window) {
    QSettings settings;
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QStringLiteral("path"),
                      QDir::toNativeSeparators(window.state().programFolder));
    if (!window.isMinimized()) {
        settings.setValue(QStringLiteral("MainLeft"),
                          QString::number(Twips::fromPixels(window.x())));
        settings.setValue(QStringLiteral("MainTop"),
                          QString::number(Twips::fromPixels(window.y())));
        settings.setValue(QStringLiteral("MainWidth"),
                          QString::number(Twips::fromPixels(window.width())));
        settings.setValue(QStringLiteral("MainHeight"),
                          QString::number(Twips::fromPixels(window.height())));
    }
    for (ListGrid *grid : window.grids())
        grid->saveState(settings);
    settings.endGroup();
    settings.setValue(QStringLiteral("Files/File1"), window.state().currentSetFolder);
}

QString lastFolder() {
    return QSettings().value(QStringLiteral("Files/File1")).toString();
}

} // namespace AppSettings
