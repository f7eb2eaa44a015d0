// Where the main window opens from its saved geometry.

#include "core/Twips.h"
#include "mainwindow/WindowPlacement.h"

#include <QtTest>

using Screens = QList<QRect>;

class tst_windowPlacement : public QObject {
    Q_OBJECT
private slots:
    void startGeometry_data();
    void startGeometry();
};

void tst_windowPlacement::startGeometry_data() {
    QTest::addColumn<QList<int>>("saved"); // left, top, width, height in twips
    QTest::addColumn<Screens>("screens");
    QTest::addColumn<QRect>("expected");
    const Screens one{QRect(0, 0, 1280, 970)};
    const Screens two{QRect(0, 0, 1280, 970), QRect(1280, 500, 1280, 500)};
    // The design size centred on the primary screen.
    const QRect design(406, 151, 467, 667);
    QTest::newRow("on the screen")
        << QList<int>{1500, 750, 9000, 7500} << one << QRect(100, 50, 600, 500);
    QTest::newRow("mostly off the left, title bar reachable")
        << QList<int>{-7500, 750, 9000, 7500} << one << QRect(-500, 50, 600, 500);
    QTest::newRow("on the second screen")
        << QList<int>{30000, 9000, 9000, 6000} << two << QRect(2000, 600, 600, 400);
    QTest::newRow("as large as the screen")
        << QList<int>{0, 0, 19200, 14550} << one << QRect(0, 0, 1280, 970);
    QTest::newRow("far left") << QList<int>{-100000, 750, 9000, 7500} << one << design;
    QTest::newRow("far below") << QList<int>{1500, 99999999, 9000, 7500} << one << design;
    QTest::newRow("title bar above the screen")
        << QList<int>{1500, -1500, 9000, 7500} << one << design;
    QTest::newRow("title bar below the screen")
        << QList<int>{1500, 14550, 9000, 7500} << one << design;
    QTest::newRow("beside the lower second screen")
        << QList<int>{22500, 1500, 9000, 6000} << two << design;
    QTest::newRow("zero width") << QList<int>{1500, 750, 0, 7500} << one << design;
    QTest::newRow("negative width") << QList<int>{1500, 750, -1, 7500} << one << design;
    QTest::newRow("zero height") << QList<int>{1500, 750, 9000, 0} << one << design;
    QTest::newRow("largest width") << QList<int>{1500, 750, 2147483647, 7500} << one << design;
    QTest::newRow("largest height") << QList<int>{1500, 750, 9000, 2147483647} << one << design;
    QTest::newRow("below the minimum") << QList<int>{1500, 750, 3000, 7500} << one << design;
    QTest::newRow("wider than the screen") << QList<int>{0, 0, 19500, 7500} << one << design;
    QTest::newRow("design size on a low screen")
        << QList<int>{-100000, 0, 9000, 7500} << Screens{QRect(0, 0, 800, 600)}
        << QRect(166, 0, 467, 600);
}

void tst_windowPlacement::startGeometry() {
    QFETCH(QList<int>, saved);
    QFETCH(Screens, screens);
    QFETCH(QRect, expected);
    // The rows give the frame as the settings file holds it, in twips.
    const QRect frame(TwipsToPixels(saved[0]), TwipsToPixels(saved[1]), TwipsToPixels(saved[2]),
                      TwipsToPixels(saved[3]));
    QCOMPARE(StartGeometry(frame, screens, QSize(240, 180)), expected);
}

QTEST_GUILESS_MAIN(tst_windowPlacement)
#include "tst_windowPlacement.moc"
