// The pixel arithmetic of the month grid.

#include "calendar/GridLayout.h"

#include <QtTest>

class tst_gridLayout : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void columnsOf701Pixels();
    void rowsShareTheirBorderLines();
    void tinyAreaGetsNegativeTopsAndOnePixelLabels();
};

void tst_gridLayout::roundsHalvesToEven_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5f << 0;
    QTest::newRow("1.5") << 1.5f << 2;
    QTest::newRow("2.5") << 2.5f << 2;
    QTest::newRow("2.6") << 2.6f << 3;
    QTest::newRow("-1.5") << -1.5f << -2;
    QTest::newRow("-2.5") << -2.5f << -2;
}

void tst_gridLayout::roundsHalvesToEven() {
    QFETCH(float, x);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(x), expected);
}

void tst_gridLayout::columnsOf701Pixels() {
    const GridLayout g = ComputeGridLayout(701, 664);
    for (int c = 0; c < 7; ++c) {
        QCOMPARE(g.week[size_t(c)], QRect(100 * c, 50, 101, 14));
        QCOMPARE(g.day[size_t(c)].left(), 100 * c);
        QCOMPARE(g.day[size_t(c)].width(), 101);
        QCOMPARE(g.schedule[size_t(35 + c)].left(), 100 * c);
    }
    // Six rows of 100 pixels below the 64-pixel header.
    for (int r = 0; r < 6; ++r) {
        QCOMPARE(g.day[size_t(7 * r)], QRect(0, 64 + 100 * r - 1, 101, 14));
        QCOMPARE(g.schedule[size_t(7 * r)], QRect(0, 64 + 100 * r + 12, 101, 88));
    }
}

void tst_gridLayout::rowsShareTheirBorderLines() {
    // 500 x 389: the row pitch is 54.1666 and the column pitch 71.2857, so rounding matters.
    const GridLayout g = ComputeGridLayout(500, 389);
    // Row 3 lies at 162.5: the half goes to the even 162.
    const int tops[] = {64, 118, 172, 226, 281, 335};
    for (int r = 0; r < 6; ++r) {
        QCOMPARE(g.day[size_t(7 * r)].top(), tops[r] - 1);
        QCOMPARE(g.schedule[size_t(7 * r)].top(), tops[r] + 12);
    }
    for (int c = 0; c < 6; ++c) {
        // Each label's last pixel column is the next label's first.
        QCOMPARE(g.day[size_t(c)].right(), g.day[size_t(c + 1)].left());
    }
    QCOMPARE(g.day[6].right(), 499);
    // Within a cell and between rows, neighbouring labels share one pixel line.
    QCOMPARE(g.day[0].bottom(), g.schedule[0].top());
    QCOMPARE(g.schedule[0].bottom(), g.day[7].top());
    QCOMPARE(g.schedule[14].height(), 162 - 108 - 13 + 1);
}

void tst_gridLayout::tinyAreaGetsNegativeTopsAndOnePixelLabels() {
    // No height at all: the row pitch is negative, rows climb up into the header.
    const GridLayout g = ComputeGridLayout(200, 0);
    QCOMPARE(g.day[7].top(), 64 - 11 - 1); // round(-10.67) = -11
    QCOMPARE(g.day[35].top(), 64 - 53 - 1);
    QVERIFY(ComputeGridLayout(200, -100).day[35].top() < 0);
    for (const QRect& r : g.schedule)
        QCOMPARE(r.height(), 1);
    QCOMPARE(g.week[0].top(), 50);
}

QTEST_MAIN(tst_gridLayout)
#include "tst_gridLayout.moc"
