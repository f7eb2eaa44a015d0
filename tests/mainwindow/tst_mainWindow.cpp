// The main window as a user meets it: drawing, colours, navigation, menus and toolbar.

#include "TestSupport.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/Dates.h"
#include "mainwindow/CellLabel.h"
#include "mainwindow/InfoPanel.h"
#include "mainwindow/MainApplication.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "settings/SettingsStore.h"
#include "statistics/StatisticsWindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {

QColor Bg(QLabel* l) {
    return l->palette().color(QPalette::Window);
}

// The colour the label really shows, away from its text and border.
QColor Painted(QWidget* l) {
    const QImage img = l->grab().toImage();
    return img.pixelColor(img.width() - 3, img.height() - 3);
}

} // namespace

class tst_mainWindow : public QObject {
    Q_OBJECT

private slots:
    // The program's own font: its metrics decide what fits.
    void initTestCase() { SetUpAppearance(); }
    void init();
    void cleanup();

    void drawsTodaysMonth();
    void scheduleColours();
    void diaryColourWithoutReadingAgain();
    void statusInfoShowsTheDaysTags();
    void carriesTheDayIntoTheNextMonth();
    void moveMenuClampsTheDay();
    void homeAndTodayDiffer();
    void keysAndModifiers_data();
    void keysAndModifiers();
    void clicksOnNeighbouringDays();
    void yearFormats_data();
    void yearFormats();
    void weekAndMonthFormats();
    void menusAndHiddenEntries();
    void toolbarButtons();
    void helpEntriesShowTheirMessage();
    void hidingBarsGrowsTheGrid();
    void tinyWindowLaysOutWithoutFailing();
    void failedLoadKeepsTheOldMonth();
    void failedReadShowsOneMonthAndReadsAgain_data();
    void failedReadShowsOneMonthAndReadsAgain();
    void windowKeepsItsWidth_data();
    void windowKeepsItsWidth();
    void monthLabelKeepsItsDescenders_data();
    void monthLabelKeepsItsDescenders();
    void longCaptionsLookAsDrawnWhole_data();
    void longCaptionsLookAsDrawnWhole();
    void clockPanelsFollowThePresentTime();
    void toolbarTriggersTheMenusEntries_data();
    void toolbarTriggersTheMenusEntries();

private:
    void start(const QDate& today = QDate(2004, 3, 15)) {
        clock = std::make_unique<ClockOverride>(env->program(), QDateTime(today, QTime(9, 0)));
        w = std::make_unique<MainWindow>(env->app());
        QVERIFY(w->start());
    }
    QString info() const { return w->statusPanel(QStringLiteral("Info"))->text(); }
    int cellOf(const QDate& d) const {
        return int(
            GridStart(w->monthView()->loadedYear(), w->monthView()->loadedMonth()).daysTo(d));
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
    std::unique_ptr<MainWindow> w;
};

void tst_mainWindow::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    // Keep the program from taking the whole screen's attention in these tests.
    env->settings().writeText(SettingKey::Stationed, QStringLiteral("False"));
}

void tst_mainWindow::cleanup() {
    w.reset();
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_mainWindow::drawsTodaysMonth() {
    start();
    QCOMPARE(w->monthView()->loadedYear(), 2004);
    QCOMPARE(w->monthView()->loadedMonth(), 3);
    QCOMPARE(w->monthView()->yearLabel()->text(), QStringLiteral("'04"));
    QCOMPARE(w->monthView()->monthLabel()->text(), QStringLiteral("3"));
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblJpnMonth"))->text(),
             QStringLiteral("　弥生"));
    const QStringList week = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(w->monthView()->weekLabel(i)->text(), week.at(i));
    QCOMPARE(Bg(w->monthView()->weekLabel(0)), kHolidayRed);
    QCOMPARE(Bg(w->monthView()->weekLabel(6)), kSaturdayBlue);
    // March 2004 starts on a Monday: the grid begins on Sunday 29 February.
    QCOMPARE(w->monthView()->dayCell(0)->text(), QStringLiteral("29"));
    QCOMPARE(w->monthView()->dayCell(1)->text(), QStringLiteral(" 1"));
    QCOMPARE(w->monthView()->dayCell(20)->text(), QStringLiteral("20［春分の日］"));
    QCOMPARE(w->monthView()->selectedCell(), 15);
    QCOMPARE(info(), QStringLiteral("2004/03/15:"));
    QVERIFY(msgs->messages.empty());
    // Texts typed by the user are never read as markup.
    QCOMPARE(w->monthView()->scheduleCell(3)->textFormat(), Qt::PlainText);
    QCOMPARE(w->monthView()->dayCell(3)->textFormat(), Qt::PlainText);
}

