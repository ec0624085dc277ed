#pragma once

#include "transfer/guestcsv.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;
class QTableWidget;
class PreviewListModel;

// The preview of a guest import: which guest field each column of the file fills, what will be
// added, which rows are skipped and why, which rows look like guests already in the plan (each
// can be added anyway), and the relations the relation list lacks. The lists are models over
// the plan, so a file of a million rows previews as fast as one of a hundred. Nothing is
// changed here; the caller applies plan() with choices() after OK.
class frmImportGuests : public QDialog {
    Q_OBJECT
public:
    frmImportGuests(const Csv::Table &table, const QString &fileName, const PalmDatabase &guests,
                    const QStringList &relations, QWidget *parent = nullptr,
                    const QStringList &meals = {});

    const GuestCsv::Plan &plan() const { return m_plan; }
    GuestCsv::Choices choices() const;
    GuestCsv::Mapping mapping() const;

    void accept() override;

private:
    void analyse();
    void updateSummary();

    const Csv::Table &m_table;
    const PalmDatabase &m_guests;
    QStringList m_relations;
    QStringList m_meals;
    GuestCsv::Plan m_plan;
    QTableWidget *m_columns = nullptr;
    QList<QComboBox *> m_fieldBoxes;
    QLabel *m_summary = nullptr;
    PreviewListModel *m_skipped = nullptr;
    PreviewListModel *m_duplicates = nullptr;
    QStringListModel *m_newRelations = nullptr;
    QCheckBox *m_addRelations = nullptr;
    QListView *m_relationsView = nullptr;
    QPushButton *m_ok = nullptr;
};
