#include "categorylists.h"

#include "rules/categorylookup.h"
#include "store/appstate.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QWidget>
#include <utility>

namespace {

const QString kAll = QStringLiteral("All");
const QString kEdit = QStringLiteral("Edit...");

// Collects what the component's list fill hands out, so that the box takes all names in one
// insertion instead of one model change per name.
struct ItemCollector {
    QStringList items;
    void addItem(const QString &item) { items.append(item); }
};

void fillBox(QComboBox &box, const QStringList &items) {
    const QSignalBlocker blocker(&box);
    box.clear();
    box.addItems(items);
    box.setCurrentIndex(0);
}

QStringList categoryEntries(int categoryKind) {
    ItemCollector names;
    names.items.append(kAll);
    try {
        const CategoryList list = *categoryListOfKind(categoryKind);
        appState().set.db(list.db).fillList(names, list.field, QString());
    } catch (const StoreError &) {
        // No plan open: the box still offers "All" and the editor.
    }
    names.items.append(kEdit);
    return std::move(names.items);
}

// Completes the typed text in the box's line edit. Watches the keys so that a deletion
// (Backspace, Delete, cut) does not put back what the user just removed.
class TypeAhead : public QObject {
public:
    TypeAhead(QComboBox *box, const QString &kind)
        : QObject(box)
        , m_box(box)
        , m_edit(box->lineEdit())
        , m_kind(kind) {
        // The box hands its keys straight to the line edit, past any filter there, so both
        // are watched.
        m_box->installEventFilter(this);
        m_edit->installEventFilter(this);
        connect(m_edit, &QLineEdit::textEdited, this, &TypeAhead::complete);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if ((watched == m_edit || watched == m_box) && event->type() == QEvent::KeyPress)
            m_deleting = isDeletion(static_cast<QKeyEvent *>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    static bool isDeletion(QKeyEvent *key) {
        return key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
               key->matches(QKeySequence::Cut) || key->matches(QKeySequence::DeleteStartOfWord) ||
               key->matches(QKeySequence::DeleteEndOfWord) ||
               key->matches(QKeySequence::DeleteEndOfLine) ||
               key->matches(QKeySequence::DeleteCompleteLine);
    }

    void complete(const QString &typed) {
        const bool deleting = std::exchange(m_deleting, false);
        // Only text typed at the end is completed; an edit inside the text stays where it is.
        if (deleting || m_edit->cursorPosition() != typed.size())
            return;
        const QString name = categoryLookup(appState().set, typed, m_kind);
        if (name.isEmpty() || name == typed)
            return;
        const qsizetype n = typed.size();
        m_edit->setText(name);
        m_edit->setSelection(int(n), int(name.size() - n));
    }

    QComboBox *m_box;
    QLineEdit *m_edit;
    QString m_kind;
    bool m_deleting = false;
};

} // namespace

void fillFilterBoxes(QWidget &mainWindow) {
    struct Box {
        const char *name;
        int categoryKind; // -1: fixed entries
        QStringList fixed;
    };
    const QStringList status{kAll, QStringLiteral("Confirmed"), QStringLiteral("Unconfirmed")};
    const Box boxes[] = {
        {"cmbPartyRelation", 0, {}},
        {"cmbGuests", 0, {}},
        {"cmbGuestStatus", -1, status},
        {"cmbVendors", 2, {}},
        {"cmbVendorStatus", -1, status},
        {"cmbTasks", 1, {}},
        {"cboPayment", -1, {QStringLiteral("Pending Payments"), QStringLiteral("Final Payments")}},
    };
    // The two relation boxes show the same list: read it once.
    QStringList relations;
    for (const Box &entry : boxes) {
        auto *box = mainWindow.findChild<QComboBox *>(QLatin1String(entry.name));
        if (!box)
            continue;
        if (entry.categoryKind < 0) {
            fillBox(*box, entry.fixed);
        } else if (entry.categoryKind == 0) {
            if (relations.isEmpty())
                relations = categoryEntries(0);
            fillBox(*box, relations);
        } else {
            fillBox(*box, categoryEntries(entry.categoryKind));
        }
    }
}

void installTypeAhead(QComboBox *box, const QString &kind) {
    if (!box || !box->isEditable() || !box->lineEdit())
        return;
    // Qt's own inline completion would fight ours over the selection.
    box->setCompleter(nullptr);
    new TypeAhead(box, kind);
}
