#include "frmabout.h"

#include "store/prompter.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kIconSize = 64;

// One ring as a thick circle: a dark rim, then the metal over it. `from`/`span` limit it to an
// arc (degrees), used to lay one ring back over the other where they interlock.
void paintRing(QPainter &painter, const QPointF &centre, qreal radius, qreal thickness,
               const QColor &light, const QColor &mid, const QColor &dark, qreal from = 0,
               qreal span = 360) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QLinearGradient metal(box.topLeft(), box.bottomRight());
    metal.setColorAt(0.0, light);
    metal.setColorAt(0.45, mid);
    metal.setColorAt(1.0, dark);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(dark.darker(135), thickness + std::max(1.0, thickness * 0.22),
                        Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(box, int(from * 16), int(span * 16));
    painter.setPen(QPen(QBrush(metal), thickness, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(box, int(from * 16), int(span * 16));
}

} // namespace

void paintWeddingRings(QPainter &painter, const QRectF &box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Width: two radii, the offset of the centres and the band; height: a ring and the stone.
    const qreal radius = std::min(box.width() / 3.5, box.height() / 2.6);
    const qreal thickness = radius * 0.3;
    const qreal offset = radius * 0.62;
    const QPointF middle = box.center() + QPointF(0, radius * 0.16);
    const QPointF left = middle - QPointF(offset, 0);
    const QPointF right = middle + QPointF(offset, 0);

    const QColor goldLight(0xff, 0xf0, 0xb0), gold(0xe8, 0xb5, 0x38), goldDark(0xa8, 0x76, 0x14);
    const QColor silverLight(0xff, 0xff, 0xff), silver(0xc6, 0xcc, 0xd6),
        silverDark(0x80, 0x88, 0x96);
    paintRing(painter, left, radius, thickness, goldLight, gold, goldDark);
    paintRing(painter, right, radius, thickness, silverLight, silver, silverDark);
    // Interlock: the gold ring passes in front of the silver one at their lower crossing.
    const qreal crossing = -std::acos(offset / radius) * 180.0 / std::numbers::pi;
    paintRing(painter, left, radius, thickness, goldLight, gold, goldDark, crossing - 22, 44);

    // A small stone set on top of the silver ring.
    const qreal stone = thickness * 0.95;
    const QPointF top = right - QPointF(0, radius + thickness * 0.35);
    QPolygonF gem;
    gem << top + QPointF(0, -stone) << top + QPointF(stone * 0.9, 0) << top + QPointF(0, stone)
        << top + QPointF(-stone * 0.9, 0);
    QLinearGradient sparkle(gem.boundingRect().topLeft(), gem.boundingRect().bottomRight());
    sparkle.setColorAt(0, Qt::white);
    sparkle.setColorAt(1, QColor(0x9f, 0xd4, 0xf2));
    painter.setPen(QPen(QColor(0x4a, 0x7f, 0xa6), std::max(0.8, thickness * 0.15)));
    painter.setBrush(sparkle);
    painter.drawPolygon(gem);
    painter.restore();
}

const QString frmAbout::kWebPage = QStringLiteral("https://www.vowline.com/desktop/");

QStringList frmAbout::defaultSysInfoTools() {
    // Information tools first, then the desktops' system monitors.
    return {QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("plasma-systemmonitor"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lxtask")};
}

frmAbout::frmAbout(Prompter &prompter, QWidget *parent)
    : QDialog(parent)
    , m_prompter(prompter) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Vowline Desktop"));

    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap emblem(QSize(kIconSize, kIconSize) * ratio);
    emblem.setDevicePixelRatio(ratio);
    emblem.fill(Qt::transparent);
    {
        QPainter painter(&emblem);
        paintWeddingRings(painter, QRectF(2, 2, kIconSize - 4, kIconSize - 4));
    }
    auto *icon = new QToolButton(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setIcon(QIcon(emblem));
    icon->setIconSize(QSize(kIconSize, kIconSize));
    icon->setAutoRaise(true);
    icon->setFocusPolicy(Qt::TabFocus);
    icon->setCursor(Qt::PointingHandCursor);
    icon->setToolTip(tr("Visit the Vowline web site: %1").arg(kWebPage));
    icon->setAccessibleName(tr("Vowline web site"));
    connect(icon, &QToolButton::clicked, this, &frmAbout::openWebPage);

    auto *title = new QLabel(kProgramTitle, this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto *version = new QLabel(QStringLiteral("Version %1.%2.%3")
                                   .arg(VOWLINE_VERSION_MAJOR)
                                   .arg(VOWLINE_VERSION_MINOR)
                                   .arg(VOWLINE_VERSION_PATCH),
                               this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *description = new QLabel(
        tr("The desktop half of Vowline Suite.  The complete wedding planner for the mobile "
           "couple - Vowline Desktop and Vowline for PalmOS."),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *disclaimer = new QLabel(tr("Copyright \u00a9 2026 the Vowline developers.  This program "
                                     "is provided as is, without warranty of any kind."),
                                  this);
    disclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    disclaimer->setWordWrap(true);
    QFont smallFont = disclaimer->font();
    smallFont.setPointSizeF(smallFont.pointSizeF() * 0.9);
    disclaimer->setFont(smallFont);

    auto *sysInfo = new QPushButton(tr("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(sysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(description);
    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sysInfo);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addWidget(disclaimer);
    layout->addLayout(buttons);

    // Word-wrapped labels take their height from this width; the dialog keeps its size.
    description->setFixedWidth(330);
    disclaimer->setMinimumWidth(330 + kIconSize + 16);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(ok, sysInfo);
    setTabOrder(sysInfo, icon);
    ok->setFocus();
}

bool frmAbout::StartSysInfo() {
    // Without a registry to name the tool, take the first of the known tools that is on PATH
    // and really starts (a broken installation of one falls through to the next).
    for (const QString &tool : defaultSysInfoTools()) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return true;
    }
    m_prompter.message(QStringLiteral("System Information Is Unavailable At This Time"),
                       kProgramTitle, Prompter::Icon::None, Prompter::Buttons::Ok);
    return false;
}

void frmAbout::openWebPage() {
    if (!QDesktopServices::openUrl(QUrl(kWebPage)))
        m_prompter.message(
            tr("The web page %1 could not be opened.  Please check that a web browser is "
               "installed.")
                .arg(kWebPage),
            kProgramTitle, Prompter::Icon::Exclamation, Prompter::Buttons::Ok);
}