void tst_mainWindow::scheduleColours() {
    env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-10', 'a'), ('2004-03-15', 'b'), "
                             "('2004-04-01', 'c'), ('2004-03-20', 'd')"));
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-04-01', ' 四月 ')"));
    start(QDate(2004, 3, 20));
    w->monthView()->showDate(QDate(2004, 3, 15));
    const auto look = [this](const QDate& d) {
        return w->monthView()->scheduleCell(cellOf(d))->look();
    };
    QCOMPARE(look(QDate(2004, 3, 15)),
             (CellLook{true, ColorFromBgr(0xC0FFC0)})); // selected, with a diary
    QCOMPARE(look(QDate(2004, 3, 20)),
             (CellLook{true, ColorFromBgr(0x88FFFF)})); // today, with a diary
    QCOMPARE(look(QDate(2004, 3, 10)), (CellLook{true, ColorFromBgr(0xC0E0FF)})); // diary
    QCOMPARE(look(QDate(2004, 4, 1)), (CellLook{true, kOtherMonthGrey})); // other month, diary
    QCOMPARE(look(QDate(2004, 3, 11)), (CellLook{false, kWhite}));
    // The schedule and diary mark of a neighbouring month's day are shown too.
    QCOMPARE(w->monthView()->scheduleCell(cellOf(QDate(2004, 4, 1)))->text(),
             QStringLiteral("四月"));
    QCOMPARE(w->monthView()->scheduleCell(cellOf(QDate(2004, 4, 1)))->tag(),
             QStringLiteral("日記記入日"));
    QCOMPARE(Painted(w->monthView()->scheduleCell(cellOf(QDate(2004, 3, 10)))),
             ColorFromBgr(0xC0E0FF));
    QCOMPARE(Painted(w->monthView()->scheduleCell(cellOf(QDate(2004, 4, 1)))), kOtherMonthGrey);
    QCOMPARE(Painted(w->monthView()->dayCell(0)), kHolidayRed);
}

void tst_mainWindow::diaryColourWithoutReadingAgain() {
    env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-03-15', 'b')"));
    start(QDate(2004, 3, 20));
    w->monthView()->showDate(QDate(2004, 3, 15));
    const int cell = cellOf(QDate(2004, 3, 15));
    QCOMPARE(w->monthView()->scheduleCell(cell)->look(), (CellLook{true, ColorFromBgr(0xC0FFC0)}));
    // Moving the selection inside the month uses the marks of the last load.
    env->exec(QStringLiteral("DELETE FROM T_Diary"));
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 3, 16));
    QCOMPARE(w->monthView()->scheduleCell(cell)->look(), (CellLook{true, ColorFromBgr(0xC0E0FF)}));
    // A reload reads again.
    w->monthView()->reload();
    QCOMPARE(w->monthView()->scheduleCell(cell)->look(), (CellLook{false, kWhite}));
}

void tst_mainWindow::statusInfoShowsTheDaysTags() {
    env->exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (5, 4, '記念')"));
    // The start-up's upgrade gives the untouched table the law's rules: Sunday 3 May's
    // substitute is the first day after it that is no holiday, the 6th.
    start(QDate(2026, 5, 4));
    QCOMPARE(info(), QStringLiteral("2026/05/04:［みどりの日］［記念］"));
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QCOMPARE(info(), QStringLiteral("2026/05/05:［こどもの日］"));
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QCOMPARE(info(), QStringLiteral("2026/05/06:[振替休日]"));
    QTest::keyClick(w->monthView(), Qt::Key_Right);
    QCOMPARE(info(), QStringLiteral("2026/05/07:"));
}

void tst_mainWindow::carriesTheDayIntoTheNextMonth() {
    start(QDate(2004, 1, 31));
    QTest::keyClick(w->monthView(), Qt::Key_PageDown);
    QCOMPARE(w->monthView()->loadedMonth(), 2);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 3, 2));
    QCOMPARE(w->monthView()->monthLabel()->text(),
             QStringLiteral("3")); // the month label follows the selection
    const int cell = cellOf(QDate(2004, 3, 2));
    QCOMPARE(cell, 30);
    QCOMPARE(w->monthView()->selectedCell(), 30);
    QCOMPARE(w->monthView()->scheduleCell(cell)->look(), (CellLook{true, ColorFromBgr(0xC0FFC0)}));
    QCOMPARE(w->monthView()->dayCell(0)->text(), QStringLiteral(" 1"));
}

