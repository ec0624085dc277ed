// The Reports menu through the real main window: the save question, the folder and the viewer.
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"

#include <QAction>
#include <QLineEdit>

class TestReportsMenu : public QObject {
    Q_OBJECT
private slots:
    void reportsMenu() {
        MainWindowFixture f;
        f.expectNoPalmUser();
        f.create();
        f.startUp();
        QStringList shown;
        appState().setViewer([&](const QString &path) { shown << path; });
        auto trigger = [&](const char *name) {
            f.find<QAction>(QString::fromLatin1(name))->trigger();
        };

        // A new plan has no folder yet: the report goes into the program folder.
        trigger("mnuReportsGuests");
        QCOMPARE(shown, QStringList{f.programFolder() + QStringLiteral("/Guest_List.htm")});

        const QString question = QStringLiteral(
            "Before you can print, you must save the changes to the current Wedding Plan.  Do "
            "you want to save the changes now?");
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("TXTbnam")), QStringLiteral("Juliet"));
        f.prompter().expectMessage(question, QStringLiteral("Save Changes?"),
                                   Prompter::Icon::Question, Prompter::Buttons::YesNo,
                                   Prompter::Answer::No);
        trigger("mnuReportsDetails");
        QCOMPARE(shown.size(), 1);
        QVERIFY(!QFile::exists(f.programFolder() + QStringLiteral("/Details.htm")));

        // Yes saves first; the report then goes beside the saved plan, titled by its name.
        const QString folder = f.programFolder() + QStringLiteral("/Users/Smith");
        f.prompter().expectMessage(question, QStringLiteral("Save Changes?"),
                                   Prompter::Icon::Question, Prompter::Buttons::YesNo,
                                   Prompter::Answer::Yes);
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Zoë & <b>Ann</b>"));
        expectUserNamePrompt(f.prompter(), QStringLiteral("Smith"));
        expectSavedMessage(f.prompter(), folder);
        trigger("mnuReportsDetails");
        QCOMPARE(shown.last(), folder + QStringLiteral("/Details.htm"));
        const QString html = QString::fromUtf8(readAll(shown.last()));
        QVERIFY(html.contains(
            QStringLiteral("<h1>Wedding Details for Zoë &amp; &lt;b&gt;Ann&lt;/b&gt;</h1>")));
        QVERIFY(html.contains(QStringLiteral("<td width=\"82%\">Juliet</td>")));
        // The seating chart goes the same way, beside the plan.
        trigger("mnuReportsSeating");
        QCOMPARE(shown.last(), folder + QStringLiteral("/Seating.htm"));
        QVERIFY(QString::fromUtf8(readAll(shown.last()))
                    .contains(QStringLiteral(
                        "<h1>Seating Chart for Zoë &amp; &lt;b&gt;Ann&lt;/b&gt;</h1>")));
        VERIFY_PROMPTS(f.prompter());
        appState().setViewer({});
    }
};

VOWLINE_TEST(TestReportsMenu)
#include "tst_reportsmenu.moc"
