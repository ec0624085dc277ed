#pragma once

#include "printdocument.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QImage>
#include <QPageLayout>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QSpinBox;

// The pages of a laid-out document one below the other, as on paper. A page is painted only
// when it comes into view (and kept while near it), so a list of a thousand pages shows its
// first page at once.
class PreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PreviewPages(QWidget *parent = nullptr);

    // The pages to show on `page`'s paper; null shows none.
    void setPages(const Print::Layout *layout, const QPageLayout &page);
    // Zoom 1 is the paper's own size on the screen; or the page fitted to the view.
    enum class Fit { None, Width, WholePage };
    void setZoom(double zoom);
    void setFit(Fit fit);
    double zoom() const; // as shown, fitted or not
    Fit fit() const { return m_fit; }

    int currentPage() const; // 0-based
    void showPage(int index);
    // The pages painted so far (for tests: only what was in view).
    int pagesPainted() const { return m_painted; }

signals:
    void currentPageChanged(int index);
    // Ctrl with the mouse wheel: one step in or out.
    void zoomStep(int steps);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    double scale() const; // pixels per dot
    QSizeF pageSize() const;
    double pageTop(int index) const;
    QImage image(int index);
    void relayout();

    const Print::Layout *m_layout = nullptr;
    QSizeF m_paper;  // dots
    QPointF m_inset; // the printable part's top left on the paper, dots
    double m_zoom = 1;
    Fit m_fit = Fit::WholePage;
    std::vector<std::pair<int, QImage>> m_cache; // the last pages painted, newest last
    double m_cachedScale = 0;
    int m_painted = 0;
    int m_current = -1;
};

// The print preview: the pages as they will print, the paper and its orientation (the pages
// are laid out again when they change), the zoom, and Print and Export PDF.
class PrintPreview : public QDialog {
    Q_OBJECT
public:
    PrintPreview(const Print::Document &document, const QPageLayout &page,
                 QWidget *parent = nullptr);
    ~PrintPreview() override;

    // Print (true when printed: the preview closes) and Export PDF, on the paper shown.
    void setPrintCommand(std::function<bool(const QPageLayout &)> command) {
        m_print = std::move(command);
    }
    void setExportCommand(std::function<void(const QPageLayout &)> command) {
        m_export = std::move(command);
    }

    QPageLayout pageLayout() const { return m_page; }
    // Another paper or orientation: the pages are laid out again.
    void setPageLayout(const QPageLayout &page);
    int pageCount() const;
    PreviewPages *pages() const { return m_pages; }

private:
    void relayout();
    // The paper and orientation boxes show `page`.
    void showPaper(const QPageLayout &page);
    void paperChosen();
    void zoomChosen();
    void zoomBy(int steps);
    void showCount();

    const Print::Document &m_document;
    QPageLayout m_page;
    std::unique_ptr<Print::Layout> m_layout;
    PreviewPages *m_pages;
    QComboBox *m_paper;
    QComboBox *m_orientation;
    QComboBox *m_zoom;
    QSpinBox *m_pageBox;
    QLabel *m_pageCount;
    std::function<bool(const QPageLayout &)> m_print;
    std::function<void(const QPageLayout &)> m_export;
};
