#include "appsettings.h"

#include "frmmain.h"
#include "plan/appstate.h"
#include "store/safefile.h"
#include "widgets/listgrid.h"
#include "widgets/twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

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

// The files the settings store reads for this program: its own, and its organisation's.
QStringList settingsFiles() {
    // Where the store keeps its files, learned from a store under names nobody uses: it finds
    // no file to open, and it knows any other place set for the store (tests set one).
    const QString unused = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral(".vowline-unused"), QStringLiteral("unused"))
                               .fileName();
    const QString base = QFileInfo(QFileInfo(unused).absolutePath()).absolutePath();
    const QString organization = QCoreApplication::organizationName();
    const QString extension = QFileInfo(unused).suffix();
    return {base + u'/' + organization + u'/' + QCoreApplication::applicationName() + u'.' +
                extension,
            base + u'/' + organization + u'.' + extension};
}

} // namespace

bool checkSettingsFile(Prompter &prompter) {
    for (const QString &file : settingsFiles()) {
        const SafeFile::Kind kind = SafeFile::probe(file);
        // A file that cannot be reached is one QSettings cannot open either: it gives up at once.
        if (kind == SafeFile::Kind::Missing || kind == SafeFile::Kind::Regular ||
            kind == SafeFile::Kind::Unreachable)
            continue;
        static QTemporaryDir aside; // this run's settings, gone when it ends
        for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, aside.path());
        prompter.tell(QStringLiteral("The settings file %1 is not a file: it is %2.  Vowline "
                                     "Desktop starts with its default settings and leaves it as "
                                     "it is; changes to the settings are not kept this time.")
                          .arg(QDir::toNativeSeparators(file), SafeFile::describe(kind)),
                      kProgramTitle, Prompter::Icon::Exclamation);
        return false;
    }
    return true;
}

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

bool noPalmNoticeHidden() {
    return QSettings().value(QStringLiteral("Settings/HideNoPalmNotice")).toBool();
}

void hideNoPalmNotice() {
    QSettings().setValue(QStringLiteral("Settings/HideNoPalmNotice"), true);
}

} // namespace AppSettings
