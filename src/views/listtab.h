#pragma once

#include "views/tabhost.h"
#include "widgets/listgrid.h"

#include <QHBoxLayout>
#include <QWidget>

class QComboBox;
class QPushButton;

// A tab of the main window that shows one list: a row of filter boxes and buttons along the
// top, and the grid below it, which the main window sizes with the window.
class ListTab : public QWidget {
    Q_OBJECT
public:
    // Where the grid starts below the top of the tab page, in twips.
    static constexpr int kGridTopTwips = 540;
    static constexpr int kGridLeftTwips = 60;

    explicit ListTab(TabHost &host, QWidget *parent = nullptr);

protected:
    // Adds a widget to the top row, after those added before; a label goes in front when given.
    void addToTop(QWidget *widget, const QString &label = {});
    QComboBox *addFilterBox(const QString &objectName, const QString &label, bool editable);
    QPushButton *addButton(const QString &objectName, const QString &caption);
    // When the category box `box` reads "Edit...", runs that category editor and returns true:
    // the box holds a command then, not a filter. One editor at a time, since the editor may
    // be asked for again by the focus loss of the very box that opened it.
    bool editCategoriesIfAsked(const QComboBox *box, TabHost::CategoryList list);
    // The category a new record takes from `box`: none for "All" and "Edit...".
    static QString categoryForNewRecord(const QComboBox *box);
    // Places a grid where the main window's layout expects it.
    void placeGrid(ListGrid *grid);
    void resizeEvent(QResizeEvent *event) override;

    TabHost &m_host;

private:
    QWidget *m_bar;
    QHBoxLayout *m_topRow;
};
