#include "frmeditcats.h"

#include "store/prompter.h"
#include "widgets/twips.h"

#include <QCollator>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The editor is titled by the list it edits.
QString titleOf(CategoryKind kind) {
    switch (kind) {
    case CategoryKind::Relations:
        break;
    case CategoryKind::Timeframes:
        return QStringLiteral("Edit Timeframes");
    case CategoryKind::VendorTypes:
        return QStringLiteral("Edit Services");
    case CategoryKind::Meals:
        return QStringLiteral("Edit Meals");
    }
    return QStringLiteral("Edit Relations");
}

// Where a line came from: its place in the list as the editor opened it.
constexpr int kOriginRole = Qt::UserRole;

// Alphabetical order ignoring letter case, as a sorted system list box keeps it: the user's
// collation where the platform provides a case-blind one, else case-blind code point order.
// Lines equal under it keep their order. Each line keeps its origin.
void sortIgnoringCase(std::vector<std::pair<QString, QVariant>> &lines) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool usable = collator.compare(QStringLiteral("a"), QStringLiteral("B")) < 0 &&
                        collator.compare(QStringLiteral("B"), QStringLiteral("c")) < 0;
    std::stable_sort(lines.begin(), lines.end(), [&](const auto &a, const auto &b) {
        const int order = usable ? collator.compare(a.first, b.first) : 0;
        if (order != 0)
            return order < 0;
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
}

// The keys of the commands in the list, since the captions carry no access keys.
QKeySequence commandKey(int command) {
    switch (command) {
    case frmEditCats::Add:
        return QKeySequence(Qt::Key_Insert);
    case frmEditCats::Edit:
        return QKeySequence(Qt::Key_F2);
    case frmEditCats::Delete:
        return QKeySequence(Qt::Key_Delete);
    case frmEditCats::MoveUp:
        return QKeySequence(Qt::CTRL | Qt::Key_Up);
    case frmEditCats::MoveDown:
        return QKeySequence(Qt::CTRL | Qt::Key_Down);
    default:
        return {};
    }
}

} // namespace

frmEditCats::frmEditCats(CategoryKind kind, const QStringList &names, Prompter &prompter,
                         QWidget *parent)
    : QDialog(parent)
    , m_prompter(prompter) {
    setObjectName(QStringLiteral("frmEditCats"));
    setWindowTitle(titleOf(kind));
    setModal(true);

    m_cats = new QListWidget(this);
    m_cats->setObjectName(QStringLiteral("lstCats"));
    m_cats->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cats->setMinimumSize(Twips::toPixels(2800), Twips::toPixels(3000));
    connect(m_cats, &QListWidget::itemDoubleClicked, this, [this] { cmdCmd_Click(Edit); });
    m_cats->installEventFilter(this);

    // Only Sort uses it, as the sorted copy of the lines.
    m_sort = new QListWidget(this);
    m_sort->setObjectName(QStringLiteral("lstSort"));
    m_sort->hide();

    static const char *const kCaptions[] = {"Add",     "Edit",      "Delete",
                                            "Move Up", "Move Down", "Sort"};
    auto *buttons = new QVBoxLayout;
    for (int i = 0; i < int(m_commands.size()); ++i) {
        auto *button = new QPushButton(QString::fromLatin1(kCaptions[i]), this);
        button->setObjectName(QStringLiteral("cmdCmd(%1)").arg(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdCmd_Click(i); });
        if (const QKeySequence key = commandKey(i); !key.isEmpty())
            button->setToolTip(QStringLiteral("%1 (%2 in the list)")
                                   .arg(button->text(), key.toString(QKeySequence::NativeText)));
        m_commands[std::size_t(i)] = button;
        buttons->addWidget(button);
    }
    buttons->addSpacing(Twips::toPixels(180));
    buttons->addStretch(1);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmEditCats::cmdOK_Click);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &frmEditCats::cmdCancel_Click);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_cats, 1);
    layout->addLayout(buttons);
    setTabOrder(m_cats, m_commands.front());

    // The lines as the database holds them, in record order.
    m_cats->addItems(names);
    for (int i = 0; i < m_cats->count(); ++i)
        m_cats->item(i)->setData(kOriginRole, i);
    m_cats->setFocus();
}