void tst_mainWindow::moveMenuClampsTheDay() {
    start(QDate(2004, 1, 31));
    w->findAction(QStringLiteral("mnuNextMonth"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 2, 29));
    QCOMPARE(w->monthView()->loadedMonth(), 2);
    w->findAction(QStringLiteral("mnuNextYear"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2005, 2, 28));
    w->findAction(QStringLiteral("mnuLastMonth"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2005, 1, 28));
    w->findAction(QStringLiteral("mnuLastYear"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 1, 28));
    QCOMPARE(w->monthView()->loadedYear(), 2004);
}

void tst_mainWindow::homeAndTodayDiffer() {
    // Today is in February; the selection is on the 31st of another month.
    start(QDate(2004, 2, 10));
    w->monthView()->showDate(QDate(2004, 1, 31));
    QTest::keyClick(w->monthView(), Qt::Key_Home);
    QCOMPARE(w->monthView()->loadedMonth(), 2);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 3, 2)); // the 31st carries over

    w->monthView()->showDate(QDate(2004, 1, 31));
    w->findAction(QStringLiteral("mnuToday"))->trigger();
    QCOMPARE(w->monthView()->loadedMonth(), 2);
    QCOMPARE(w->monthView()->selectedDate(),
             QDate(2004, 2, 2)); // carried first, then kept in February

    w->monthView()->showDate(QDate(2004, 6, 5));
    w->findAction(QStringLiteral("当月"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 2, 5));
}

void tst_mainWindow::keysAndModifiers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<int>("month");
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0 << QDate(2004, 4, 15) << 4;
    QTest::newRow("Ctrl+Page Down")
        << int(Qt::Key_PageDown) << int(Qt::ControlModifier) << QDate(2005, 3, 15) << 3;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 0 << QDate(2004, 2, 15) << 2;
    QTest::newRow("Ctrl+Page Up") << int(Qt::Key_PageUp) << int(Qt::ControlModifier)
                                  << QDate(2003, 3, 15) << 3;
    QTest::newRow("Ctrl+Shift+Page Down does nothing")
        << int(Qt::Key_PageDown) << int(Qt::ControlModifier | Qt::ShiftModifier)
        << QDate(2004, 3, 15) << 3;
    QTest::newRow("Alt+Page Up does nothing")
        << int(Qt::Key_PageUp) << int(Qt::AltModifier) << QDate(2004, 3, 15) << 3;
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << QDate(2004, 3, 14) << 3;
    QTest::newRow("Up") << int(Qt::Key_Up) << 0 << QDate(2004, 3, 8) << 3;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << QDate(2004, 3, 22) << 3;
    QTest::newRow("Shift+Right does nothing")
        << int(Qt::Key_Right) << int(Qt::ShiftModifier) << QDate(2004, 3, 15) << 3;
}

void tst_mainWindow::keysAndModifiers() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QDate, selected);
    QFETCH(int, month);
    start();
    QTest::keyClick(w->monthView(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->monthView()->selectedDate(), selected);
    QCOMPARE(w->monthView()->loadedMonth(), month);
}

void tst_mainWindow::clicksOnNeighbouringDays() {
    start(QDate(2004, 3, 15));
    // The "29" in the first row is February's.
    QTest::mouseClick(w->monthView()->dayCell(0), Qt::LeftButton);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 2, 29));
    QCOMPARE(w->monthView()->loadedMonth(), 2);
    // February's grid ends with 13 March; a click on its schedule area shows March.
    QCOMPARE(w->monthView()->dayCell(41)->text(), QStringLiteral("13"));
    QTest::mouseClick(w->monthView()->scheduleCell(41), Qt::LeftButton);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 3, 13));
    QCOMPARE(w->monthView()->loadedMonth(), 3);
    // A day of the displayed month only moves the selection.
    QTest::mouseClick(w->monthView()->scheduleCell(10), Qt::LeftButton);
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 3, 10));
    QCOMPARE(w->monthView()->loadedMonth(), 3);
    QCOMPARE(info(), QStringLiteral("2004/03/10:"));
}

