#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

// Window and control sizes are kept in twips (1/1440 inch) and turned into pixels with the
// screen's logical DPI, so that a layout keeps its proportions at any scale.
namespace Twips {

inline double dpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

inline int toPixels(int twips) {
    return int(std::lround(twips * dpi() / 1440.0));
}

inline int fromPixels(int pixels) {
    return int(std::lround(pixels * 1440.0 / dpi()));
}

// The window sizes of the layout rules count a window's title bar and borders; Qt's sizes
// count only the inside. A rule over a window's height is given Qt's height plus this much.
constexpr int kFrameAllowance = 525;
// The menu bar those rules expect; a window whose real menu bar is taller or shorter gives
// or takes the difference (see the main window).
constexpr int kMenuBarHeight = 300;

} // namespace Twips
