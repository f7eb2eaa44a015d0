// Window positions and sizes as they are stored, in twips.
#pragma once

#include <QtGlobal>

#include <limits>

// Window positions and sizes are kept in twips (1/1440 inch): 15 to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
// The nearest whole pixel, halves away from zero (15 being odd, no whole number of twips lies
// exactly halfway). Any 32-bit value converts without overflow.
constexpr int TwipsToPixels(qint64 twips) {
    constexpr qint64 half = kTwipsPerPixel / 2;
    return int(twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel));
}
// Exact for the pixels of any real screen. A value beyond what 32 bits of twips hold (the
// pixels of an extreme stored value) is held at the end of that range, which converts back to
// the same pixels.
constexpr int PixelsToTwips(int pixels) {
    const qint64 twips = qint64(pixels) * kTwipsPerPixel;
    return int(qBound(qint64(std::numeric_limits<qint32>::min()), twips,
                      qint64(std::numeric_limits<qint32>::max())));
}