void tst_mainWindow::yearFormats_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("label");
    QTest::newRow("'yy") << 0 << QDate(2004, 6, 15) << "'04";
    QTest::newRow("yyyy") << 1 << QDate(2004, 6, 15) << "2004";
    QTest::newRow("initial") << 2 << QDate(2004, 6, 15) << "H.16";
    QTest::newRow("kanji") << 3 << QDate(2004, 6, 15) << "平 16";
    QTest::newRow("last days of Showa") << 4 << QDate(1989, 1, 7) << "昭和 64年";
    QTest::newRow("first day of Heisei") << 4 << QDate(1989, 1, 8) << "平成 1年";
    QTest::newRow("first day of Reiwa") << 4 << QDate(2019, 5, 1) << "令和 1年";
    QTest::newRow("unknown value keeps the label") << 9 << QDate(2019, 5, 1) << "";
}

void tst_mainWindow::yearFormats() {
    QFETCH(int, format);
    QFETCH(QDate, today);
    QFETCH(QString, label);
    env->settings().writeText(SettingKey::YearFormat, QString::number(format));
    start(today);
    QCOMPARE(w->monthView()->yearLabel()->text(), label);
}

void tst_mainWindow::weekAndMonthFormats() {
    env->settings().writeText(SettingKey::WeekFormat, QStringLiteral("3"));
    env->settings().writeText(SettingKey::MonthFormat, QStringLiteral("2"));
    start();
    QCOMPARE(w->monthView()->weekLabel(0)->text(), QStringLiteral("Sunday"));
    QCOMPARE(w->monthView()->weekLabel(3)->text(), QStringLiteral("Wednesday"));
    QCOMPARE(w->monthView()->monthLabel()->text(), QStringLiteral("March"));
    env->app().options().weekFormat = 1;
    env->app().options().monthFormat = 1;
    w->monthView()->redraw();
    QCOMPARE(w->monthView()->weekLabel(6)->text(), QStringLiteral("土曜日"));
    QCOMPARE(w->monthView()->monthLabel()->text(), QStringLiteral("Mar"));
}

void tst_mainWindow::menusAndHiddenEntries() {
    start();
    QStringList titles;
    for (QAction* a : w->menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "移動(&M)", "表示(&V)", "検索(&S)",
                                  "設定(&O)", "ﾍﾙﾌﾟ(&H)"}));
    QCOMPARE(w->findAction(QStringLiteral("mnuEditDiary"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_D));
    QCOMPARE(w->findAction(QStringLiteral("mnuDelDiary"))->shortcut(),
             QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    QCOMPARE(w->findAction(QStringLiteral("mnuDelSchedule"))->shortcut(),
             QKeySequence(Qt::Key_Delete));
    for (const char* hidden :
         {"mnuSaveAs", "mnuPageSetup", "mnuPrintPreview", "mnuPrint", "mnuSend", "mnuDelWhatDay"})
        QVERIFY(!w->findAction(QString::fromLatin1(hidden))->isVisible());
    QVERIFY(w->findAction(QStringLiteral("mnuToolBar"))->isChecked());
    QVERIFY(w->findAction(QStringLiteral("mnuStatusBar"))->isChecked());
    // The tray menu exists but is not part of the menu bar.
    QStringList tray;
    for (QAction* a : w->findMenu(QStringLiteral("mnuTaskTray"))->actions())
        tray << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(tray, (QStringList{"ﾒﾆｭｰのｷｬﾝｾﾙ(&E)", "-", "元のｻｲｽﾞに戻す(&R)", "-",
                                "ｱﾗｰﾑ登録(&A)...", "-", "統計情報(&S)...", "稼働時間(&W)...", "-",
                                "ｵﾌﾟｼｮﾝ(&O)...", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "-", "常駐の終了(&X)"}));
    QVERIFY(!titles.contains(QStringLiteral("ﾀｽｸﾄﾚｲﾒﾆｭｰ")));
    w->findAction(QStringLiteral("mnuCancel"))->trigger();
    QVERIFY(!w->hasEnded());
}

void tst_mainWindow::toolbarButtons() {
    start();
    QStringList tips;
    int separators = 0;
    for (QAction* a : w->findChild<QToolBar*>(QStringLiteral("tbToolBar"))->actions()) {
        if (a->isSeparator())
            ++separators;
        else
            tips << a->toolTip();
    }
    QCOMPARE(tips.size(), 17);
    QCOMPARE(separators, 8);
    QCOMPARE(tips.first(), QStringLiteral("Vaskelの終了"));
    QCOMPARE(tips.at(6), QStringLiteral("前月を表示"));
    QCOMPARE(tips.last(), QStringLiteral("ﾍﾙﾌﾟ"));
    for (QAction* a : w->findChild<QToolBar*>(QStringLiteral("tbToolBar"))->actions())
        QVERIFY(a->isSeparator() || !a->icon().isNull());
    w->findAction(QStringLiteral("次の月"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2004, 4, 15));
    w->findAction(QStringLiteral("前の年"))->trigger();
    QCOMPARE(w->monthView()->selectedDate(), QDate(2003, 4, 15));
    w->findAction(QStringLiteral("印刷"))->trigger();
    w->findAction(QStringLiteral("ﾍﾙﾌﾟ"))->trigger();
    QVERIFY(msgs->messages.empty());
    w->findAction(QStringLiteral("終了"))->trigger();
    QVERIFY(w->hasEnded());
}

void tst_mainWindow::helpEntriesShowTheirMessage() {
    start();
    QVERIFY(!w->findAction(QStringLiteral("mnuContents"))->isEnabled());
    QVERIFY(!w->findAction(QStringLiteral("mnuSearchHelp"))->isEnabled());
    // Were they ever enabled, both would say that there is no help file.
    for (const char* entry : {"mnuContents", "mnuSearchHelp"}) {
        w->findAction(QLatin1String(entry))->setEnabled(true);
        w->findAction(QLatin1String(entry))->trigger();
    }
    QCOMPARE(msgs->messages.size(), size_t(2));
    for (const MsgRecord& m : msgs->messages) {
        QCOMPARE(m.text, QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられた"
                                        "ﾍﾙﾌﾟが存在しません。"));
        QCOMPARE(m.icon, MsgIcon::Information);
    }
}

