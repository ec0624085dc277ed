// The lists of the main window through their widgets: widths, tooltips, header sort, the find
// box, the keys, and the record that stays selected.
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "rules/taskorder.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "views/listtab.h"
#include "views/seatingtab.h"
#include "views/taskstab.h"
#include "widgets/listgrid.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolTip>

using Schema::DbId;

namespace {

using Answer = Prompter::Answer;

struct Guest {
    QString name;
    QString relation = QStringLiteral("Family");
    QString rsvp = QStringLiteral("1");
    bool confirmed = true;
    QString note = {};
};

struct LocaleScope {
    QLocale saved;
    explicit LocaleScope(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved); }
};

const QString kLongName = QStringLiteral("Alexandra Montgomery-Fitzwilliam de la Cruz");

// A main window over a fresh plan holding these guests in this order, on screen, not modified.
class ListPlan : public TabTestWindow {
public:
    explicit ListPlan(const QList<Guest> &guests = {}) {
        for (const Guest &g : guests) {
            Record &r = addRecord(
                db(DbId::Guest),
                {{"gnam", g.name}, {"gtyp", g.relation}, {"rsvp", g.rsvp}, {"gcon", g.confirmed}});
            if (!g.note.isEmpty())
                db(DbId::Guest).write(r, "gnot", g.note);
        }
        emit appState().plan.reset(); // every list and filter box, as after a load
        planSaved();
    }
    // Shows the window (at `size` when given) and makes it the active one.
    bool show(QSize size = {}) {
        if (size.isValid())
            window().resize(size);
        window().show();
        window().activateWindow();
        return QTest::qWaitForWindowActive(&window());
    }
    GuestTab &guests() { return *window().guests(); }
    ListGrid &grid() { return *guests().grid(); }
    QLineEdit &find() { return *guests().findBox(); }
    QString found() { return fixture().find<QLabel>("lblGuestFound")->text(); }
    QStringList names() { return column(grid(), 1); }
    void filter(const QString &relation, const QString &status) {
        PersonListTab::setBoxText(guests().relationBox(), relation);
        PersonListTab::setBoxText(guests().statusBox(), status);
        guests().UpdateGuestGrid();
    }

    // About 150 guests with real-looking names (some long), 30 tasks, 12 vendors with prices
    // and due dates, and 10 tables with guests seated.
    void fillRealistically();
};

