#include "app/frmmain.h"
#include "support/guitest.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolBar>

namespace {

// A help page as the source tree holds it, each run of blanks and line breaks read as one
// blank, so that a caption may wrap anywhere in the page's text.
QString helpPage(const QString &name) {
    QFile file(QStringLiteral(VOWLINE_HELP_DIR) + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).simplified();
}

// A caption as the page writes it: without the "&" of its access key ("&&" is an "&"), the
// "..." of a command that asks first or the ":" of a label, and HTML-escaped.
QString asWritten(const QString &caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&')
            text += caption[i];
        else if (i + 1 < caption.size() && caption[i + 1] == u'&')
            text += caption[++i];
    }
    text = text.trimmed();
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed().toHtmlEscaped();
}

struct Caption {
    QString where; // how a failure names it: "File > Import Guests"
    QString text;  // as the page writes it
    // A command is named on its own (see namedIn); a button or a box may be named in a
    // sentence ("Address, City, State, Zip and Phone").
    bool command = false;
};

// Whether the page names a command on its own: as the whole text of an element
// ("<strong>Print...</strong>", "<h3>Guests</h3>") or as the last step of a menu path
// ("File &gt; Print..."). A word that merely occurs in some sentence ("Open") is no
// description of the command.
bool namedIn(const QString &page, const QString &text) {
    for (const QString &before : {QStringLiteral(">"), QStringLiteral("&gt; ")}) {
        for (const QString &after : {QStringLiteral("<"), QStringLiteral("...<")}) {
            if (page.contains(before + text + after))
                return true;
        }
    }
    return false;
}

// Every visible item of the menu, and of its submenus, with its path from the menu bar.
void addMenuItems(const QMenu &menu, const QString &path, QList<Caption> &captions) {
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QString text = asWritten(action->text());
        const QString where = path + QStringLiteral(" > ") + text;
        captions << Caption{where, text, true};
        if (action->menu())
            addMenuItems(*action->menu(), where, captions);
    }
}

// The commands a user meets in the main window: the menus, the toolbar's buttons, the tabs,
// and the buttons, check boxes, frames and named boxes on the tabs and the toolbar.
QList<Caption> windowCaptions(frmMain &window) {
    QList<Caption> captions;
    for (const QAction *title : window.menuBar()->actions()) {
        if (!title->menu() || !title->isVisible())
            continue;
        const QString text = asWritten(title->text());
        captions << Caption{text, text, true};
        addMenuItems(*title->menu(), text, captions);
    }
    for (const QAction *button : window.toolBar()->actions()) {
        if (!button->isSeparator() && !button->toolTip().isEmpty())
            captions << Caption{QStringLiteral("toolbar button ") + button->toolTip(),
                                asWritten(button->toolTip())};
    }
    const QTabWidget *tabs = window.mainTab();
    for (int t = 0; t < tabs->count(); ++t) {
        const QString tab = asWritten(tabs->tabText(t));
        captions << Caption{QStringLiteral("tab ") + tab, tab, true};
        const QWidget *page = tabs->widget(t);
        for (const QAbstractButton *button : page->findChildren<QAbstractButton *>()) {
            if (!button->text().isEmpty())
                captions << Caption{tab + QStringLiteral(" tab: ") + button->text(),
                                    asWritten(button->text())};
        }
        for (const QGroupBox *frame : page->findChildren<QGroupBox *>())
            captions << Caption{tab + QStringLiteral(" tab: frame ") + frame->title(),
                                asWritten(frame->title())};
    }
    // A box is named by its label, on the tabs and on the toolbar (the Palm user) alike.
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->buddy() && !label->text().isEmpty())
            captions << Caption{QStringLiteral("box ") + label->text(), asWritten(label->text())};
    }
    return captions;
}

// The menu paths a page names in bold ("File &gt; Import Guests..."), each as its captions.
QList<QStringList> menuPathsIn(const QString &page) {
    QList<QStringList> paths;
    static const QRegularExpression bold(QStringLiteral("<strong>([^<]*&gt;[^<]*)</strong>"));
    for (const QRegularExpressionMatch &match : bold.globalMatch(page)) {
        QStringList parts = match.captured(1).split(QStringLiteral("&gt;"));
        for (QString &part : parts) {
            part = part.trimmed();
            if (part.endsWith(QStringLiteral("...")))
                part.chop(3);
        }
        paths << parts;
    }
    return paths;
}

// True when `path` leads from a menu title through the menus to a visible item.
bool menuPathExists(const QMenuBar &bar, const QStringList &path) {
    QList<QAction *> actions = bar.actions();
    for (qsizetype i = 0; i < path.size(); ++i) {
        const auto at = std::find_if(actions.begin(), actions.end(), [&](const QAction *a) {
            return a->isVisible() && !a->isSeparator() && asWritten(a->text()) == path[i];
        });
        if (at == actions.end())
            return false;
        if (i + 1 < path.size()) {
            if (!(*at)->menu())
                return false;
            actions = (*at)->menu()->actions();
        }
    }
    return true;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    // A command added to the window without a word in the help fails here, by its name: every
    // menu item (submenus too), toolbar button, tab, and button, frame and box of the tabs.
    void everyCommandHasAWordInTheHelp() {
        const QString page = helpPage(QStringLiteral("VLHelp.htm"));
        QVERIFY2(!page.isEmpty(), "VLHelp.htm could not be read from the source tree");
        MainWindowFixture f;
        frmMain &w = f.create();
        const QList<Caption> captions = windowCaptions(w);
        // The window's parts are all there to be found: an empty list would prove nothing.
        QVERIFY(captions.size() > 100);
        QStringList missing;
        for (const Caption &caption : captions) {
            const bool described =
                caption.command ? namedIn(page, caption.text) : page.contains(caption.text);
            if (!described && !missing.contains(caption.where))
                missing << caption.where;
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("Not described in help/VLHelp.htm:\n  ") +
                            missing.join(QStringLiteral("\n  "))));
    }

    // The help never sends the user to a command that is not there: every menu path the two
    // pages name in bold ("File > Save & Install") is one of the window's.
    void menuPathsInTheHelpExist() {
        MainWindowFixture f;
        frmMain &w = f.create();
        QStringList wrong;
        int named = 0;
        for (const QString &name :
             {QStringLiteral("VLHelp.htm"), QStringLiteral("VowlineManual.htm")}) {
            const QString page = helpPage(name);
            QVERIFY2(!page.isEmpty(), qPrintable(name + QStringLiteral(" could not be read")));
            for (const QStringList &path : menuPathsIn(page)) {
                ++named;
                if (!menuPathExists(*w.menuBar(), path))
                    wrong << name + QStringLiteral(": ") + path.join(QStringLiteral(" > "));
            }
        }
        QVERIFY(named >= 5);
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("No such command:\n  ") +
                                             wrong.join(QStringLiteral("\n  "))));
    }
};

VOWLINE_TEST(TestHelp)
#include "tst_help.moc"
