// Where the main window opens: the saved frame when a user can reach it, else the design size
// at a place that can be seen.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// The main window's design size, in twips.
inline constexpr int kDesignWidthTwips = 7000;
inline constexpr int kDesignHeightTwips = 10000;

// The outer frame (pixels) the window opens with, given the available areas of the screens (the
// primary screen first) and the window's minimum size. The saved frame stands when part of its
// title bar lies on a screen's area and its size is at least the minimum and at most the extent
// of all areas. Otherwise the design size, made to fit the primary screen but never below the
// minimum, is centred on the primary screen.
QRect StartGeometry(const QRect& saved, const QList<QRect>& screens, const QSize& minimum);