bool frmEditCats::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_cats && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (int command = Add; command <= Sort; ++command) {
            if (!commandKey(command).isEmpty() && commandKey(command) == pressed) {
                cmdCmd_Click(command);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

QStringList frmEditCats::lines() const {
    QStringList result;
    result.reserve(m_cats->count());
    for (int i = 0; i < m_cats->count(); ++i)
        result.append(m_cats->item(i)->text());
    return result;
}

std::vector<int> frmEditCats::origins() const {
    std::vector<int> result;
    result.reserve(std::size_t(m_cats->count()));
    for (int i = 0; i < m_cats->count(); ++i) {
        const QVariant origin = m_cats->item(i)->data(kOriginRole);
        result.push_back(origin.isValid() ? origin.toInt() : -1);
    }
    return result;
}

int frmEditCats::selectedIndex() const {
    const QList<QListWidgetItem *> selected = m_cats->selectedItems();
    return selected.isEmpty() ? -1 : m_cats->row(selected.first());
}

void frmEditCats::selectLine(int index) {
    if (index < 0 || index >= m_cats->count()) {
        m_cats->clearSelection();
        return;
    }
    m_cats->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    m_cats->scrollToItem(m_cats->item(index));
}

void frmEditCats::cmdCmd_Click(int index) {
    switch (index) {
    case Add:
        addLine();
        break;
    case Edit:
        editLine();
        break;
    case Delete:
        deleteLine();
        break;
    case MoveUp:
        swapLines(selectedIndex(), selectedIndex() - 1);
        break;
    case MoveDown:
        swapLines(selectedIndex(), selectedIndex() + 1);
        break;
    case Sort:
        sortLines();
        break;
    default:
        break;
    }
}

void frmEditCats::addLine() {
    const std::optional<QString> answer =
        m_prompter.input(QStringLiteral("Add new item:"), QStringLiteral("New"));
    if (!answer || answer->isEmpty())
        return;
    m_cats->addItem(*answer);
    selectLine(m_cats->count() - 1);
}

void frmEditCats::editLine() {
    const int index = selectedIndex();
    if (index < 0)
        return;
    QListWidgetItem *item = m_cats->item(index);
    const std::optional<QString> answer = m_prompter.input(QStringLiteral("Edit existing item:"),
                                                           QStringLiteral("Edit"), item->text());
    if (!answer || answer->isEmpty())
        return;
    item->setText(*answer);
}

void frmEditCats::deleteLine() {
    const int index = selectedIndex();
    if (index < 0)
        return;
    delete m_cats->takeItem(index);
    selectLine(std::min(index, m_cats->count() - 1));
}

void frmEditCats::swapLines(int from, int to) {
    if (from < 0 || to < 0 || to >= m_cats->count())
        return;
    QListWidgetItem *moved = m_cats->item(from);
    QListWidgetItem *other = m_cats->item(to);
    const QString text = moved->text();
    const QVariant origin = moved->data(kOriginRole);
    moved->setText(other->text());
    moved->setData(kOriginRole, other->data(kOriginRole));
    other->setText(text);
    other->setData(kOriginRole, origin);
    selectLine(to);
}

void frmEditCats::sortLines() {
    const int selected = selectedIndex();
    std::vector<std::pair<QString, QVariant>> sorted;
    sorted.reserve(std::size_t(m_cats->count()));
    for (int i = 0; i < m_cats->count(); ++i)
        sorted.emplace_back(m_cats->item(i)->text(), m_cats->item(i)->data(kOriginRole));
    sortIgnoringCase(sorted);
    m_sort->clear();
    for (const auto &[text, origin] : sorted) {
        m_sort->addItem(text);
        m_sort->item(m_sort->count() - 1)->setData(kOriginRole, origin);
    }
    m_cats->clear();
    for (int i = 0; i < m_sort->count(); ++i)
        m_cats->addItem(m_sort->item(i)->clone());
    m_sort->clear();
    selectLine(selected);
}

void frmEditCats::cmdOK_Click() {
    accept();
}

void frmEditCats::cmdCancel_Click() {
    reject();
}
