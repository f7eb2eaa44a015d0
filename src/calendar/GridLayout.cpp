#include "calendar/GridLayout.h"

#include <algorithm>
#include <cmath>

int RoundHalfEven(float x) {
    return int(std::nearbyint(x));
}

GridLayout ComputeGridLayout(int w, int h) {
    GridLayout g;
    // Single precision, as the pitch has always been computed.
    const float rowH = float(h - kHeaderHeight) / 6.0f;
    const float colW = float(w - 1) / 7.0f;
    for (int r = 0; r < 6; ++r) {
        const int top = RoundHalfEven(float(r) * rowH) + kHeaderHeight;
        const int schedH =
            std::max(0, RoundHalfEven(float(r + 1) * rowH) - RoundHalfEven(float(r) * rowH) - 13) +
            1;
        for (int c = 0; c < 7; ++c) {
            const int left = RoundHalfEven(colW * float(c));
            const int width = RoundHalfEven(colW * float(c + 1)) - left + 1;
            if (r == 0)
                g.week[size_t(c)] =
                    QRect(left, kHeaderHeight - kWeekLabelHeight, width, kWeekLabelHeight);
            const size_t i = size_t(7 * r + c);
            g.day[i] = QRect(left, top - 1, width, kDayLabelHeight);
            g.schedule[i] = QRect(left, top + kScheduleOffset, width, schedH);
        }
    }
    return g;
}