void tst_mainWindow::hidingBarsGrowsTheGrid() {
    start();
    w->resize(500, 600);
    w->show();
    QCoreApplication::processEvents();
    const int before = w->monthView()->height();
    const int rowTop = w->monthView()->dayCell(35)->y();
    const int statusHeight = w->statusBar()->height();
    w->findAction(QStringLiteral("mnuStatusBar"))->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!w->findAction(QStringLiteral("mnuStatusBar"))->isChecked());
    QVERIFY(!w->statusBar()->isVisible());
    QCOMPARE(w->monthView()->height(), before + statusHeight);
    QVERIFY(w->monthView()->dayCell(35)->y() > rowTop);
    const int top = w->monthView()->y();
    w->findAction(QStringLiteral("mnuToolBar"))->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!w->findChild<QToolBar*>(QStringLiteral("tbToolBar"))->isVisible());
    QVERIFY(w->monthView()->y() < top);
    QVERIFY(!w->findChild<QFrame*>(QStringLiteral("linUnderToolbar0"))->isVisible());
}

void tst_mainWindow::tinyWindowLaysOutWithoutFailing() {
    start();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    // A drawing area lower than the header: the rows fold up, every schedule label keeps one
    // pixel of height.
    w->resize(400, w->minimumSizeHint().height() + 30);
    QCoreApplication::processEvents();
    QCOMPARE(w->monthView()->height(), 30);
    for (int i = 0; i < kGridCells; ++i)
        QCOMPARE(w->monthView()->scheduleCell(i)->height(), 1);
    QVERIFY(w->monthView()->dayCell(35)->y() < w->monthView()->dayCell(7)->y());
    w->resize(701, 700);
    QCoreApplication::processEvents();
    QCOMPARE(w->monthView()->width(), 701);
    for (int c = 0; c < 7; ++c) {
        QCOMPARE(w->monthView()->dayCell(c)->x(), 100 * c);
        QCOMPARE(w->monthView()->scheduleCell(c)->width(), 101);
    }
}

void tst_mainWindow::failedLoadKeepsTheOldMonth() {
    start();
    const QString caption = w->monthView()->dayCell(21)->text();
    env->exec(QStringLiteral("DROP TABLE T_Diary"));
    msgs->clear();
    QTest::keyClick(w->monthView(), Qt::Key_PageDown);
    QCOMPARE(msgs->messages.size(), size_t(1));
    QVERIFY(msgs->messages.front().text.contains(QStringLiteral("T_Diary")));
    QCOMPARE(msgs->messages.front().title, QStringLiteral("Vaskel"));
    QCOMPARE(w->monthView()->dayCell(21)->text(), caption);
    QCOMPARE(env->openConnections(), 0);
}

