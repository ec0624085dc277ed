#include "detailstab.h"

#include "editors/noteeditor.h"
#include "rules/timerules.h"
#include "store/appstate.h"
#include "views/tabhost.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

using Schema::DbId;

namespace {

const QString kTimeErrorText =
    QStringLiteral("There was an error with the time entered.  Please select from the drop-down "
                   "menu, or modify a time as needed using that format.");
const QString kStoreErrorText =
    QStringLiteral("There was an error collecting data from the Interface.  If this error "
                   "continues, please contact the application developer.");

// The details record, added first when the plan database has none (a set loaded without
// VowlineDB.pdb), so that what the user enters always has a place to go.
Record &detailsRecord(PalmDatabase &plan) {
    if (plan.records().count() == 0)
        plan.records().add();
    return plan.records().item(1);
}

// The picker shows the short date with the full year: a two-digit year could not tell the
// wedding's century apart when typed.
QString shortDateFormat() {
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1StringView("yyyy")))
        format.replace(QLatin1StringView("yy"), QLatin1StringView("yyyy"));
    return format;
}

// A note of several lines shown in a one-line box.
QString oneLine(const QString &note) {
    QString line = note;
    line.replace(u'\n', u' ');
    line.remove(u'\r');
    return line;
}

// A form frame: labels in column 0, boxes in column 1, and a second, narrower pair in columns
// 2 and 3 where two short fields share a row.
class Frame {
public:
    Frame(const QString &caption, const QString &objectName)
        : m_box(new QGroupBox(caption))
        , m_grid(new QGridLayout(m_box)) {
        m_box->setObjectName(objectName);
        m_grid->setContentsMargins(6, 4, 6, 6);
        m_grid->setHorizontalSpacing(6);
        m_grid->setVerticalSpacing(4);
        m_grid->setColumnStretch(1, 3);
        m_grid->setColumnStretch(3, 2);
    }
    QGroupBox *box() const { return m_box; }

    void row(const QString &label, QWidget *field) {
        const int r = m_grid->rowCount();
        addLabel(label, field, r, 0);
        m_grid->addWidget(field, r, 1, 1, 3);
    }
    void pair(const QString &label, QWidget *field, const QString &label2, QWidget *field2) {
        const int r = m_grid->rowCount();
        addLabel(label, field, r, 0);
        m_grid->addWidget(field, r, 1);
        addLabel(label2, field2, r, 2);
        m_grid->addWidget(field2, r, 3);
    }
    void whole(QWidget *field) { m_grid->addWidget(field, m_grid->rowCount(), 0, 1, 4); }
    void confirmedAndNotes(QCheckBox *check, QPushButton *notes) {
        const int r = m_grid->rowCount();
        m_grid->addWidget(check, r, 0, 1, 2);
        m_grid->addWidget(notes, r, 2, 1, 2, Qt::AlignRight);
    }

private:
    void addLabel(const QString &text, QWidget *buddy, int r, int c) {
        auto *label = new QLabel(text);
        label->setBuddy(buddy);
        m_grid->addWidget(label, r, c);
    }

    QGroupBox *m_box;
    QGridLayout *m_grid;
};

} // namespace

// --- TimeBox ---------------------------------------------------------------------------------

TimeBox::TimeBox(QWidget *parent)
    : QComboBox(parent) {
    setEditable(true);
    // Typed text stays what was typed: no entry is added, and no completion turns "7" into
    // the list's "7:00:00 AM" before the time rule has read it.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setMaxVisibleItems(16);
    connect(this, &QComboBox::activated, this, [this] {
        if (!m_typing)
            emit chosen();
    });
}

void TimeBox::focusOutEvent(QFocusEvent *event) {
    // Opening the list or switching to another window is not leaving the box.
    const bool leaving =
        event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason;
    {
        // Qt activates a matching entry when typing ends; that is no choice from the list.
        QScopedValueRollback typing(m_typing, true);
        QComboBox::focusOutEvent(event);
    }
    if (leaving)
        emit left();
}

