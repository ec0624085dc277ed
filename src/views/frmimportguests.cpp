#include "frmimportguests.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using GuestCsv::Column;

namespace {

QString count(qsizetype n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
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
                                 QWidget *parent)
    : QDialog(parent)
    , m_table(table)
    , m_guests(guests)
    , m_relations(relations) {
    setObjectName(QStringLiteral("frmImportGuests"));
    setWindowTitle(tr("Import Guests"));
    auto *layout = new QVBoxLayout(this);

    auto *file = new QLabel(tr("%1: %2, %3, separated by %4.")
                                .arg(fileName, count(table.rows.size(), "row", "rows"),
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
    m_skipped = new QListWidget(this);
    m_skipped->setObjectName(QStringLiteral("lstSkipped"));
    skippedLabel->setBuddy(m_skipped);
    layout->addWidget(m_skipped, 1);

    auto *duplicatesLabel =
        new QLabel(tr("Likely &duplicates, skipped unless ticked to add them anyway:"), this);
    layout->addWidget(duplicatesLabel);
    m_duplicates = new QListWidget(this);
    m_duplicates->setObjectName(QStringLiteral("lstDuplicates"));
    duplicatesLabel->setBuddy(m_duplicates);
    connect(m_duplicates, &QListWidget::itemChanged, this, &frmImportGuests::updateSummary);
    layout->addWidget(m_duplicates, 1);

    m_addRelations = new QCheckBox(this);
    m_addRelations->setObjectName(QStringLiteral("chkAddRelations"));
    m_addRelations->setChecked(true);
    layout->addWidget(m_addRelations);

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
    for (int i = 0; i < m_duplicates->count(); ++i)
        choices.addDuplicate.push_back(m_duplicates->item(i)->checkState() == Qt::Checked);
    choices.addRelations = m_addRelations->isChecked();
    return choices;
}

void frmImportGuests::analyse() {
    m_plan = GuestCsv::analyse(m_table, mapping(), m_guests, m_relations);

    m_skipped->clear();
    for (const GuestCsv::Skip &skip : m_plan.skipped)
        m_skipped->addItem(GuestCsv::describe(skip));

    const QSignalBlocker quiet(m_duplicates);
    m_duplicates->clear();
    for (const GuestCsv::Duplicate &d : m_plan.duplicates) {
        auto *item = new QListWidgetItem(GuestCsv::describe(d, m_plan.guests[std::size_t(d.guest)]),
                                         m_duplicates);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }

    m_addRelations->setVisible(!m_plan.newRelations.isEmpty());
    m_addRelations->setText(tr("Add the new relations to the relation list: %1")
                                .arg(m_plan.newRelations.join(QStringLiteral(", "))));
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
        text = tr("%1 will be added.  %2 skipped.")
                   .arg(count(adding, "guest", "guests"),
                        count(qsizetype(m_plan.skipped.size()) + duplicates - duplicatesAdded,
                              "row", "rows"));
        if (duplicates > 0) {
            text += tr("  %1 of %2 added anyway.")
                        .arg(duplicatesAdded)
                        .arg(count(duplicates, "likely duplicate", "likely duplicates"));
        }
        const int room = GuestCsv::kMaxGuests - m_plan.existing;
        if (adding > room) {
            const QLocale english(QLocale::English);
            text += tr("  The guest list holds at most %1 guests and has %2 already: "
                       "%3 more cannot be added.")
                        .arg(english.toString(GuestCsv::kMaxGuests),
                             english.toString(m_plan.existing), english.toString(adding));
            possible = false;
        }
    }
    m_summary->setText(text);
    m_ok->setEnabled(possible);
}

void frmImportGuests::accept() {
    GuestCsv::rememberMapping(m_table.header, mapping());
    QDialog::accept();
}
