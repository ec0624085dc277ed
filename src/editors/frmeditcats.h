#pragma once

#include "rules/categorylookup.h"

#include <QDialog>
#include <array>
#include <optional>

class QListWidget;
class QPushButton;

// "Edit Categories": edits one category list (appState().categoryKind: 0 relation types,
// 1 timeframes, 2 vendor types) as lines; OK writes the list back and sets the changed flag.
// Nothing reaches the database before OK.
class frmEditCats : public QDialog {
    Q_OBJECT
public:
    // The command buttons, by their index in cmdCmd.
    enum Command { Add, Edit, Delete, MoveUp, MoveDown, Sort };

    explicit frmEditCats(QWidget *parent = nullptr);

    QListWidget *lstCats() const { return m_cats; }
    QPushButton *cmdCmd(int index) const { return m_commands.at(std::size_t(index)); }
    // The lines as they stand in the list.
    QStringList lines() const;

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

    std::optional<CategoryList> m_list;
    QListWidget *m_cats = nullptr;
    QListWidget *m_sort = nullptr;
    std::array<QPushButton *, 6> m_commands{};
};