void TimeBox::keyPressEvent(QKeyEvent *event) {
    const bool enter =
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !view()->isVisible();
    {
        QScopedValueRollback typing(m_typing, m_typing || enter);
        QComboBox::keyPressEvent(event);
    }
    if (enter)
        emit left();
}

void TimeBox::wheelEvent(QWheelEvent *event) {
    // Scrolling the page past a time box must not change the reception times.
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

// --- DetailsTab ------------------------------------------------------------------------------

DetailsTab::DetailsTab(TabHost &host, QWidget *parent)
    : QWidget(parent)
    , m_host(host) {
    buildForm();

    for (const Entry &entry : m_entries) {
        if (entry.text)
            connect(entry.text, &QLineEdit::textEdited, this, &DetailsTab::userEdited);
        if (entry.check)
            connect(entry.check, &QCheckBox::clicked, this, &DetailsTab::userEdited);
        if (entry.time) {
            TimeBox *box = entry.time;
            connect(box, &TimeBox::chosen, this, &DetailsTab::userEdited);
            connect(box, &TimeBox::left, this, [this, box] { timeBoxLeft(box); });
        }
    }
    connect(m_date, &QDateEdit::dateChanged, this, &DetailsTab::dateEdited);
    m_note->installEventFilter(this);
    connect(m_churchNotes, &QPushButton::clicked, this, [this] { openNote(1); });
    connect(m_receptionNotes, &QPushButton::clicked, this, [this] { openNote(2); });
}

void DetailsTab::buildForm() {
    const auto lineEdit = [this](const char *name, FieldCode code) {
        auto *box = new QLineEdit;
        box->setObjectName(QLatin1StringView(name));
        m_entries.push_back({code, FieldKind::Text, box, nullptr, nullptr});
        return box;
    };
    const auto checkBox = [this](const char *name, FieldCode code) {
        auto *box = new QCheckBox(tr("Confirmed"));
        box->setObjectName(QLatin1StringView(name));
        m_entries.push_back({code, FieldKind::Boolean, nullptr, box, nullptr});
        return box;
    };
    const auto timeBox = [this](const char *name, FieldCode code) {
        auto *box = new TimeBox;
        box->setObjectName(QLatin1StringView(name));
        m_entries.push_back({code, FieldKind::Time, nullptr, nullptr, box});
        return box;
    };
    const auto notesButton = [](const char *name) {
        auto *button = new QPushButton(tr("Notes"));
        button->setObjectName(QLatin1StringView(name));
        button->setAutoDefault(false);
        return button;
    };
    const auto shortBox = [](QLineEdit *box, int chars) {
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(u'0') * chars + 12);
        return box;
    };

    // Created in the order the details record is written; the tab order follows the frames.
    m_owner = lineEdit("TXTownr", "ownr");
    QLineEdit *bride = lineEdit("TXTbnam", "bnam");
    QLineEdit *groom = lineEdit("TXTgnam", "gnam");
    QLineEdit *address = lineEdit("TXTaddr", "addr");
    QLineEdit *city = lineEdit("txtCity", "city");
    QLineEdit *state = shortBox(lineEdit("TXTstat", "stat"), 3);
    QLineEdit *zip = shortBox(lineEdit("TXTzipc", "zipc"), 6);
    QLineEdit *phone = lineEdit("TXTphon", "phon");
    QLineEdit *church = lineEdit("TXTchrc", "chrc");
    QLineEdit *officiant = lineEdit("TXTprst", "prst");
    QLineEdit *manager = lineEdit("TXTmngr", "mngr");
    QLineEdit *churchAddress = lineEdit("TXTcadr", "cadr");
    QLineEdit *churchCity = lineEdit("TXTccit", "ccit");
    QLineEdit *churchState = shortBox(lineEdit("TXTcsta", "csta"), 3);
    QLineEdit *churchZip = shortBox(lineEdit("TXTczip", "czip"), 6);
    QLineEdit *churchPhone = lineEdit("TXTcpho", "cpho");
    QCheckBox *churchConfirmed = checkBox("chkChurch", "ccon");
    QLineEdit *venue = lineEdit("TXThall", "hall");
    QLineEdit *contact = lineEdit("TXThper", "hper");
    QLineEdit *hallAddress = lineEdit("TXThadr", "hadr");
    QLineEdit *hallCity = lineEdit("TXThcit", "hcit");
    QLineEdit *hallState = shortBox(lineEdit("TXThsta", "hsta"), 3);
    QLineEdit *hallZip = shortBox(lineEdit("TXThzip", "hzip"), 6);
    QLineEdit *hallPhone = lineEdit("TXThpho", "hpho");
    m_start = timeBox("cmbStartTime", "star");
    m_end = timeBox("cmbEndTime", "stop");
    QCheckBox *hallConfirmed = checkBox("chkReception", "hcon");

    m_date = new QDateEdit;
    m_date->setObjectName(QStringLiteral("TXTdate"));
    m_date->setCalendarPopup(true);
    // A typed date counts once it is complete, not at every digit.
    m_date->setKeyboardTracking(false);
    m_date->setDisplayFormat(shortDateFormat());
    m_date->setMinimumDate(QDate(1601, 1, 1));
    m_date->setMaximumDate(QDate(9999, 12, 31));
    m_date->setDate(QDate::currentDate());

    m_note = new QLineEdit;
    m_note->setObjectName(QStringLiteral("TXTnote"));
    m_note->setReadOnly(true);
    m_note->setCursor(Qt::PointingHandCursor);

    m_churchNotes = notesButton("cmdChurchNotes");
    m_receptionNotes = notesButton("cmdReception");

    Frame primary(tr("Primary Details"), QStringLiteral("framePrimary"));
    primary.row(tr("&Wedding Plan For:"), m_owner);
    primary.row(tr("Wedding &Date:"), m_date);
    primary.row(tr("Primar&y Notes:"), m_note);

    Frame couple(tr("Bride && Groom"), QStringLiteral("frameCouple"));
    couple.row(tr("&Bride's Name:"), bride);
    couple.row(tr("&Groom's Name:"), groom);
    couple.row(tr("Future &Address:"), address);
    couple.row(tr("City:"), city);
    couple.pair(tr("State:"), state, tr("Zip:"), zip);
    couple.row(tr("Phone:"), phone);

    Frame churchFrame(tr("Church Details"), QStringLiteral("frameChurch"));
    churchFrame.row(tr("C&hurch:"), church);
    churchFrame.row(tr("Office &Mngr:"), manager);
    churchFrame.row(tr("Address:"), churchAddress);
    churchFrame.row(tr("City:"), churchCity);
    churchFrame.pair(tr("State:"), churchState, tr("Zip:"), churchZip);
    churchFrame.row(tr("Phone:"), churchPhone);
    churchFrame.confirmedAndNotes(churchConfirmed, m_churchNotes);

    Frame officiantFrame(tr("Officiant"), QStringLiteral("frameOfficiant"));
    officiantFrame.whole(officiant);

    Frame reception(tr("Reception Details"), QStringLiteral("frameReception"));
    reception.row(tr("&Venue:"), venue);
    reception.row(tr("&Contact:"), contact);
    reception.row(tr("Address:"), hallAddress);
    reception.row(tr("City:"), hallCity);
    reception.pair(tr("State:"), hallState, tr("Zip:"), hallZip);
    reception.row(tr("Phone:"), hallPhone);
    reception.row(tr("&Start Time:"), m_start);
    reception.row(tr("E&nd Time:"), m_end);
    reception.confirmedAndNotes(hallConfirmed, m_receptionNotes);

    // Three columns fit the smallest window; the scroll area only matters for huge fonts.
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("detailsContent"));
    auto *columns = new QHBoxLayout(content);
    columns->setContentsMargins(6, 6, 6, 6);
    columns->setSpacing(8);
    for (const QList<QGroupBox *> &column :
         {QList<QGroupBox *>{primary.box(), couple.box()},
          QList<QGroupBox *>{churchFrame.box(), officiantFrame.box()},
          QList<QGroupBox *>{reception.box()}}) {
        auto *stack = new QVBoxLayout;
        stack->setSpacing(6);
        for (QGroupBox *frame : column)
            stack->addWidget(frame);
        stack->addStretch(1);
        columns->addLayout(stack, 1);
    }

    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("detailsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    // Down each frame, then across to the next.
    const QList<QWidget *> order = {
        m_owner,         m_date,      m_note,          bride,         groom,
        address,         city,        state,           zip,           phone,
        church,          manager,     churchAddress,   churchCity,    churchState,
        churchZip,       churchPhone, churchConfirmed, m_churchNotes, officiant,
        venue,           contact,     hallAddress,     hallCity,      hallState,
        hallZip,         hallPhone,   m_start,         m_end,         hallConfirmed,
        m_receptionNotes};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// --- Filling and storing ---------------------------------------------------------------------

bool DetailsTab::fill() {
    QScopedValueRollback filling(m_filling, true);
    const Record *record = nullptr;
    try {
        PalmDatabase &plan = appState().set.db(DbId::Plan);
        if (plan.records().count() > 0)
            record = &plan.records().item(1);
    } catch (const StoreError &) {
        // No open plan: every box shows as missing.
    }
    const auto value = [record](FieldCode code) {
        return record ? record->value(code) : FieldValue();
    };

    // A date held on a day that starts late under daylight saving is still that day.
    const FieldValue date = value("date");
    const bool dated = date.type() == FieldValue::Type::DateTime;
    m_timeOfDay = dated ? date.toTime() : QTime(0, 0);
    showDate(dated ? date.toDate() : QDate::currentDate());
    // The box shows the note on one line; the tooltip shows it as written.
    const QString note = value("note").toText();
    m_note->setText(oneLine(note));
    m_note->setCursorPosition(0);
    m_note->setToolTip(note);
    for (const Entry &entry : m_entries) {
        const FieldValue v = value(entry.code);
        if (entry.text) {
            entry.text->setText(v.toText());
            entry.text->setCursorPosition(0);
        } else if (entry.check) {
            entry.check->setChecked(v.toBool());
        } else if (entry.time) {
            // A time stored as a time of day (not as text) still shows in the list's form.
            entry.time->setEditText(v.type() == FieldValue::Type::DateTime
                                        ? listTimeText(v.toDateTime().time())
                                        : v.toText());
        }
    }
    return record != nullptr;
}

void DetailsTab::showDate(const QDate &date) {
    // Setting the same day again would move the cursor of someone typing in the picker.
    if (m_date->date() != date)
        m_date->setDate(date);
}

void DetailsTab::UpdateDetails() {
    if (!fill())
        throw StoreError(QStringLiteral("The plan has no details record."));
}

void DetailsTab::StoreDetails() {
    try {
        PalmDatabase &plan = appState().set.db(DbId::Plan);
        Record &record = detailsRecord(plan);
        for (const Entry &entry : m_entries) {
            if (entry.text) {
                plan.write(record, entry.code, entry.text->text(), entry.kind);
            } else if (entry.check) {
                plan.write(record, entry.code, entry.check->isChecked(), entry.kind);
            } else if (entry.time) {
                // An empty box leaves the stored time; a field added now stays without value.
                const QString time = entry.time->currentText();
                if (!record.has(entry.code))
                    plan.write(record, entry.code, FieldValue(), entry.kind);
                if (!time.isEmpty())
                    plan.write(record, entry.code, time, entry.kind);
            }
        }
        const std::pair<FieldCode, QLineEdit *> setup[] = {{FieldCode("ntab"), m_noTables},
                                                           {FieldCode("ptab"), m_peoplePer}};
        for (const auto &[code, box] : setup) {
            if (!record.has(code))
                plan.write(record, code, FieldValue(), FieldKind::Text);
            if (box && !box->text().isEmpty())
                plan.write(record, code, box->text(), FieldKind::Text);
        }
    } catch (const StoreError &error) {
        appState().prompter().message(kStoreErrorText + u'\r' + error.description(),
                                      QStringLiteral("Error"), Prompter::Icon::Exclamation,
                                      Prompter::Buttons::Ok);
    }
}

void DetailsTab::StampOwner() {
    const QString owner = m_owner->text();
    for (DbId id : {DbId::Party, DbId::Guest, DbId::Tasks, DbId::Vendors}) {
        try {
            PalmDatabase &db = appState().set.db(id);
            for (int n = 1; n <= db.records().count(); ++n) {
                try {
                    db.write(db.records().item(n), Schema::kOwner, owner, FieldKind::Text);
                } catch (const StoreError &) {
                    // A record that cannot take the name keeps what it had.
                }
            }
        } catch (const StoreError &) {
        }
    }
}

void DetailsTab::ClearDetails() {
    QScopedValueRollback filling(m_filling, true);
    for (const Entry &entry : m_entries) {
        if (entry.text)
            entry.text->clear();
        else if (entry.check)
            entry.check->setChecked(false);
        else if (entry.time)
            entry.time->setEditText(QString());
    }
    m_note->clear();
    m_note->setToolTip(QString());
    m_timeOfDay = QTime(0, 0);
    showDate(QDate::currentDate());
}

void DetailsTab::fillTimeLists() {
    const QStringList times = halfHourTimes();
    for (TimeBox *box : {m_start, m_end}) {
        const QString typed = box->currentText();
        box->clear();
        box->addItems(times);
        box->setCurrentIndex(-1);
        box->setEditText(typed);
    }
}

QString DetailsTab::planName() const {
    return m_owner->text();
}

void DetailsTab::setPlanName(const QString &name) {
    m_owner->setText(name);
}

// --- Handlers --------------------------------------------------------------------------------

void DetailsTab::userEdited() {
    if (m_filling)
        return;
    appState().changed = true;
    appState().markPlanModified();
}

void DetailsTab::dateEdited(const QDate &date) {
    if (m_filling)
        return;
    try {
        PalmDatabase &plan = appState().set.db(DbId::Plan);
        plan.write(detailsRecord(plan), "date", QDateTime(date, m_timeOfDay), FieldKind::Date);
    } catch (const StoreError &) {
        // StoreDetails below meets the same failure and reports it.
    }
    StoreDetails();
    fill();
    // Only the user's own change of the date reaches this point, so it is an edit like any
    // other: left unmarked, closing the program would drop the new date without asking.
    appState().markPlanModified();
}

void DetailsTab::timeBoxLeft(TimeBox *box) {
    if (m_checkingTime)
        return;
    const QString time = NormalizeTime(box->currentText());
    if (time != QLatin1StringView("Error")) {
        box->setEditText(time);
        return;
    }
    // The focus is still on its way (perhaps to another tab page); a message box in the middle
    // of that would leave the tab strip and the page out of step, so it waits its turn.
    if (m_refusing.contains(box))
        return;
    m_refusing << box;
    QMetaObject::invokeMethod(
        this, [this, box] { refuseTime(box); }, Qt::QueuedConnection);
}

void DetailsTab::refuseTime(TimeBox *box) {
    m_refusing.removeAll(box);
    if (NormalizeTime(box->currentText()) != QLatin1StringView("Error"))
        return; // the box was refilled meanwhile
    QScopedValueRollback checking(m_checkingTime, true);
    appState().prompter().message(kTimeErrorText, QStringLiteral("Time Error"),
                                  Prompter::Icon::Exclamation, Prompter::Buttons::Ok);
    box->setEditText(QString());
    if (box == m_start)
        m_host.showTab(TabHost::DetailsPage);
    box->setFocus(Qt::OtherFocusReason);
}

void DetailsTab::openNote(int kind) {
    try {
        // The note editor writes into the details record, so a plan without one gets it first.
        detailsRecord(appState().set.db(DbId::Plan));
    } catch (const StoreError &) {
    }
    appState().editorKind = kind;
    appState().selectedRecord = 1;
    {
        NoteEditor dialog(window());
        dialog.exec();
    }
    StoreDetails();
    fill();
    if (appState().changed)
        appState().markPlanModified();
}

bool DetailsTab::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_note) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_note->rect().contains(mouse->position().toPoint())) {
                openNote(0);
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                openNote(0);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
