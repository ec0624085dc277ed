#include "printpreview.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kGap = 16;                            // pixels around and between the pages
constexpr std::size_t kKept = 6;                    // pages kept painted
constexpr qsizetype kKeptBytes = 160 * 1024 * 1024; // at most, when zoomed far in
const double kZooms[] = {0.25, 0.33, 0.5, 0.67, 0.75, 0.9, 1, 1.25, 1.5, 2, 3, 4};

QSizeF dots(const QSizeF &points) {
    return points * (Print::kDotsPerInch / 72.0);
}

// The busy pointer while the pages are laid out again (a long list takes a moment).
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

// --- PreviewPages ------------------------------------------------------------------------------

PreviewPages::PreviewPages(QWidget *parent)
    : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("PreviewPages"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Pages"));
    viewport()->setAutoFillBackground(false);
}

void PreviewPages::setPages(const Print::Layout *layout, const QPageLayout &page) {
    m_layout = layout;
    m_paper = dots(page.fullRect(QPageLayout::Point).size());
    m_inset = page.paintRect(QPageLayout::Point).topLeft() * (Print::kDotsPerInch / 72.0);
    m_cache.clear();
    m_current = -1;
    relayout();
}

void PreviewPages::setZoom(double zoom) {
    m_zoom = std::clamp(zoom, kZooms[0], kZooms[std::size(kZooms) - 1]);
    m_fit = Fit::None;
    relayout();
}

void PreviewPages::setFit(Fit fit) {
    m_fit = fit;
    relayout();
}

double PreviewPages::zoom() const {
    return scale() * Print::kDotsPerInch / logicalDpiX();
}

double PreviewPages::scale() const {
    if (m_paper.isEmpty())
        return 0.1;
    const double width = (viewport()->width() - 2.0 * kGap) / m_paper.width();
    const double whole = std::min(width, (viewport()->height() - 2.0 * kGap) / m_paper.height());
    switch (m_fit) {
    case Fit::Width:
        return std::max(width, 0.01);
    case Fit::WholePage:
        return std::max(whole, 0.01);
    case Fit::None:
        break;
    }
    return m_zoom * logicalDpiX() / Print::kDotsPerInch;
}

QSizeF PreviewPages::pageSize() const {
    return m_paper * scale();
}

double PreviewPages::pageTop(int index) const {
    return kGap + index * (pageSize().height() + kGap);
}