void ListPlan::fillRealistically() {
    const QStringList first =
        QStringLiteral("Olivia Liam Emma Noah Amelia Oliver Sophia Elijah Isabella Mateo Mia Lucas "
                       "Zoë Henry Évelyn Theodore Harper Jack Siobhan Kwame Priya Dmitri Joaquín "
                       "Ngozi Åsa Bartholomew Anneliese")
            .split(u' ');
    const QStringList last =
        QStringLiteral("Smith;Nguyen;García;O'Connor;Kowalczyk;Okafor;Müller;Rossi;"
                       "Fitzgerald-Hughes;van der Berg;Lindqvist;Haddad;Yamamoto;MacAllister;"
                       "Delacroix-Beaumont;Chen;Papadopoulos;Brennan;Andersson;Featherstonehaugh;"
                       "Kim;Schwarzkopf;Patel")
            .split(u';');
    const QStringList cities = QStringLiteral("Springfield IL;San Francisco CA;Minneapolis MN;"
                                              "Boston MA;Charlottesville VA;Albuquerque NM")
                                   .split(u';');
    const QStringList relations = QStringLiteral("Bride's Family;Groom's Family;Bride's Friends;"
                                                 "Groom's Friends;Mutual Friends;Coworkers")
                                      .split(u';');
    const QStringList tables =
        QStringLiteral("Head Table;Bride's Family;Groom's Family;College Friends;Coworkers;"
                       "Neighbors;Cousins and Their Children;Family Friends;Out-of-Town Guests;"
                       "Sweetheart Table")
            .split(u';');
    int seated[10] = {};
    for (int i = 0; i < 150; ++i) {
        const QString name =
            i == 0 ? kLongName : first[i % 27] + u' ' + last[(i * 7 + i / 27) % 23];
        const QString &city = cities[i % 6];
        const int rsvp = i % 11 == 0 ? 0 : 1 + i % 4;
        Record &r = addRecord(
            db(DbId::Guest),
            {{"gnam", name},
             {"gtyp", relations[i % 6]},
             {"gcon", i % 3 != 0},
             {"rsvp", rsvp ? QString::number(rsvp) : QString()},
             {"gadr",
              QStringLiteral("%1 %2").arg(100 + i * 17).arg(i % 2 ? "Maple Ave" : "Oak St")},
             {"gcit", city.section(u' ', 0, -2)},
             {"gsta", city.section(u' ', -1)},
             {"gpho", QStringLiteral("(555) 01%1-%2").arg(i % 10).arg(1000 + i * 37)},
             {"gcos", name.section(u' ', 0, 0).toLower() + QStringLiteral("@example.com")}});
        // The confirmed guests of the first hundred sit at the ten tables.
        if (i < 100 && i % 3 != 0 && rsvp && seated[i % 10] + rsvp <= 10) {
            db(DbId::Guest).write(r, "gtag", QString::number(i % 10 + 1));
            seated[i % 10] += rsvp;
        }
    }
    for (int t = 0; t < 10; ++t)
        addRecord(db(DbId::Tables), {{"ttag", QString::number(t + 1)},
                                     {"tabl", tables[t]},
                                     {"maxs", "10"},
                                     {"coun", QString::number(seated[t])},
                                     {"avai", QString::number(10 - seated[t])}});
    // The first thirty starter tasks, some done, most with a due date.
    PalmDatabase &tasks = db(DbId::Tasks);
    while (tasks.records().count() > 30)
        tasks.records().remove(tasks.records().count());
    const QDate wedding = QDate::currentDate().addMonths(10);
    for (int i = 1; i <= 30; ++i) {
        tasks.write(tasks.records().item(i), "done", i < 9, FieldKind::Boolean);
        if (i % 4)
            tasks.write(tasks.records().item(i), "alrm", wedding.addDays(-300 + i * 9).startOfDay(),
                        FieldKind::Date);
    }
    appState().plan.applyQuietly([](PlanEdit &edit) {
        TaskOrder::renumberTasks(edit);
        TaskOrder::sortTasks(edit);
    });
    const QStringList vendors =
        QStringLiteral("Rosewood Manor Estate & Gardens/Venue;Bella Cucina Catering/Caterer;"
                       "Petal & Stem Florals/Florist;Lumière Photography Studio/Photographer;"
                       "Reel Moments Wedding Films/Videographer;Sugarplum Cake Atelier/Baker "
                       "(Cake);DJ Marcus Bell/DJ;The Velvet Swing Orchestra/Band;Bridal Couture "
                       "of Charleston/Bridal Shop;Gentlemen's Formal Rentals/Tuxedo Rental;Glow "
                       "Hair & Makeup Artistry/Hair & Makeup;Paper Lantern Stationery "
                       "Co./Stationery & Invitations")
            .split(u';');
    for (int v = 0; v < 12; ++v) {
        const int quarter = (18500 / (v + 1) + 40 * v) / 4;
        addRecord(db(DbId::Vendors),
                  {{"vnam", vendors[v].section(u'/', 0, 0)},
                   {"vtyp", vendors[v].section(u'/', 1)},
                   {"vcon", v != 11},
                   {"vcos", QString::number(quarter * 4)},
                   {"npay", QString::number(quarter)},
                   {"ndat", QDate::currentDate().addDays(12 + v * 9).startOfDay()},
                   {"vpho", QStringLiteral("(555) 014-%1").arg(2200 + v * 41)},
                   {"vadr", QStringLiteral("%1 Commerce Drive").arg(40 + v * 12)},
                   {"vcit", "Charleston"},
                   {"vsta", "SC"},
                   {"vzip", "29401"}});
    }
    emit appState().plan.reset();
    planSaved();
}

