// Colours as they are stored.
#pragma once

#include <QColor>

// The number a colour is stored as: 0x00BBGGRR, red in the low byte.
QColor ColorFromBgr(quint32 bgr);
quint32 BgrFromColor(const QColor& c);

// The grid's fixed colours.
inline const QColor kHolidayRed(0xFF, 0x77, 0x77);
inline const QColor kSaturdayBlue(0x77, 0x77, 0xFF);
inline const QColor kOtherMonthGrey(0xCC, 0xCC, 0xCC);
inline const QColor kWhite(0xFF, 0xFF, 0xFF);
