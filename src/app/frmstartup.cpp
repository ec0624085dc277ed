#include "frmstartup.h"

#include "frmabout.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

namespace {

constexpr int kPictureSize = 80;

// A picture the keyboard can reach: Tab focuses it, Space presses it as on any button, and
// Enter does too (a tool button would otherwise leave Enter to the dialog).
class PictureButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            click();
            return;
        }
        QToolButton::keyPressEvent(event);
    }
};

// A caption that acts like its picture (its buddy): a click presses the picture, and so does
// the caption's access key (QLabel clicks a button buddy on its mnemonic).
class CaptionLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void mousePressEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton)
            event->accept();
        else
            QLabel::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override {
        auto *picture = qobject_cast<QAbstractButton *>(buddy());
        if (event->button() == Qt::LeftButton && picture && picture->isEnabled() &&
            rect().contains(event->position().toPoint())) {
            event->accept();
            picture->click();
            return;
        }
        QLabel::mouseReleaseEvent(event);
    }
};

// A transparent canvas of `size` logical pixels, sharp on high-density screens; the painter
// draws on it in a 64-unit square.
QPixmap canvas(int size) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void begin(QPainter &painter, int size) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
}

// The look of a picture that cannot be chosen: grey and faded.
QPixmap greyed(const QPixmap &pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 110 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 5 / 10);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

// A round badge in a picture's lower right corner.
void badge(QPainter &painter, const QPointF &centre, const QColor &fill, const QColor &edge) {
    painter.setPen(QPen(edge, 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(centre, 10, 10);
}

// An arc of the circle round `centre` with an arrowhead at its end (angles in degrees,
// counter-clockwise from three o'clock, as QPainter counts them).
void arrowArc(QPainter &painter, const QPointF &centre, qreal radius, qreal start, qreal span,
              const QColor &colour) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    painter.setPen(QPen(colour, 2.6, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(box, int(start * 16), int(span * 16));

    const qreal end = (start + span) * std::numbers::pi / 180.0;
    const QPointF tip = centre + QPointF(radius * std::cos(end), -radius * std::sin(end));
    const qreal sign = span < 0 ? -1.0 : 1.0;
    const QPointF ahead(-std::sin(end) * sign, -std::cos(end) * sign);
    const QPointF outward(std::cos(end), -std::sin(end));
    QPolygonF head;
    head << tip + ahead * 4.0 << tip + outward * 3.6 << tip - outward * 3.6;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(head);
}

} // namespace

QPixmap frmStartup::newPlanPicture(int size) {
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    begin(painter, size);

    // A fresh page with a folded corner...
    QPainterPath page;
    page.moveTo(12, 5);
    page.lineTo(40, 5);
    page.lineTo(50, 15);
    page.lineTo(50, 59);
    page.lineTo(12, 59);
    page.closeSubpath();
    QLinearGradient paper(12, 5, 50, 59);
    paper.setColorAt(0, QColor(0xff, 0xff, 0xff));
    paper.setColorAt(1, QColor(0xe8, 0xec, 0xf2));
    painter.setPen(QPen(QColor(0x7d, 0x86, 0x94), 1.4));
    painter.setBrush(paper);
    painter.drawPath(page);
    QPolygonF fold;
    fold << QPointF(40, 5) << QPointF(40, 15) << QPointF(50, 15);
    painter.setBrush(QColor(0xd5, 0xdb, 0xe4));
    painter.drawPolygon(fold);

    // ...with the rings on it...
    paintWeddingRings(painter, QRectF(15, 19, 32, 24));

    // ...and a "new" badge.
    const QPointF centre(50, 50);
    badge(painter, centre, QColor(0x3c, 0x9d, 0x4e), QColor(0x2a, 0x70, 0x37));
    painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-5, 0), centre + QPointF(5, 0));
    painter.drawLine(centre + QPointF(0, -5), centre + QPointF(0, 5));
    return pixmap;
}

