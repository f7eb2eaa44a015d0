// Colours as they are stored.
#pragma once

#include <QtGlobal>

class QColor;

// Colours are kept as 0x00BBGGRR, red in the low byte.
QColor ColorFromBgr(quint32 bgr);
quint32 BgrFromColor(const QColor& c);
inline constexpr quint32 kHolidayRed = 0x7777FF;
inline constexpr quint32 kSaturdayBlue = 0xFF7777;
inline constexpr quint32 kOtherMonthGrey = 0xCCCCCC;
inline constexpr quint32 kWhite = 0xFFFFFF;