// A real mouse click in the middle of a header section.
void clickHeader(ListGrid &grid, int section) {
    QHeaderView *header = grid.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// The tooltip a pause over the cell brings up; empty for none.
QString tooltipOf(ListGrid &grid, int row, int col) {
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return QStringLiteral("(the last tooltip stayed)");
    const QPoint at = grid.visualRect(grid.model()->index(row - 1, col)).center();
    QHelpEvent event(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The room a cell gives its text: the style's margins taken off.
int textRoom(ListGrid &grid, int col) {
    return grid.columnWidth(col) -
           2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
}

// The first two of a tab's own widgets that lie over each other; empty when none do.
QString overlap(QWidget *tab) {
    const auto name = [](const QWidget *w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                         : w->objectName();
    };
    QList<QWidget *> shown = tab->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    shown.removeIf([](const QWidget *w) { return !w->isVisible(); });
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                return name(shown[i]) + QStringLiteral(" over ") + name(shown[j]);
        }
    }
    return {};
}

const QList<Guest> kFindGuests = {
    {"Ann Lee", "Family", "2", true, "Zoe's aunt"}, // found by her notes
    {"Zoë Martin", "Friend"},
    {"Bob Stone", "Family", "1", true, "Typed a.*( into his reply"},
    {"Zoe Adams", "Family", "3", false},
    {"Chloé Zoellner", "Family", ""},
    {"Dan Wu", "Friend"},
    {"Eve Ray", "Family"},
};

} // namespace

Q_DECLARE_METATYPE(Guest)