QPixmap frmStartup::lastFilePicture(int size) {
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    begin(painter, size);

    const QColor edge(0xa0, 0x6c, 0x18);
    // The folder's back with its tab.
    QPainterPath back;
    back.moveTo(5, 55);
    back.lineTo(5, 13);
    back.quadTo(5, 10, 8, 10);
    back.lineTo(21, 10);
    back.lineTo(25, 15);
    back.lineTo(56, 15);
    back.quadTo(59, 15, 59, 18);
    back.lineTo(59, 55);
    back.closeSubpath();
    painter.setPen(QPen(edge, 1.4));
    painter.setBrush(QColor(0xe0, 0xa1, 0x35));
    painter.drawPath(back);

    // A page of the plan inside it.
    painter.setPen(QPen(QColor(0x8a, 0x92, 0x9e), 1.2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(13, 8, 36, 30));
    painter.setPen(QPen(QColor(0xa9, 0xb2, 0xbf), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (qreal y = 14; y < 30; y += 5)
        painter.drawLine(QPointF(18, y), QPointF(44, y));

    // The folder's front.
    QPainterPath front;
    front.moveTo(3, 27);
    front.lineTo(61, 27);
    front.lineTo(57, 57);
    front.lineTo(7, 57);
    front.closeSubpath();
    QLinearGradient manila(0, 27, 0, 57);
    manila.setColorAt(0, QColor(0xfb, 0xd3, 0x6b));
    manila.setColorAt(1, QColor(0xec, 0xaf, 0x3c));
    painter.setPen(QPen(edge, 1.4));
    painter.setBrush(manila);
    painter.drawPath(front);

    // A clock badge: the plan used last.
    const QPointF centre(50, 50);
    badge(painter, centre, Qt::white, QColor(0x2f, 0x6f, 0xc0));
    painter.setPen(QPen(QColor(0x2f, 0x6f, 0xc0), 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, centre + QPointF(0, -6));
    painter.drawLine(centre, centre + QPointF(4.5, 2));
    return pixmap;
}

QPixmap frmStartup::hotSyncPicture(int size) {
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    begin(painter, size);

    // The handheld: case, screen with a few lines of text, and its buttons.
    QLinearGradient body(10, 3, 42, 61);
    body.setColorAt(0, QColor(0x6b, 0x73, 0x81));
    body.setColorAt(1, QColor(0x38, 0x3e, 0x48));
    painter.setPen(QPen(QColor(0x2a, 0x2f, 0x37), 1.4));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(10, 3, 32, 58), 6, 6);
    painter.setPen(QPen(QColor(0x26, 0x2b, 0x31), 1.0));
    painter.setBrush(QColor(0xb8, 0xd0, 0x9c));
    painter.drawRect(QRectF(14, 8, 24, 30));
    painter.setPen(QPen(QColor(0x4e, 0x64, 0x3c), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (qreal y = 13; y < 34; y += 5)
        painter.drawLine(QPointF(17, y), QPointF(y < 28 ? 34 : 28, y));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc9, 0xce, 0xd6));
    for (qreal x : {16.0, 22.0, 30.0, 36.0})
        painter.drawEllipse(QPointF(x, 49), 2.2, 2.2);
    painter.drawRoundedRect(QRectF(23, 52, 6, 4), 1.5, 1.5);

    // The sync badge: two arrows going round.
    const QPointF centre(49, 47);
    const QColor blue(0x1f, 0x6f, 0xd1);
    painter.setPen(QPen(blue, 1.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 13, 13);
    arrowArc(painter, centre, 7.5, 100, 140, blue);
    arrowArc(painter, centre, 7.5, 280, 140, blue);
    return pixmap;
}

frmStartup::frmStartup(const QString &lastFolder, bool noUsers, const QString &palmUser,
                       QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmStartup"));
    setWindowTitle(tr("Vowline Startup"));

    auto *question = new QLabel(tr("Which Wedding Plan would you like to open?"), this);
    question->setObjectName(QStringLiteral("lblQuestion"));
    QFont font = question->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    question->setFont(font);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(4);
    addChoice(grid, 0, QStringLiteral("New"), newPlanPicture(kPictureSize),
              tr("Create &New Vowline"), tr("Start a new wedding plan from the default lists"),
              Choice::NewPlan, true);
    addChoice(grid, 1, QStringLiteral("Last"), lastFilePicture(kPictureSize), tr("&Last File Used"),
              lastFolder.isEmpty() ? tr("No wedding plan has been opened from a folder yet")
                                   : tr("Open the wedding plan in %1").arg(lastFolder),
              Choice::LastFile, !lastFolder.isEmpty());
    // The HotSync files belong to one Palm user: without a chosen one there are none to open.
    const bool hotSyncReady = !noUsers && !palmUser.isEmpty();
    addChoice(
        grid, 2, QStringLiteral("HotSync"), hotSyncPicture(kPictureSize), tr("Palm &HotSync Files"),
        noUsers        ? tr("No Palm user was found on this computer")
        : hotSyncReady ? tr("Open the wedding plan the last HotSync backed up for %1").arg(palmUser)
                       : tr("Choose a Palm user in the main window first"),
        Choice::HotSync, hotSyncReady);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 18);
    layout->setSpacing(14);
    layout->addWidget(question, 0, Qt::AlignHCenter);
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The first choice that can be made gets the focus: New always can.
    findChild<QWidget *>(QStringLiteral("picNew"))->setFocus();
}

void frmStartup::addChoice(QGridLayout *grid, int column, const QString &name,
                           const QPixmap &picture, const QString &caption, const QString &toolTip,
                           Choice choice, bool enabled) {
    QIcon icon;
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(picture, QIcon::Active);
    icon.addPixmap(greyed(picture), QIcon::Disabled);

    auto *button = new PictureButton(this);
    button->setObjectName(QStringLiteral("pic") + name);
    button->setIcon(icon);
    button->setIconSize(QSize(kPictureSize, kPictureSize));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setToolTip(toolTip);
    button->setAccessibleName(QString(caption).remove(u'&'));
    button->setEnabled(enabled);
    if (enabled)
        button->setCursor(Qt::PointingHandCursor);
    connect(button, &QAbstractButton::clicked, this, [this, choice] { choose(choice); });

    auto *label = new CaptionLabel(caption, this);
    label->setObjectName(QStringLiteral("lbl") + name);
    label->setBuddy(button);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setToolTip(toolTip);
    label->setEnabled(enabled);
    if (enabled)
        label->setCursor(Qt::PointingHandCursor);

    grid->setColumnMinimumWidth(column, 124);
    grid->addWidget(button, 0, column, Qt::AlignHCenter);
    grid->addWidget(label, 1, column, Qt::AlignHCenter | Qt::AlignTop);
}

void frmStartup::choose(Choice choice) {
    m_choice = choice;
    accept();
}
