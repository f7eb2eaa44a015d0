#include "mainwindow/WindowPlacement.h"

#include "core/Twips.h"

#include <algorithm>

namespace {

// The strip at the top of the frame that the user grabs to move the window.
constexpr int kTitleBarHeight = 24;

} // namespace

QRect StartGeometry(const QRect& frame, const QList<QRect>& screens, const QSize& minimum) {
    QRect extent;
    for (const QRect& s : screens)
        extent |= s;
    const bool sizeFits = frame.width() >= minimum.width() && frame.height() >= minimum.height() &&
                          frame.width() <= extent.width() && frame.height() <= extent.height();
    const QRect titleBar(frame.x(), frame.y(), frame.width(), kTitleBarHeight);
    const bool reachable = std::any_of(screens.begin(), screens.end(), [&titleBar](const QRect& s) {
        return s.intersects(titleBar);
    });
    if (sizeFits && reachable)
        return frame;

    const QSize design(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));
    const QRect home = screens.isEmpty() ? QRect(QPoint(0, 0), design) : screens.first();
    const QSize size = design.boundedTo(home.size()).expandedTo(minimum);
    // Centred; a window larger than the screen keeps its title bar at the top left.
    return QRect(home.x() + std::max(0, (home.width() - size.width()) / 2),
                 home.y() + std::max(0, (home.height() - size.height()) / 2), size.width(),
                 size.height());
}
