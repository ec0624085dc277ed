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

} // namespace Twips