void tst_mainWindow::failedReadShowsOneMonthAndReadsAgain_data() {
    QTest::addColumn<bool>("atStart"); // the first draw fails: nothing was shown before
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("key"); // 0: a reload
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QDate>("target");
    QTest::newRow("start-up") << true << QDate(2004, 3, 15) << 0 << 0 << QDate(2004, 3, 15);
    QTest::newRow("reload") << false << QDate(2004, 3, 15) << 0 << 0 << QDate(2004, 3, 15);
    QTest::newRow("Page Down") << false << QDate(2004, 3, 15) << int(Qt::Key_PageDown) << 0
                               << QDate(2004, 4, 15);
    QTest::newRow("Ctrl+Page Up") << false << QDate(2004, 3, 15) << int(Qt::Key_PageUp)
                                  << int(Qt::ControlModifier) << QDate(2003, 3, 15);
    QTest::newRow("Right into April")
        << false << QDate(2004, 3, 31) << int(Qt::Key_Right) << 0 << QDate(2004, 4, 1);
}

void tst_mainWindow::failedReadShowsOneMonthAndReadsAgain() {
    QFETCH(bool, atStart);
    QFETCH(QDate, today);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QDate, target);
    const auto act = [&] {
        if (key)
            QTest::keyClick(w->monthView(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        else
            w->monthView()->reload();
    };
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-16', 'M')"));
    const QString breaks = QStringLiteral("ALTER TABLE T_Diary RENAME TO T_Gone");
    if (atStart)
        env->exec(breaks);
    start(today);
    if (!atStart) {
        env->exec(breaks);
        act();
    }
    QCOMPARE(msgs->messages.size(), size_t(1));
    // One month throughout: March's header, days and selection; no month counts as loaded.
    QCOMPARE(w->monthView()->loadedYear(), 0);
    QCOMPARE(w->monthView()->loadedMonth(), 0);
    QCOMPARE(w->monthView()->monthLabel()->text(), QStringLiteral("3"));
    QCOMPARE(w->monthView()->dayCell(1)->text(), QStringLiteral(" 1"));
    QCOMPARE(w->monthView()->dayCell(0)->look(), (CellLook{true, kHolidayRed}));
    QCOMPARE(w->monthView()->selectedDate(), today);
    QCOMPARE(info(), today.toString(QStringLiteral("yyyy/MM/dd:")));
    QCOMPARE(w->monthView()->scheduleCell(16)->text(), atStart ? QString() : QStringLiteral("M"));

    // Once the database is whole again, a redraw reads March and the same step reads on.
    env->exec(QStringLiteral("ALTER TABLE T_Gone RENAME TO T_Diary"));
    env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-17', 'N')"));
    w->monthView()->redraw();
    QCOMPARE(w->monthView()->loadedMonth(), 3);
    QCOMPARE(w->monthView()->scheduleCell(17)->text(), QStringLiteral("N"));
    QCOMPARE(w->monthView()->dayCell(20)->text(), QStringLiteral("20［春分の日］"));
    act();
    QCOMPARE(w->monthView()->selectedDate(), target);
    QCOMPARE(w->monthView()->loadedMonth(), target.month());
    QCOMPARE(w->monthView()->monthLabel()->text(), QString::number(target.month()));
    QCOMPARE(msgs->messages.size(), size_t(1));
}

void tst_mainWindow::windowKeepsItsWidth_data() {
    QTest::addColumn<QStringList>("anniversaries");
    QTest::addColumn<bool>("longFormats"); // the widest formats and a long schedule
    QTest::addColumn<int>("savedWidth");   // pixels; 0: the design size
    QTest::addColumn<bool>("atStart");     // the day is today
    const QString longText = QStringLiteral("とても長い記念日の名前").repeated(5);
    QTest::newRow("敬老の日 and two anniversaries")
        << QStringList{"父の誕生日", "結婚記念日"} << false << 0 << false;
    QTest::newRow("long texts") << QStringList{longText, longText, longText} << false << 0 << false;
    QTest::newRow("long texts at start, saved narrow window")
        << QStringList{longText, longText} << false << 420 << true;
    QTest::newRow("long formats and schedule") << QStringList() << true << 0 << false;
}

void tst_mainWindow::windowKeepsItsWidth() {
    QFETCH(QStringList, anniversaries);
    QFETCH(bool, longFormats);
    QFETCH(int, savedWidth);
    QFETCH(bool, atStart);
    const QDate day(2004, 9, 20); // 敬老の日
    for (const QString& a : anniversaries)
        env->exec(QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (9, 20, ?)"),
                  {a});
    if (longFormats) {
        env->settings().writeText(SettingKey::YearFormat, QStringLiteral("4"));
        env->settings().writeText(SettingKey::MonthFormat, QStringLiteral("2"));
        env->settings().writeText(SettingKey::WeekFormat, QStringLiteral("3"));
        env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-09-20', ?)"),
                  {QStringLiteral("予定").repeated(100)});
    }
    if (savedWidth) {
        env->settings().writeText(SettingKey::WindowSave, QStringLiteral("1"));
        env->settings().writeText(SettingKey::WindowLeft, QStringLiteral("1500"));
        env->settings().writeText(SettingKey::WindowTop, QStringLiteral("750"));
        env->settings().writeText(SettingKey::WindowWidth, QString::number(savedWidth * 15));
        env->settings().writeText(SettingKey::WindowHeight, QStringLiteral("7500"));
    }
    start(atStart ? day : QDate(2004, 9, 1));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const int width = w->frameGeometry().width();
    if (savedWidth)
        QCOMPARE(width, savedWidth);
    if (!atStart)
        QTest::mouseClick(w->monthView()->scheduleCell(cellOf(day)), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(w->monthView()->selectedDate(), day);
    QCOMPARE(w->frameGeometry().width(), width);
    QVERIFY(w->minimumSizeHint().width() <= width);
    // The panel shows what fits; the whole text stays readable.
    QLabel* panel = w->statusPanel(QStringLiteral("Info"));
    const QString text = panel->text();
    QVERIFY(text.startsWith(QStringLiteral("2004/09/20:")));
    for (const QString& a : anniversaries)
        QVERIFY(text.contains(a));
    QCOMPARE(panel->toolTip(), text);
    QCOMPARE(panel->accessibleName(), text);
    QVERIFY(panel->geometry().right() < w->statusBar()->width());
}

void tst_mainWindow::monthLabelKeepsItsDescenders_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QDate>("today");
    QTest::newRow("September") << 2 << QDate(2004, 9, 15);
    QTest::newRow("May") << 2 << QDate(2004, 5, 15);
    QTest::newRow("July") << 2 << QDate(2004, 7, 15);
    QTest::newRow("Aug") << 1 << QDate(2004, 8, 15);
}

