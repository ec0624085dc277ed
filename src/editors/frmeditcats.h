#pragma once

#include "rules/categorylookup.h"

#include <QDialog>
#include <array>
#include <optional>
#include <vector>

class Prompter;

class QListWidget;
class QPushButton;

// The category editor: edits one category list as lines ("Edit Relations", "Edit Services",
// "Edit Timeframes", "Edit Meals"). Nothing reaches the plan: after OK the caller writes lines()
// back.
class frmEditCats : public QDialog {
    Q_OBJECT
public:
    // The command buttons, by their index in cmdCmd.
    enum Command { Add, Edit, Delete, MoveUp, MoveDown, Sort };

    frmEditCats(CategoryKind kind, const QStringList &names, Prompter &prompter,
                QWidget *parent = nullptr);

    QListWidget *lstCats() const { return m_cats; }
    QPushButton *cmdCmd(int index) const { return m_commands.at(std::size_t(index)); }
    // The lines as they stand in the list.
    QStringList lines() const;
    // For each line, the place in the list as it was opened that it came from (a line edited or
    // moved keeps its place), -1 for a line added.
    std::vector<int> origins() const;

public slots:
    void cmdCmd_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int selectedIndex() const;
    void selectLine(int index);
    void addLine();
    void editLine();
    void deleteLine();
    void swapLines(int from, int to);
    void sortLines();

    Prompter &m_prompter;
    QListWidget *m_cats = nullptr;
    QListWidget *m_sort = nullptr;
    std::array<QPushButton *, 6> m_commands{};
};
