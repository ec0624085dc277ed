#include "guitest.h"

#include "app/frmmain.h"
#include "plan/appstate.h"
#include "widgets/listgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>

namespace {

struct PendingModal {
    QString name;
    std::function<void(QDialog *)> handle;
    int timeoutMs;
};

std::deque<PendingModal> &pending() {
    static std::deque<PendingModal> queue;
    return queue;
}

// Turns down every open modal window, the innermost first, so that each exec() returns. A
// dialog that refuses to be rejected (one that asks first, say) is hidden, which ends its
// exec() all the same.
void closeModals() {
    for (int guard = 0; guard < 32; ++guard) {
        const QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal && modal->isVisible())
            modal->hide();
    }
}

// Once the test has failed, its handlers cannot be relied on to close what opens next: every
// modal window is turned down until the test function ends.
void sweepAfterFailure(const QByteArray &function) {
    if (!QTest::currentTestFailed() || function != QTest::currentTestFunction())
        return;
    closeModals();
    QTimer::singleShot(20, [function] { sweepAfterFailure(function); });
}

void giveUp() {
    pending().clear();
    sweepAfterFailure(QTest::currentTestFunction());
}

// Runs a handler; a check that failed in it, or an exception, fails the test and closes the
// dialogs rather than leaving exec() waiting for a click that never comes.
void runHandler(PendingModal &job, QDialog *dialog) {
    try {
        job.handle(dialog);
    } catch (const std::exception &e) {
        QTest::qFail(qPrintable(QStringLiteral("the handler of %1 threw: %2")
                                    .arg(job.name, QString::fromLocal8Bit(e.what()))),
                     __FILE__, __LINE__);
    } catch (...) {
        QTest::qFail(qPrintable(QStringLiteral("the handler of %1 threw").arg(job.name)), __FILE__,
                     __LINE__);
    }
    if (QTest::currentTestFailed())
        giveUp();
}

void poll(std::shared_ptr<QElapsedTimer> started);

void startPolling() {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QTimer::singleShot(0, [started] { poll(started); });
}

void poll(std::shared_ptr<QElapsedTimer> started) {
    if (pending().empty())
        return;
    PendingModal &next = pending().front();
    QWidget *modal = QApplication::activeModalWidget();
    auto *dialog = qobject_cast<QDialog *>(modal);
    if (dialog && dialog->objectName() == next.name && dialog->isVisible()) {
        PendingModal job = std::move(next);
        pending().pop_front();
        runHandler(job, dialog);
        if (!pending().empty())
            startPolling();
        return;
    }
    if (started->elapsed() > next.timeoutMs) {
        QTest::qFail(qPrintable(QStringLiteral("the dialog %1 never opened").arg(next.name)),
                     __FILE__, __LINE__);
        giveUp();
        return;
    }
    QTimer::singleShot(5, [started] { poll(started); });
}

} // namespace

void onNextModal(const QString &objectName, std::function<void(QDialog *)> handle, int timeoutMs) {
    pending().push_back({objectName, std::move(handle), timeoutMs});
    if (pending().size() == 1)
        startPolling();
}

bool modalHandlersDone() {
    return pending().empty();
}

void clickButton(QWidget *parent, const QString &buttonName) {
    auto *button = parent->findChild<QAbstractButton *>(buttonName);
    if (!button) {
        QTest::qFail(qPrintable(QStringLiteral("no button %1").arg(buttonName)), __FILE__,
                     __LINE__);
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

void choose(QComboBox *box, const QString &text) {
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
    else
        box->setEditText(text);
    emit box->activated(box->currentIndex());
}

MainWindowFixture::MainWindowFixture(const QStringList &palmUsers, const QString &lastUser) {
    appState().setPrompter(&m_prompter);
    if (!palmUsers.isEmpty()) {
        makePalmDesktop(m_palm.path(), palmUsers, lastUser);
        appState().server().setLocations(HotSyncLocations{m_palm.path(), QString()});
    } else {
        appState().server().setLocations(HotSyncLocations{});
    }
}

MainWindowFixture::~MainWindowFixture() {
    m_window.reset();
    pending().clear();
    appState().setPrompter(nullptr);
}

frmMain &MainWindowFixture::create() {
    m_window = std::make_unique<frmMain>(appState());
    return *m_window;
}

void MainWindowFixture::trigger(const char *action) {
    QAction *found = find<QAction>(QString::fromLatin1(action));
    if (!found)
        qFatal("no action %s", action);
    found->trigger();
}

void MainWindowFixture::startUp(const char *choice) {
    onNextModal(QStringLiteral("frmStartup"),
                [choice](QDialog *d) { clickButton(d, QString::fromLatin1(choice)); });
    if (!m_window)
        create();
    m_window->StartUp();
    QTRY_VERIFY(!m_window->loading());
}

void MainWindowFixture::expectNoPalmUser(bool hideNextTime) {
    m_prompter.expectCheckedMessage(
        QStringLiteral("No Palm Device is installed on this computer, or you have not done a "
                       "HotSync.\rYou must create a new Wedding Database Set to use with Vowline "
                       "Desktop.  Your changes will not be saved on your handheld, but can be "
                       "saved to a local folder."),
        QStringLiteral("No Palm User"), Prompter::Icon::Exclamation,
        QStringLiteral("Do not show this again"), hideNextTime);
}

TabTestWindow::TabTestWindow() {
    m_fixture.create().NewPlan();
}

PalmDatabase &TabTestWindow::db(Schema::DbId id) {
    return appState().plan.db(id);
}

void TabTestWindow::planSaved() {
    appState().markPlanSaved(AppState::PlanKind::User);
}

void TabTestWindow::click(const char *button) {
    QTest::mouseClick(m_fixture.find<QPushButton>(QString::fromLatin1(button)), Qt::LeftButton);
}

ListGrid &TabTestWindow::grid(const char *name) {
    return *child<ListGrid>(&window(), name);
}

void TabTestWindow::set(const QStringList &controls) {
    for (const QString &control : controls) {
        auto *box = child<QWidget>(&window(), qPrintable(control.section(u'=', 0, 0)));
        if (auto *line = qobject_cast<QLineEdit *>(box))
            line->setText(control.section(u'=', 1));
        else
            choose(qobject_cast<QComboBox *>(box), control.section(u'=', 1));
    }
}

void TabTestWindow::open(ListGrid &grid, int row, const char *dialog,
                         std::function<void(QDialog *)> handle) {
    grid.setRow(row);
    onNextModal(QString::fromLatin1(dialog), std::move(handle));
    QTest::keyClick(&grid, Qt::Key_Return);
    QVERIFY(modalHandlersDone());
}

QStringList TabTestWindow::column(ListGrid &grid, int col) {
    QStringList texts;
    for (int r = 1; r < grid.rows(); ++r)
        texts << grid.text(r, col);
    return texts;
}