void tst_mainWindow::monthLabelKeepsItsDescenders() {
    QFETCH(int, format);
    QFETCH(QDate, today);
    env->settings().writeText(SettingKey::MonthFormat, QString::number(format));
    start(today);
    const QImage img = w->monthView()->monthLabel()->grab().toImage();
    int lastInk = -1;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) > 128 && qGray(p) < 128)
                lastInk = y;
        }
    }
    // The tails end inside the label, above its lower edge and the weekday header.
    QVERIFY(lastInk > 0);
    QVERIFY(lastInk < img.height() - 1);
    QVERIFY(w->monthView()->monthLabel()->y() + lastInk < w->monthView()->weekLabel(0)->y());
}

void tst_mainWindow::clockPanelsFollowThePresentTime() {
    start();
    QCOMPARE(w->statusPanel(QStringLiteral("Date"))->text(), QStringLiteral("2004/03/15"));
    QCOMPARE(w->statusPanel(QStringLiteral("Time"))->text(), QStringLiteral("09:00"));
    clock->set(QDateTime(QDate(2004, 3, 16), QTime(0, 1)));
    QTRY_COMPARE(w->statusPanel(QStringLiteral("Date"))->text(), QStringLiteral("2004/03/16"));
    QCOMPARE(w->statusPanel(QStringLiteral("Time"))->text(), QStringLiteral("00:01"));
}

void tst_mainWindow::toolbarTriggersTheMenusEntries_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("entry"); // empty: the button has no function
    const char* const rows[][2] = {
        {"終了", "mnuExit"},
        {"印刷", ""},
        {"切り取り", "mnuCut"},
        {"ｺﾋﾟｰ", "mnuCopy"},
        {"貼り付け", "mnuPaste"},
        {"前の年", "mnuLastYear"},
        {"前の月", "mnuLastMonth"},
        {"当月", "mnuToday"},
        {"次の月", "mnuNextMonth"},
        {"次の年", "mnuNextYear"},
        {"ｽｹｼﾞｭｰﾙ", "mnuEditSchedule"},
        {"日記", "mnuEditDiary"},
        {"WhatDay", "mnuEditWhatDay"},
        {"ｽｹｼﾞｭｰﾙの削除", "mnuDelSchedule"},
        {"検索", "mnuFind"},
        {"ｵﾌﾟｼｮﾝ", "mnuOptions"},
        {"ﾍﾙﾌﾟ", ""},
    };
    for (const auto& r : rows)
        QTest::newRow(r[0]) << QString::fromUtf8(r[0]) << QString::fromUtf8(r[1]);
}

