#include "detailstab.h"

#include "editors/noteeditor.h"
#include "plan/plan.h"
#include "rules/details.h"
#include "rules/displayforms.h"
#include "rules/timerules.h"
#include "store/prompter.h"
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

using namespace Schema;

namespace {

const QString kTimeErrorText =
    QStringLiteral("There was an error with the time entered.  Please select from the drop-down "
                   "menu, or modify a time as needed using that format.");
const QString kStoreErrorText =
    QStringLiteral("There was an error collecting data from the Interface.  If this error "
                   "continues, please contact the application developer.");

// The picker shows the short date with the full year: a two-digit year could not tell the
// wedding's century apart when typed.
// The frame a label sits in, as a screen reader names a box: the church's and the reception's
// address, city and phone are told apart from the couple's.
QString frameOf(const QWidget &label) {
    for (const QWidget *w = label.parentWidget(); w; w = w->parentWidget()) {
        if (w->objectName() == u"frameChurch")
            return QObject::tr("Church ");
        if (w->objectName() == u"frameReception")
            return QObject::tr("Reception ");
    }
    return {};
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
    // The lines every address frame repeats (address, city, state, zip, phone) have no access
    // key of their own: there are three of each on the page and not letters enough. They are
    // reached with Tab from the frame's first box, which has one.
    void addressLines(QLineEdit *address, QLineEdit *city, QLineEdit *state, QLineEdit *zip,
                      QLineEdit *phone) {
        if (address)
            row(QObject::tr("Address:"), address);
        row(QObject::tr("City:"), city);
        pair(QObject::tr("State:"), state, QObject::tr("Zip:"), zip);
        row(QObject::tr("Phone:"), phone);
        for (QLabel *label : m_box->findChildren<QLabel *>()) {
            if (label->text() == QObject::tr("Address:") || label->text() == QObject::tr("City:") ||
                label->text() == QObject::tr("State:") || label->text() == QObject::tr("Zip:") ||
                label->text() == QObject::tr("Phone:"))
                reachedByTab(label);
        }
    }
    void confirmedAndNotes(QCheckBox *check, QPushButton *notes) {
        reachedByTab(check);
        reachedByTab(notes);
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

    static void reachedByTab(QWidget *w) { w->setProperty("reachedByTab", true); }

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

namespace {

QString shownTime(const QString &stored) {
    return TextForms::timeOfDay(FieldValue(stored), QLocale());
}

} // namespace

void TimeBox::setTimes(const QStringList &stored) {
    const QString typed = currentText();
    clear();
    for (const QString &time : stored)
        addItem(shownTime(time), time);
    setCurrentIndex(-1);
    setEditText(typed);
}

void TimeBox::setStored(const QString &stored) {
    m_loaded = stored;
    setEditText(shownTime(stored));
}

QString TimeBox::stored() const {
    const QString text = currentText();
    if (text.trimmed().isEmpty())
        return {};
    if (text == shownTime(m_loaded))
        return m_loaded;
    const int entry = findText(text, Qt::MatchExactly);
    if (entry >= 0)
        return itemData(entry).toString();
    return NormalizeTime(text);
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

DetailsTab::DetailsTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : QWidget(parent)
    , m_forms(forms)
    , m_host(host) {
    buildForm();

    for (Entry &entry : m_entries) {
        Entry *e = &entry;
        if (entry.text) {
            connect(entry.text, &QLineEdit::textEdited, this, [this, e] { userEdited(*e, true); });
            // Leaving the box ends the step its typing made.
            connect(entry.text, &QLineEdit::editingFinished, this, [e] { ++e->burst; });
        }
        if (entry.check)
            connect(entry.check, &QCheckBox::clicked, this, [this, e] { userEdited(*e, false); });
        if (entry.time) {
            connect(entry.time, &TimeBox::chosen, this, [this, e] { userEdited(*e, false); });
            connect(entry.time, &TimeBox::left, this, [this, e] { timeBoxLeft(*e); });
        }
    }
    connect(m_date, &QDateEdit::dateChanged, this, &DetailsTab::dateEdited);
    m_note->installEventFilter(this);
    connect(m_churchNotes, &QPushButton::clicked, this, [this] { openNote(NoteKind::Church); });
    connect(m_receptionNotes, &QPushButton::clicked, this,
            [this] { openNote(NoteKind::Reception); });
    // The record changed by an undo, a note, a save: the boxes follow it.
    connect(&forms.plan, &Plan::changed, this, [this](const PlanChange &change) {
        if (!m_storing && change.touches(DbId::Plan))
            fill();
    });
    connect(&forms.plan, &Plan::reset, this, [this] { fill(); });
}

void DetailsTab::buildForm() {
    // The entries are made before any of them is connected: the vector never grows after.
    m_entries.reserve(DetailsRecord::entries().size());
    const auto lineEdit = [this](const char *name, FieldCode code) {
        auto *box = new QLineEdit;
        box->setObjectName(QLatin1StringView(name));
        m_entries.push_back({code, FieldKind::Text, box, nullptr, nullptr, {}});
        return box;
    };
    const auto checkBox = [this](const char *name, FieldCode code, const QString &label) {
        auto *box = new QCheckBox(tr("Confirmed"));
        box->setObjectName(QLatin1StringView(name));
        box->setAccessibleName(label);
        m_entries.push_back({code, FieldKind::Boolean, nullptr, box, nullptr, label});
        return box;
    };
    const auto timeBox = [this](const char *name, FieldCode code) {
        auto *box = new TimeBox;
        box->setObjectName(QLatin1StringView(name));
        m_entries.push_back({code, FieldKind::Time, nullptr, nullptr, box, {}});
        return box;
    };
    const auto notesButton = [](const char *name, const QString &what) {
        auto *button = new QPushButton(tr("Notes"));
        button->setObjectName(QLatin1StringView(name));
        button->setAccessibleName(what);
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
    QCheckBox *churchConfirmed = checkBox("chkChurch", "ccon", tr("Church Confirmed"));
    QLineEdit *venue = lineEdit("TXThall", "hall");
    QLineEdit *contact = lineEdit("TXThper", "hper");
    QLineEdit *hallAddress = lineEdit("TXThadr", "hadr");
    QLineEdit *hallCity = lineEdit("TXThcit", "hcit");
    QLineEdit *hallState = shortBox(lineEdit("TXThsta", "hsta"), 3);
    QLineEdit *hallZip = shortBox(lineEdit("TXThzip", "hzip"), 6);
    QLineEdit *hallPhone = lineEdit("TXThpho", "hpho");
    m_start = timeBox("cmbStartTime", "star");
    m_end = timeBox("cmbEndTime", "stop");
    QCheckBox *hallConfirmed = checkBox("chkReception", "hcon", tr("Reception Confirmed"));

    m_date = new QDateEdit;
    m_date->setObjectName(QStringLiteral("TXTdate"));
    m_date->setCalendarPopup(true);
    // A typed date counts once it is complete, not at every digit.
    m_date->setKeyboardTracking(false);
    m_date->setDisplayFormat(TextForms::dateFormat(QLocale()));
    m_date->setMinimumDate(QDate(1601, 1, 1));
    m_date->setMaximumDate(QDate(9999, 12, 31));
    m_date->setDate(QDate::currentDate());

    m_note = new QLineEdit;
    m_note->setObjectName(QStringLiteral("TXTnote"));
    m_note->setReadOnly(true);
    m_note->setCursor(Qt::PointingHandCursor);

    m_churchNotes = notesButton("cmdChurchNotes", tr("Church Notes"));
    m_receptionNotes = notesButton("cmdReception", tr("Reception Notes"));

    Frame primary(tr("Primary Details"), QStringLiteral("framePrimary"));
    primary.row(tr("&Wedding Plan For:"), m_owner);
    primary.row(tr("Wedding &Date:"), m_date);
    primary.row(tr("Primar&y Notes:"), m_note);

    Frame couple(tr("Bride && Groom"), QStringLiteral("frameCouple"));
    couple.row(tr("&Bride's Name:"), bride);
    couple.row(tr("&Groom's Name:"), groom);
    couple.row(tr("Future &Address:"), address);
    couple.addressLines(nullptr, city, state, zip, phone);

    Frame churchFrame(tr("Church Details"), QStringLiteral("frameChurch"));
    churchFrame.row(tr("C&hurch:"), church);
    churchFrame.row(tr("Office &Mngr:"), manager);
    churchFrame.addressLines(churchAddress, churchCity, churchState, churchZip, churchPhone);
    churchFrame.confirmedAndNotes(churchConfirmed, m_churchNotes);

    Frame officiantFrame(tr("Officiant"), QStringLiteral("frameOfficiant"));
    officiantFrame.whole(officiant);

    Frame reception(tr("Reception Details"), QStringLiteral("frameReception"));
    reception.row(tr("Ve&nue:"), venue);
    reception.row(tr("&Contact:"), contact);
    reception.addressLines(hallAddress, hallCity, hallState, hallZip, hallPhone);
    reception.row(tr("&Start Time:"), m_start);
    reception.row(tr("End &Time:"), m_end);
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

    // The steps name a field by its label ("Change Bride's Name").
    for (const QLabel *label : findChildren<QLabel *>()) {
        for (Entry &entry : m_entries) {
            if (entry.label.isEmpty() && label->buddy() &&
                label->buddy() == (entry.text ? static_cast<QWidget *>(entry.text)
                                              : static_cast<QWidget *>(entry.time))) {
                QString text = label->text();
                text.remove(u'&').remove(u':');
                entry.label = text.trimmed();
                if (entry.text && entry.text->accessibleName().isEmpty())
                    entry.text->setAccessibleName(frameOf(*label) + entry.label);
            }
        }
    }
    officiant->setAccessibleName(tr("Officiant"));
    for (Entry &entry : m_entries) {
        if (entry.label.isEmpty())
            entry.label = tr("Officiant");
    }
}

// --- Filling and storing ---------------------------------------------------------------------

bool DetailsTab::fill() {
    QScopedValueRollback filling(m_filling, true);
    const Record *record =
        m_forms.plan.isOpen() ? DetailsRecord::find(m_forms.plan.db(DbId::Plan)) : nullptr;
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
            // A box that already shows the text keeps its cursor: it may be the one typed in.
            if (entry.text->text() != v.toText()) {
                entry.text->setText(v.toText());
                entry.text->setCursorPosition(0);
            }
        } else if (entry.check) {
            entry.check->setChecked(v.toBool());
        } else if (entry.time) {
            // A time stored as a time of day (not as text) is kept in the list's form.
            entry.time->setStored(v.type() == FieldValue::Type::DateTime
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

bool DetailsTab::UpdateDetails() {
    return fill();
}

FieldValue DetailsTab::valueOf(const Entry &entry) const {
    if (entry.text)
        return entry.text->text();
    if (entry.check)
        return entry.check->isChecked();
    return entry.time->stored();
}

void DetailsTab::storeInto(PlanEdit &edit) const {
    for (const Entry &entry : m_entries)
        DetailsRecord::store(edit, entry.code, valueOf(entry));
}

void DetailsTab::ClearDetails() {
    QScopedValueRollback filling(m_filling, true);
    for (const Entry &entry : m_entries) {
        if (entry.text)
            entry.text->clear();
        else if (entry.check)
            entry.check->setChecked(false);
        else if (entry.time)
            entry.time->setStored(QString());
    }
    m_note->clear();
    m_note->setToolTip(QString());
    m_timeOfDay = QTime(0, 0);
    showDate(QDate::currentDate());
}

void DetailsTab::fillTimeLists() {
    const QStringList times = halfHourTimes();
    for (TimeBox *box : {m_start, m_end})
        box->setTimes(times);
}

QString DetailsTab::planName() const {
    return m_owner->text();
}

// --- Handlers --------------------------------------------------------------------------------

void DetailsTab::userEdited(Entry &entry, bool typing) {
    if (m_filling)
        return;
    QScopedValueRollback storing(m_storing, true);
    Plan::StepOptions options;
    if (typing)
        options.mergeKey =
            QStringLiteral("details:%1:%2").arg(entry.code.toString()).arg(entry.burst);
    try {
        m_forms.plan.apply(
            tr("Change %1").arg(entry.label),
            [&](PlanEdit &edit) { DetailsRecord::store(edit, entry.code, valueOf(entry)); },
            options);
    } catch (const StoreError &error) {
        m_forms.prompter.message(kStoreErrorText + u'\r' + error.description(),
                                 QStringLiteral("Error"), Prompter::Icon::Exclamation,
                                 Prompter::Buttons::Ok);
    }
}

void DetailsTab::dateEdited(const QDate &date) {
    if (m_filling)
        return;
    QScopedValueRollback storing(m_storing, true);
    try {
        // The time of day the record held stays with the new day.
        m_forms.plan.apply(tr("Change Wedding Date"), [&](PlanEdit &edit) {
            edit.write(DbId::Plan, DetailsRecord::record(edit), Details::kDate,
                       FieldValue(date, m_timeOfDay), FieldKind::Date);
        });
    } catch (const StoreError &error) {
        m_forms.prompter.message(kStoreErrorText + u'\r' + error.description(),
                                 QStringLiteral("Error"), Prompter::Icon::Exclamation,
                                 Prompter::Buttons::Ok);
    }
}

void DetailsTab::timeBoxLeft(Entry &entry) {
    TimeBox *box = entry.time;
    if (m_checkingTime)
        return;
    const QString time = box->stored();
    if (time != QLatin1StringView("Error")) {
        box->setStored(time);
        // A time typed and left is an edit like a time chosen: without a step, closing the
        // program would drop it without asking.
        if (m_forms.plan.isOpen()) {
            const Record *details = DetailsRecord::find(m_forms.plan.db(DbId::Plan));
            if (!details || details->text(entry.code) != time)
                userEdited(entry, false);
        }
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
    if (box->stored() != QLatin1StringView("Error"))
        return; // the box was refilled meanwhile
    QScopedValueRollback checking(m_checkingTime, true);
    m_forms.prompter.message(kTimeErrorText, QStringLiteral("Time Error"),
                             Prompter::Icon::Exclamation, Prompter::Buttons::Ok);
    box->setEditText(QString());
    if (box == m_start)
        m_host.showTab(TabHost::DetailsPage);
    box->setFocus(Qt::OtherFocusReason);
}

void DetailsTab::openNote(NoteKind kind) {
    if (!m_forms.plan.isOpen())
        return;
    // The note editor writes into the details record, so a plan without one gets it first.
    Record *details = nullptr;
    m_forms.plan.applyQuietly([&](PlanEdit &edit) { details = &DetailsRecord::record(edit); });
    editNote(m_forms.plan, kind, *details, window());
}

bool DetailsTab::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_note) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_note->rect().contains(mouse->position().toPoint())) {
                openNote(NoteKind::General);
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                openNote(NoteKind::General);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