class TestLists : public QObject {
    Q_OBJECT
private slots:
    // Nothing at the top of a list tab lies over anything else, however narrow the window. The
    // main column takes the room the others leave, so that a long name shows whole in a window
    // of 1024 by 768, without a tooltip; a cut cell's tooltip is its whole text; every column
    // of the table list is in view.
    void columnsFit_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("default size") << QSize();
        QTest::newRow("1024x768") << QSize(1024, 768);
    }
    void columnsFit() {
        QFETCH(QSize, size);
        ListPlan plan;
        plan.fillRealistically();
        QVERIFY(plan.show(size));
        frmMain &w = plan.window();
        for (int page = 0; page < w.mainTab()->count(); ++page) {
            if (auto *tab = qobject_cast<ListTab *>(w.mainTab()->widget(page))) {
                w.showTab(frmMain::Tab(page));
                QTRY_COMPARE(overlap(tab), QString());
                if (QLineEdit *find = tab->findBox())
                    QCOMPARE_GE(find->width(), find->minimumWidth());
            }
        }

        w.showTab(frmMain::GuestsPage);
        ListGrid &grid = plan.grid();
        QTRY_VERIFY(grid.viewport()->width() > 0);
        // The shown columns fill the list's width, no more, unless the main column is down to
        // its starting width; the row numbers' gutter fits three digits.
        int shown = 0;
        for (int c = 0; c < grid.cols(); ++c)
            shown += grid.isColumnHidden(c) ? 0 : grid.columnWidth(c);
        if (grid.columnWidth(1) > grid.startWidth(1))
            QCOMPARE(shown, grid.viewport()->width());
        QCOMPARE_GE(shown, grid.viewport()->width());
        QCOMPARE_LE(grid.fontMetrics().horizontalAdvance(QStringLiteral("150")), textRoom(grid, 0));
        if (size.isValid()) {
            const int row = int(plan.names().indexOf(kLongName)) + 1;
            QCOMPARE_LE(grid.fontMetrics().horizontalAdvance(kLongName), textRoom(grid, 1));
            QCOMPARE(tooltipOf(grid, row, 1), QString());
            // A cut cell's tooltip is its whole text; a cell that shows whole, or an empty one,
            // has none.
            const QString email = grid.text(row, 9);
            grid.setColumnWidth(9, 40);
            QCOMPARE(tooltipOf(grid, row, 9), email);
            QCOMPARE(tooltipOf(grid, row, 4), QString());
            grid.setColumnWidth(9, grid.fontMetrics().horizontalAdvance(email) + 20);
            QCOMPARE(tooltipOf(grid, row, 9), QString());
        }

        w.showTab(frmMain::SeatingPage);
        ListGrid &tables = *w.seating()->tableGrid();
        QCOMPARE(tables.rows(), 11);
        QTRY_VERIFY(tables.viewport()->width() > 0);
        for (int c = 0; c < tables.cols(); ++c) {
            QCOMPARE_GE(tables.columnViewportPosition(c), 0);
            QCOMPARE_LE(tables.columnViewportPosition(c) + tables.columnWidth(c),
                        tables.viewport()->width());
        }
    }

    // A click on a header sorts by that column, a second reverses, a third goes back to the
    // plan's order; the stored order never changes, and the sort outlives an edit.
    void headerSort_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("section");
        QTest::addColumn<QList<Guest>>("guests");
        QTest::addColumn<QStringList>("ascending"); // the names
        QTest::addColumn<QStringList>("editedDescending");
        const auto row = [](const char *name, const QLocale &locale, int section,
                            const QList<Guest> &guests, const QString &ascending,
                            const QString &edited) {
            QTest::newRow(name) << locale << section << guests << ascending.split(u',')
                                << edited.split(u',');
        };
        const QList<Guest> accented = {{"Zoë"}, {"Émile"}, {"adam"}, {"Åsa"}, {"zack"}};
        row("names", QLocale::c(), 1, accented, "adam,Åsa,Émile,zack,Zoë",
            "zack,Ottilie,Émile,Åsa,adam");
        // Swedish puts Å after Z.
        row("names in Swedish", QLocale(QLocale::Swedish, QLocale::Sweden), 1, accented,
            "adam,Émile,zack,Zoë,Åsa", "Zoë,zack,Ottilie,Émile,adam");
        row("RSVP by value", QLocale::c(), 4,
            {{"Ann", "Family", "9"},
             {"Bob", "Family", "10"},
             {"Cat", "Family", "2"},
             {"Dan", "Family", ""}},
            "Dan,Cat,Ann,Bob", "Ottilie,Ann,Cat,Dan");
    }
    void headerSort() {
        QFETCH(QLocale, locale);
        QFETCH(int, section);
        QFETCH(QList<Guest>, guests);
        QFETCH(QStringList, ascending);
        QFETCH(QStringList, editedDescending);
        LocaleScope scope(locale);
        ListPlan plan(guests);
        QVERIFY(plan.show());
        plan.window().showTab(frmMain::GuestsPage);
        ListGrid &grid = plan.grid();
        QHeaderView *header = grid.horizontalHeader();
        const QStringList stored = plan.names();
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        const struct {
            QStringList names;
            std::optional<Qt::SortOrder> order;
        } states[] = {{ascending, Qt::AscendingOrder},
                      {descending, Qt::DescendingOrder},
                      {stored, std::nullopt}};
        for (const auto &state : states) {
            clickHeader(grid, section);
            QCOMPARE(plan.names(), state.names);
            QCOMPARE(header->isSortIndicatorShown(), state.order.has_value());
            if (state.order) {
                QCOMPARE(header->sortIndicatorSection(), section);
                QCOMPARE(header->sortIndicatorOrder(), *state.order);
            }
            QCOMPARE(db(DbId::Guest).listValues("gnam"), stored);
            // Each row still leads to the record it shows.
            for (int r = 1; r < grid.rows(); ++r)
                QCOMPARE(grid.rowData(r), int(stored.indexOf(state.names[r - 1])) + 1);
        }

        // Descending again; the first row's guest renamed in its editor (opened by Enter).
        clickHeader(grid, section);
        clickHeader(grid, section);
        grid.setRow(1);
        QString opened;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            auto *name = dialog->findChild<QLineEdit *>("txtName");
            opened = name->text();
            name->setText(QStringLiteral("Ottilie"));
            clickButton(dialog, "cmdRecordOK");
        });
        QTest::keyClick(&grid, Qt::Key_Return);
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, descending.first());
        QCOMPARE(plan.names(), editedDescending);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(grid.currentRecord()->text("gnam"), QStringLiteral("Ottilie"));
        VERIFY_PROMPTS(plan.prompter());
    }

    // The find box ignores case and accents, takes its text literally, searches the notes too
    // and narrows what the filters list; the count says how many of all the guests show.
    void find_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("filters"); // relation, status
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char *name, const QString &text, const QString &filters,
                            const QString &names) {
            QTest::newRow(name) << text << filters.split(u'/')
                                << names.split(u',', Qt::SkipEmptyParts);
        };
        const QString zoes = QStringLiteral("Ann Lee,Zoë Martin,Zoe Adams,Chloé Zoellner");
        row("accent ignored", "zoe", "All/All", zoes);
        row("accent in the find text", "ZOË", "All/All", zoes);
        row("with a relation", "zoe", "Family/All", "Ann Lee,Zoe Adams,Chloé Zoellner");
        row("with relation and status", "zoe", "Family/Confirmed", "Ann Lee,Chloé Zoellner");
        row("regex characters", "a.*(", "All/All", "Bob Stone");
        row("combining accent", QStringLiteral("chloe\u0301"), "All/All", "Chloé Zoellner");
        row("10,000 characters", QString(10000, u'z'), "All/All", "");
    }
    void find() {
        QFETCH(QString, text);
        QFETCH(QStringList, filters);
        QFETCH(QStringList, names);
        ListPlan plan(kFindGuests);
        plan.filter(filters[0], filters[1]);
        plan.find().setText(text);
        QCOMPARE(plan.names(), names);
        QCOMPARE(plan.found(), QStringLiteral("%1 of 7").arg(names.size()));
        // The filters change under the find text: still both.
        plan.filter("All", "All");
        plan.filter(filters[0], filters[1]);
        QCOMPARE(plan.names(), names);
    }

    // After an editor's OK the new record is the selected row, wherever the header's sort put
    // it, and scrolled into view.
    void addSelectsTheNewRecord() {
        ListPlan plan;
        plan.fillRealistically();
        QVERIFY(plan.show(QSize(1024, 768)));
        const struct {
            frmMain::Tab page;
            ListGrid *grid;
            const char *button, *editor, *box, *ok;
            int section;
            QString text;
        } cases[] = {{frmMain::TasksPage, plan.window().tasks()->grid(), "cmdAddTask",
                      "frmTaskEditor", "txtEventDetails", "cmdTaskOK", 2, "Order the favors"},
                     {frmMain::GuestsPage, &plan.grid(), "cmdAddGuest", "frmRecordEditor",
                      "txtName", "cmdRecordOK", 1, "Mia Moreno"}};
        for (const auto &c : cases) {
            plan.window().showTab(c.page);
            ListGrid &grid = *c.grid;
            clickHeader(grid, c.section);
            clickHeader(grid, c.section); // descending
            grid.setRow(3);
            onNextModal(c.editor, [&](QDialog *dialog) {
                dialog->findChild<QLineEdit *>(c.box)->setText(c.text);
                clickButton(dialog, c.ok);
            });
            plan.click(c.button);
            QVERIFY(modalHandlersDone());
            const int row = grid.row();
            QCOMPARE(grid.text(row, c.section), c.text);
            QVERIFY2(row > 1 && row < grid.rows() - 1, c.button); // sorted into the middle
            QVERIFY(grid.selectionModel()->isRowSelected(row - 1, {}));
            QVERIFY(
                grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex()).center()));
            QCOMPARE(grid.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
            QCOMPARE(grid.currentRecord(), grid.listModel()->record(row - 1));
        }
    }

    // Tab leaves a list; Ctrl+F finds and Escape clears; Enter and Delete on a found row reach
    // that row's guest, not the one at its place in the plan; Ctrl+Tab, Ctrl+Page Down and
    // Ctrl+Page Up go through the tabs, from a list too.
    void keys() {
        ListPlan plan(kFindGuests);
        QVERIFY(plan.show());
        frmMain &w = plan.window();
        w.showTab(frmMain::GuestsPage);
        ListGrid &grid = plan.grid();
        grid.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &grid);
        grid.setRow(3);
        QTest::keyClick(&grid, Qt::Key_Tab);
        QWidget *next = QApplication::focusWidget();
        QVERIFY(next && next != &grid && plan.guests().isAncestorOf(next));
        QCOMPARE(grid.row(), 3);
        QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), &grid);
        QCOMPARE(grid.row(), 3);

        QTest::keyClick(&grid, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), &plan.find());
        QTest::keyClicks(&plan.find(), "zoe");
        QCOMPARE(plan.found(), QStringLiteral("4 of 7"));
        plan.filter("Family", "All");
        QCOMPARE(plan.names(), (QStringList{"Ann Lee", "Zoe Adams", "Chloé Zoellner"}));
        grid.setRow(2);
        QString opened;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            opened = dialog->findChild<QLineEdit *>("txtName")->text();
            clickButton(dialog, "cmdRecordCancel");
        });
        QTest::keyClick(&grid, Qt::Key_Enter);
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, QStringLiteral("Zoe Adams"));
        plan.prompter().expectMessage("Are you sure you want to delete Zoe Adams?",
                                      "Vowline Desktop", Prompter::Icon::None,
                                      Prompter::Buttons::YesNo, Answer::Yes);
        QTest::keyClick(&grid, Qt::Key_Delete);
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(db(DbId::Guest).listValues("gnam"),
                 QStringLiteral("Ann Lee,Zoë Martin,Bob Stone,Chloé Zoellner,Dan Wu,Eve Ray")
                     .split(u','));
        QCOMPARE(plan.names(), (QStringList{"Ann Lee", "Chloé Zoellner"}));
        QCOMPARE(plan.found(), QStringLiteral("2 of 6"));
        QTest::keyClick(&plan.find(), Qt::Key_Escape);
        QCOMPARE(plan.find().text(), QString());
        QCOMPARE(plan.found(), QStringLiteral("4 of 6")); // the relation still holds

        QVERIFY(plan.show()); // active again after the editor
        grid.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &grid);
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            frmMain::Tab page;
        } steps[] = {
            {Qt::Key_PageDown, Qt::ControlModifier, frmMain::VendorsPage},
            {Qt::Key_PageUp, Qt::ControlModifier, frmMain::GuestsPage},
            {Qt::Key_Tab, Qt::ControlModifier, frmMain::VendorsPage},
            {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, frmMain::GuestsPage},
            {Qt::Key_PageUp, Qt::ControlModifier, frmMain::PartyPage},
            {Qt::Key_PageUp, Qt::ControlModifier, frmMain::DetailsPage},
            {Qt::Key_PageUp, Qt::ControlModifier, frmMain::BudgetPage},
            {Qt::Key_PageDown, Qt::ControlModifier, frmMain::DetailsPage}};
        for (const auto &step : steps) {
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &w, step.key, step.modifiers);
            QCOMPARE(w.mainTab()->currentIndex(), int(step.page));
        }
        VERIFY_PROMPTS(plan.prompter());
    }

    // Not a test: pictures of the lists for a person to look at, taken only when
    // VOWLINE_SCREENSHOTS names a folder.
    void screenshots() {
        const QString folder = qEnvironmentVariable("VOWLINE_SCREENSHOTS");
        if (folder.isEmpty())
            QSKIP("VOWLINE_SCREENSHOTS=<folder> takes the pictures");
        QVERIFY(QDir().mkpath(folder));
        LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
        ListPlan plan;
        plan.fillRealistically();
        for (const QSize size : {QSize(), QSize(1024, 768)}) {
            QVERIFY(plan.show(size));
            const QSize shown = plan.window().size();
            for (const auto &[page, name] :
                 {std::pair{frmMain::GuestsPage, "guests"}, std::pair{frmMain::TasksPage, "tasks"},
                  std::pair{frmMain::PaymentsPage, "payments"},
                  std::pair{frmMain::SeatingPage, "seating"}}) {
                plan.window().showTab(page);
                if (page == frmMain::SeatingPage) {
                    plan.window().seating()->tableGrid()->setRow(2);
                    plan.window().seating()->selectTable();
                }
                QTest::qWait(100);
                const QString file = QStringLiteral("%1/%2-%3x%4.png")
                                         .arg(folder, QLatin1String(name))
                                         .arg(shown.width())
                                         .arg(shown.height());
                QVERIFY(plan.window().grab().save(file));
            }
        }
    }

private:
    static PalmDatabase &db(DbId id) { return TabTestWindow::db(id); }
};

VOWLINE_TEST(TestLists)
#include "tst_lists.moc"