void PreviewPages::relayout() {
    const int count = m_layout ? m_layout->pageCount() : 0;
    const QSizeF page = pageSize();
    const int keep = currentPage();
    verticalScrollBar()->setRange(
        0,
        std::max(0, int(std::ceil(kGap + count * (page.height() + kGap))) - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(std::max(20, int(page.height() / 20)));
    horizontalScrollBar()->setRange(
        0, std::max(0, int(std::ceil(page.width() + 2 * kGap)) - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(20);
    if (keep >= 0 && keep < count)
        showPage(keep);
    viewport()->update();
}

int PreviewPages::currentPage() const {
    const int count = m_layout ? m_layout->pageCount() : 0;
    if (count == 0)
        return -1;
    // The page across the upper third of the view.
    const double at = verticalScrollBar()->value() + viewport()->height() / 3.0 - kGap;
    return std::clamp(int(at / (pageSize().height() + kGap)), 0, count - 1);
}

void PreviewPages::showPage(int index) {
    const int count = m_layout ? m_layout->pageCount() : 0;
    if (count == 0)
        return;
    index = std::clamp(index, 0, count - 1);
    verticalScrollBar()->setValue(int(pageTop(index) - kGap));
    if (index != m_current) {
        m_current = index;
        emit currentPageChanged(index);
    }
    viewport()->update();
}

QImage PreviewPages::image(int index) {
    const double s = scale();
    if (s != m_cachedScale) {
        m_cache.clear();
        m_cachedScale = s;
    }
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
        if (it->first == index) {
            // Most recently used last.
            std::rotate(it, it + 1, m_cache.end());
            return m_cache.back().second;
        }
    }
    const qreal ratio = devicePixelRatioF();
    const QSizeF size = pageSize();
    QImage page(QSize(std::max(1, int(std::ceil(size.width() * ratio))),
                      std::max(1, int(std::ceil(size.height() * ratio)))),
                QImage::Format_RGB32);
    page.setDevicePixelRatio(ratio);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.scale(s, s);
        painter.translate(m_inset);
        m_layout->paintPage(painter, index);
    }
    ++m_painted;
    m_cache.emplace_back(index, page);
    qsizetype bytes = 0;
    for (const auto &kept : m_cache)
        bytes += kept.second.sizeInBytes();
    while (m_cache.size() > 1 && (m_cache.size() > kKept || bytes > kKeptBytes)) {
        bytes -= m_cache.front().second.sizeInBytes();
        m_cache.erase(m_cache.begin());
    }
    return page;
}

void PreviewPages::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
    if (!m_layout)
        return;
    const QSizeF size = pageSize();
    const double left = viewport()->width() > size.width() + 2 * kGap
                            ? (viewport()->width() - size.width()) / 2
                            : kGap - horizontalScrollBar()->value();
    const double scrolled = verticalScrollBar()->value();
    const int count = m_layout->pageCount();
    const int first = std::clamp(int((scrolled - kGap) / (size.height() + kGap)), 0, count - 1);
    for (int i = first; i < count; ++i) {
        const double top = pageTop(i) - scrolled;
        if (top > viewport()->height())
            break;
        const QRectF box(left, top, size.width(), size.height());
        painter.fillRect(box.translated(3, 3), QColor(0x50, 0x50, 0x50));
        painter.drawImage(box.topLeft(), image(i));
    }
}

void PreviewPages::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void PreviewPages::scrollContentsBy(int, int) {
    viewport()->update();
    const int page = currentPage();
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void PreviewPages::keyPressEvent(QKeyEvent *event) {
    const int count = m_layout ? m_layout->pageCount() : 0;
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(currentPage() + 1);
        return;
    case Qt::Key_PageUp:
        // Back to the top of this page first, then to the page before.
        showPage(verticalScrollBar()->value() > pageTop(currentPage()) - kGap + 1
                     ? currentPage()
                     : currentPage() - 1);
        return;
    case Qt::Key_Home:
        showPage(0);
        return;
    case Qt::Key_End:
        showPage(count - 1);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void PreviewPages::wheelEvent(QWheelEvent *event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0)
            emit zoomStep(steps);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// --- PrintPreview ------------------------------------------------------------------------------

PrintPreview::PrintPreview(const Print::Document &document, const QPageLayout &page,
                           QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_page(page) {
    setObjectName(QStringLiteral("dlgPrintPreview"));
    setWindowTitle(tr("Print Preview - %1").arg(document.title));

    auto *print = new QPushButton(tr("&Print..."), this);
    print->setObjectName(QStringLiteral("cmdPrint"));
    print->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    print->setShortcut(QKeySequence::Print);
    print->setAutoDefault(false);
    auto *pdf = new QPushButton(tr("Export P&DF..."), this);
    pdf->setObjectName(QStringLiteral("cmdExportPdf"));
    pdf->setAutoDefault(false);

    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("cboPaperSize"));
    m_paper->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // The papers people print on, by the names on their packets.
    const std::pair<QPageSize::PageSizeId, const char *> papers[] = {
        {QPageSize::Letter, "Letter"}, {QPageSize::Legal, "Legal"}, {QPageSize::Tabloid, "Tabloid"},
        {QPageSize::A4, "A4"},         {QPageSize::A5, "A5"},       {QPageSize::A3, "A3"}};
    for (const auto &[id, name] : papers)
        m_paper->addItem(tr(name), int(id));
    auto *paperLabel = new QLabel(tr("Pape&r:"), this);
    paperLabel->setBuddy(m_paper);

    m_orientation = new QComboBox(this);
    m_orientation->setObjectName(QStringLiteral("cboOrientation"));
    m_orientation->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_orientation->addItem(tr("Portrait"), int(QPageLayout::Portrait));
    m_orientation->addItem(tr("Landscape"), int(QPageLayout::Landscape));
    showPaper(page);
    auto *orientationLabel = new QLabel(tr("Or&ientation:"), this);
    orientationLabel->setBuddy(m_orientation);

    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("cboZoom"));
    m_zoom->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_zoom->addItem(tr("Whole Page"), -2.0);
    m_zoom->addItem(tr("Page Width"), -1.0);
    for (double zoom : kZooms)
        m_zoom->addItem(QStringLiteral("%1%").arg(std::lround(zoom * 100)), zoom);
    auto *zoomLabel = new QLabel(tr("&Zoom:"), this);
    zoomLabel->setBuddy(m_zoom);

    auto arrow = [this](const char *name, Qt::ArrowType type, const QString &tip) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1StringView(name));
        button->setArrowType(type);
        button->setToolTip(tip);
        button->setAccessibleName(tip);
        return button;
    };
    QToolButton *previous = arrow("cmdPreviousPage", Qt::LeftArrow, tr("Previous page"));
    QToolButton *next = arrow("cmdNextPage", Qt::RightArrow, tr("Next page"));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("spnPage"));
    m_pageBox->setAccessibleName(tr("Page"));
    auto *pageLabel = new QLabel(tr("Pa&ge:"), this);
    pageLabel->setBuddy(m_pageBox);
    m_pageCount = new QLabel(this);
    m_pageCount->setObjectName(QStringLiteral("lblPageCount"));

    auto *close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setAutoDefault(false);

    m_pages = new PreviewPages(this);

    auto *tools = new QHBoxLayout;
    tools->addWidget(print);
    tools->addWidget(pdf);
    tools->addSpacing(12);
    tools->addWidget(paperLabel);
    tools->addWidget(m_paper);
    tools->addWidget(orientationLabel);
    tools->addWidget(m_orientation);
    tools->addSpacing(12);
    tools->addWidget(zoomLabel);
    tools->addWidget(m_zoom);
    tools->addSpacing(12);
    tools->addWidget(pageLabel);
    tools->addWidget(previous);
    tools->addWidget(m_pageBox);
    tools->addWidget(next);
    tools->addWidget(m_pageCount);
    tools->addStretch(1);
    tools->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_pages, 1);

    connect(print, &QPushButton::clicked, this, [this] {
        if (m_print && m_print(m_page))
            accept();
    });
    connect(pdf, &QPushButton::clicked, this, [this] {
        if (m_export)
            m_export(m_page);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_paper, &QComboBox::activated, this, &PrintPreview::paperChosen);
    connect(m_orientation, &QComboBox::activated, this, &PrintPreview::paperChosen);
    connect(m_zoom, &QComboBox::activated, this, &PrintPreview::zoomChosen);
    connect(m_pages, &PreviewPages::zoomStep, this, &PrintPreview::zoomBy);
    connect(new QShortcut(QKeySequence::ZoomIn, this), &QShortcut::activated, this,
            [this] { zoomBy(1); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this,
            [this] { zoomBy(-1); });
    connect(previous, &QToolButton::clicked, this,
            [this] { m_pages->showPage(m_pages->currentPage() - 1); });
    connect(next, &QToolButton::clicked, this,
            [this] { m_pages->showPage(m_pages->currentPage() + 1); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page - 1 != m_pages->currentPage())
            m_pages->showPage(page - 1);
    });
    connect(m_pages, &PreviewPages::currentPageChanged, this, [this](int index) {
        const QSignalBlocker quiet(m_pageBox);
        m_pageBox->setValue(index + 1);
    });

    // Most of the screen, the page standing upright in it.
    const QRect screen =
        (parent ? parent->screen() : QApplication::primaryScreen())->availableGeometry();
    resize(std::min(screen.width() * 9 / 10, std::max(1100, screen.width() * 2 / 3)),
           screen.height() * 9 / 10);
    setMinimumSize(640, 480);

    relayout();
    m_pages->setFocus();
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::showPaper(const QPageLayout &page) {
    const QSignalBlocker quietPaper(m_paper);
    const QSignalBlocker quietOrientation(m_orientation);
    // A paper of the printer's own that is not listed joins the list under its name.
    if (m_paper->findData(int(page.pageSize().id())) < 0)
        m_paper->addItem(page.pageSize().name(), int(page.pageSize().id()));
    m_paper->setCurrentIndex(m_paper->findData(int(page.pageSize().id())));
    m_orientation->setCurrentIndex(page.orientation() == QPageLayout::Landscape ? 1 : 0);
}

int PrintPreview::pageCount() const {
    return m_layout ? m_layout->pageCount() : 0;
}

void PrintPreview::setPageLayout(const QPageLayout &page) {
    if (Print::samePaper(page, m_page))
        return;
    m_page = page;
    showPaper(page);
    relayout();
}

void PrintPreview::relayout() {
    BusyCursor busy;
    const double place = pageCount() > 0 ? double(m_pages->currentPage()) / pageCount() : 0;
    m_pages->setPages(nullptr, m_page);
    m_layout = std::make_unique<Print::Layout>(m_document, Print::printableSize(m_page));
    m_pages->setPages(m_layout.get(), m_page);
    showCount();
    // About where the reader was, in the pages as they are now.
    m_pages->showPage(int(place * pageCount()));
}

void PrintPreview::showCount() {
    const int count = pageCount();
    const QSignalBlocker quiet(m_pageBox);
    m_pageBox->setRange(1, std::max(1, count));
    m_pageBox->setValue(std::max(1, m_pages->currentPage() + 1));
    m_pageCount->setText(tr("of %1").arg(QLocale().toString(count)));
}

void PrintPreview::paperChosen() {
    QPageLayout page = m_page;
    page.setPageSize(QPageSize(QPageSize::PageSizeId(m_paper->currentData().toInt())));
    page.setOrientation(QPageLayout::Orientation(m_orientation->currentData().toInt()));
    if (Print::samePaper(page, m_page))
        return;
    m_page = page;
    relayout();
}

void PrintPreview::zoomChosen() {
    const double zoom = m_zoom->currentData().toDouble();
    if (zoom == -2.0)
        m_pages->setFit(PreviewPages::Fit::WholePage);
    else if (zoom == -1.0)
        m_pages->setFit(PreviewPages::Fit::Width);
    else
        m_pages->setZoom(zoom);
}

void PrintPreview::zoomBy(int steps) {
    const double now = m_pages->zoom();
    const auto *begin = std::begin(kZooms);
    const auto *end = std::end(kZooms);
    // The next step beyond the zoom shown, in either direction.
    const double *at = steps > 0 ? std::upper_bound(begin, end, now + 0.001)
                                 : std::lower_bound(begin, end, now - 0.001) - 1;
    at = std::clamp(at, begin, end - 1);
    m_pages->setZoom(*at);
    const int item = m_zoom->findData(*at);
    if (item >= 0)
        m_zoom->setCurrentIndex(item);
}
