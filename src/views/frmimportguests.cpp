#include "frmimportguests.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QStringListModel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>

using GuestCsv::Column;
using GuestCsv::countOf;

// One of the preview's lists: each row's text is made from the plan when the view shows it,
// and ticks are kept as one flag per row.
class PreviewListModel : public QAbstractListModel {
public:
    using Text = std::function<QString(int)>;

    PreviewListModel(bool checkable, QObject *parent)
        : QAbstractListModel(parent)
        , m_checkable(checkable) {}

    void reset(int rows, Text text) {
        beginResetModel();
        m_rows = rows;
        m_text = std::move(text);
        m_checked.assign(m_checkable ? std::size_t(rows) : 0, false);
        endResetModel();
    }
    const std::vector<bool> &checked() const { return m_checked; }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : m_rows;
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || index.row() >= m_rows)
            return {};
        if (role == Qt::DisplayRole)
            return m_text(index.row());
        if (role == Qt::CheckStateRole && m_checkable)
            return m_checked[std::size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override {
        const Qt::ItemFlags base = QAbstractListModel::flags(index);
        return m_checkable ? base | Qt::ItemIsUserCheckable : base;
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override {
        if (!m_checkable || role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_rows)
            return false;
        m_checked[std::size_t(index.row())] = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

private:
    bool m_checkable;
    int m_rows = 0;
    Text m_text;
    std::vector<bool> m_checked;
};

namespace {

// A list of one line per row that never measures more than one row.
QListView *makeList(QWidget *parent, const char *name, QAbstractItemModel *model) {
    auto *view = new QListView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setUniformItemSizes(true);
    view->setModel(model);
    return view;
}

QString separatorName(QChar c) {
    if (c == u';')
        return QStringLiteral("semicolons");
    if (c == u'\t')
        return QStringLiteral("tabs");
    return QStringLiteral("commas");
}

// A cell of the first row as a sample, on one line and not too long to read.
QString sample(const QString &text) {
    QString line = text.simplified();
    if (line.size() > 40)
        line = line.left(39) + QChar(0x2026);
    return line;
}

} // namespace

frmImportGuests::frmImportGuests(const Csv::Table &table, const QString &fileName,
                                 const PalmDatabase &guests, const QStringList &relations,
                                 QWidget *parent, const QStringList &meals)
    : QDialog(parent)
    , m_table(table)
    , m_guests(guests)
    , m_relations(relations)
    , m_meals(meals) {
    setObjectName(QStringLiteral("frmImportGuests"));
    setWindowTitle(tr("Import Guests"));
    auto *layout = new QVBoxLayout(this);

    auto *file = new QLabel(tr("%1: %2, %3, separated by %4.")
                                .arg(fileName, countOf(table.rows.size(), "row", "rows"),
                                     table.encoding, separatorName(table.separator)),
                            this);
    file->setObjectName(QStringLiteral("lblFile"));
    file->setWordWrap(true);
    layout->addWidget(file);

    auto *columnsLabel = new QLabel(tr("&Guest field of each column:"), this);
    layout->addWidget(columnsLabel);
    m_columns = new QTableWidget(int(table.header.size()), 3, this);
    m_columns->setObjectName(QStringLiteral("tblColumns"));
    m_columns->setHorizontalHeaderLabels({tr("Column"), tr("First row"), tr("Guest field")});
    m_columns->verticalHeader()->hide();
    m_columns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_columns->horizontalHeader()->setStretchLastSection(true);
    columnsLabel->setBuddy(m_columns);
    const GuestCsv::Mapping guess =
        GuestCsv::guessMapping(table.header, GuestCsv::rememberedMapping());
    for (int c = 0; c < table.header.size(); ++c) {
        m_columns->setItem(c, 0, new QTableWidgetItem(table.header[c]));
        m_columns->setItem(c, 1, new QTableWidgetItem(sample(table.rows.value(0).value(c))));
        auto *box = new QComboBox(m_columns);
        box->setObjectName(QStringLiteral("cboField%1").arg(c + 1));
        for (int f = 0; f <= int(Column::Ignore); ++f)
            box->addItem(GuestCsv::title(Column(f)), f);
        box->setCurrentIndex(int(guess.value(c, Column::Ignore)));
        connect(box, &QComboBox::currentIndexChanged, this, &frmImportGuests::analyse);
        m_columns->setCellWidget(c, 2, box);
        m_fieldBoxes.append(box);
    }
    m_columns->resizeColumnsToContents();
    layout->addWidget(m_columns, 3);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    m_summary->setWordWrap(true);
    QFont bold = m_summary->font();
    bold.setBold(true);
    m_summary->setFont(bold);
    layout->addWidget(m_summary);

    auto *skippedLabel = new QLabel(tr("&Rows skipped:"), this);
    layout->addWidget(skippedLabel);
    m_skipped = new PreviewListModel(false, this);
    QListView *skipped = makeList(this, "lstSkipped", m_skipped);
    skippedLabel->setBuddy(skipped);
    layout->addWidget(skipped, 1);

    auto *duplicatesLabel =
        new QLabel(tr("Likely &duplicates, skipped unless ticked to add them anyway:"), this);
    layout->addWidget(duplicatesLabel);
    m_duplicates = new PreviewListModel(true, this);
    QListView *duplicates = makeList(this, "lstDuplicates", m_duplicates);
    duplicatesLabel->setBuddy(duplicates);
    connect(m_duplicates, &QAbstractItemModel::dataChanged, this, &frmImportGuests::updateSummary);
    layout->addWidget(duplicates, 1);

    // The new relations in a list of their own: however many, and however long, they scroll
    // rather than widen the dialog.
    m_addRelations = new QCheckBox(this);
    m_addRelations->setObjectName(QStringLiteral("chkAddRelations"));
    m_addRelations->setChecked(true);
    layout->addWidget(m_addRelations);
    m_newRelations = new QStringListModel(this);
    m_relationsView = makeList(this, "lstNewRelations", m_newRelations);
    m_relationsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_relationsView->setMaximumHeight(m_relationsView->fontMetrics().height() * 6);
    layout->addWidget(m_relationsView);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("&Import"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmImportGuests::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmImportGuests::reject);
    layout->addWidget(buttons);

    resize(720, 620);
    analyse();
}

GuestCsv::Mapping frmImportGuests::mapping() const {
    GuestCsv::Mapping mapping;
    for (QComboBox *box : m_fieldBoxes)
        mapping.append(Column(box->currentData().toInt()));
    return mapping;
}

GuestCsv::Choices frmImportGuests::choices() const {
    GuestCsv::Choices choices;
    choices.addDuplicate = m_duplicates->checked();
    choices.addRelations = m_addRelations->isChecked();
    return choices;
}

void frmImportGuests::analyse() {
    m_plan = GuestCsv::analyse(m_table, mapping(), m_guests, m_relations, m_meals);

    m_skipped->reset(int(m_plan.skipped.size()), [this](int row) {
        return GuestCsv::describe(m_plan.skipped[std::size_t(row)]);
    });
    m_duplicates->reset(int(m_plan.duplicates.size()), [this](int row) {
        const GuestCsv::Duplicate &d = m_plan.duplicates[std::size_t(row)];
        return GuestCsv::describe(d, m_plan.guests[std::size_t(d.guest)]);
    });

    const qsizetype relations = m_plan.newRelations.size();
    m_addRelations->setVisible(relations > 0);
    m_relationsView->setVisible(relations > 0);
    m_addRelations->setText(relations == 1 ? tr("Add the new relation to the relation list:")
                                           : tr("Add the %1 new relations to the relation list:")
                                                 .arg(QLocale().toString(relations)));
    m_newRelations->setStringList(m_plan.newRelations);
    updateSummary();
}

void frmImportGuests::updateSummary() {
    const GuestCsv::Choices chosen = choices();
    const int adding = GuestCsv::countToAdd(m_plan, chosen);
    const qsizetype duplicates = m_plan.duplicates.size();
    const qsizetype duplicatesAdded =
        std::count(chosen.addDuplicate.begin(), chosen.addDuplicate.end(), true);
    QString text;
    bool possible = adding > 0;
    if (!m_plan.nameMapped) {
        text = tr("Choose the column that holds the guests' names.");
        possible = false;
    } else {
        if (adding > GuestCsv::kMaxGuests - m_plan.existing) {
            text = tr("Nothing can be added: %1 would be added, but the guest list holds at most "
                      "%2 and has %3 already.")
                       .arg(countOf(adding, "guest", "guests"),
                            countOf(GuestCsv::kMaxGuests, "guest", "guests"),
                            QLocale().toString(m_plan.existing));
            possible = false;
        } else {
            text = tr("%1 will be added.").arg(countOf(adding, "guest", "guests"));
        }
        text += tr("  %1 skipped.")
                    .arg(countOf(qsizetype(m_plan.skipped.size()) + duplicates - duplicatesAdded,
                                 "row", "rows"));
        if (duplicates > 0) {
            text += tr("  %1 of %2 added anyway.")
                        .arg(QLocale().toString(duplicatesAdded),
                             countOf(duplicates, "likely duplicate", "likely duplicates"));
        }
    }
    m_summary->setText(text);
    m_ok->setEnabled(possible);
}

void frmImportGuests::accept() {
    GuestCsv::rememberMapping(m_table.header, mapping());
    QDialog::accept();
}
