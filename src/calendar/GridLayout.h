// Where the header and the 42 cells of the month grid go inside the drawing area (pixels).
#pragma once

#include <QRect>

#include <array>

inline constexpr int kHeaderHeight = 64;
inline constexpr int kWeekLabelHeight = 14;
inline constexpr int kDayLabelHeight = 14;
inline constexpr int kScheduleOffset = 12;

struct GridLayout {
    std::array<QRect, 7> week;
    std::array<QRect, 42> day;
    std::array<QRect, 42> schedule;
};

// Rounds to the nearest whole number, halves to the even neighbour.
int RoundHalfEven(float x);

// Divides a drawing area of w x h pixels into the weekday header and six rows of seven cells.
// Neighbouring labels share their border pixel; rows may get negative tops when h is small.
GridLayout ComputeGridLayout(int w, int h);