void tst_mainWindow::toolbarTriggersTheMenusEntries() {
    QFETCH(QString, key);
    QFETCH(QString, entry);
    start();
    // Every menu entry only counts its triggers here, so that no window opens.
    QStringList fired;
    for (QAction* menu : w->menuBar()->actions()) {
        for (QAction* a : menu->menu()->actions()) {
            QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, [&fired, a] { fired << a->objectName(); });
        }
    }
    QAction* button = w->findAction(key);
    QVERIFY(button &&
            w->findChild<QToolBar*>(QStringLiteral("tbToolBar"))->actions().contains(button));
    button->trigger();
    QCOMPARE(fired, entry.isEmpty() ? QStringList() : QStringList{entry});
}

QTEST_MAIN(tst_mainWindow)
#include "tst_mainWindow.moc"

void tst_mainWindow::longCaptionsLookAsDrawnWhole_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("cut");
    const QString many = QStringLiteral("［記念日 123］").repeated(28);
    QTest::newRow("anniversaries") << QStringLiteral("14") + many << 100 << true;
    QTest::newRow("anniversaries, wide") << QStringLiteral("14") + many << 400 << true;
    QTest::newRow("latin") << QStringLiteral("14[Birthday of someone]").repeated(20) << 100 << true;
    QTest::newRow("combining marks")
        << QStringLiteral("14") + QStringLiteral("e\u0301\u0323").repeated(80) << 100 << true;
    QTest::newRow("zero-width characters first")
        << QStringLiteral("14") + QStringLiteral("\u200b\u2060\ufe0f").repeated(60) +
               QStringLiteral("見える文字")
        << 100 << false;
    QTest::newRow("emoji sequences")
        << QStringLiteral("14") + QStringLiteral("👨‍👩‍👧").repeated(30) << 100 << false;
    QTest::newRow("right to left")
        << QStringLiteral("14［") + QStringLiteral("שלום ").repeated(20) << 100 << false;
    QTest::newRow("short") << QStringLiteral("14［誕生日］") << 100 << false;
}

// A day label draws only the beginning of a long caption; the cell must look exactly as if the
// whole caption were drawn by a plain label, and the label's text stays whole.
void tst_mainWindow::longCaptionsLookAsDrawnWhole() {
    QFETCH(QString, caption);
    QFETCH(int, width);
    QFETCH(bool, cut);
    CellLabel cell(0, nullptr);
    QLabel plain;
    for (QLabel* l : {static_cast<QLabel*>(&cell), &plain}) {
        l->setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        l->setIndent(2);
        l->setContentsMargins(1, 1, 1, 1);
        l->setText(caption);
        l->resize(width, 18);
    }
    const qsizetype n = VisibleLength(caption, QFontMetricsF(cell.font()), width - 4);
    QCOMPARE(n < caption.size(), cut);
    QCOMPARE(cell.text(), caption);
    // The border is the cell's own; compare what lies inside it.
    const QRect inside = QRect(0, 0, width, 18).adjusted(1, 1, -1, -1);
    QCOMPARE(cell.grab().toImage().copy(inside), plain.grab().toImage().copy(inside));

    // The status bar's panel elides the same caption as if it had measured all of it, and
    // asks for the height a label of one line asks for.
    InfoPanel info(nullptr);
    info.setFont(cell.font());
    info.setInfo(caption);
    info.resize(width, 18);
    plain.setContentsMargins(0, 0, 0, 0);
    plain.setIndent(-1);
    plain.setText(plain.fontMetrics().elidedText(caption, Qt::ElideRight, width));
    // (A label aligns a right-to-left text to the right; the panel keeps it at the left.)
    if (!caption.isRightToLeft())
        QCOMPARE(info.grab().toImage(), plain.grab().toImage());
    QCOMPARE(info.text(), caption);
    plain.setText(QStringLiteral("2004/02/14:［誕生日］"));
    QCOMPARE(info.sizeHint().height(), plain.sizeHint().height());
}
