// The work-time viewer: the period it opens on, what its two charts show from the log, its
// navigation and keys, and its failures.

#include "TestSupport.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/ProgramWindows.h"
#include "settings/SettingsStore.h"
#include "worktime/PictureBox.h"
#include "worktime/WorkChart.h"
#include "worktime/WorkTimeWindow.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {
// Wednesday 15 September 2004; its week runs from the 12th to the 18th.
const QDateTime kNow(QDate(2004, 9, 15), QTime(10, 0, 0));

// A member of a control array, by its name and index ("picWeekly3").
template <class W>
W* Indexed(const QObject& w, const char* name, int i,
           std::source_location at = std::source_location::current()) {
    return Child<W>(w, QString::fromLatin1(name) + QString::number(i), at);
}
} // namespace

class tst_workTimeWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensOnTheCurrentWeekAndMonth_data();
    void opensOnTheCurrentWeekAndMonth();
    void weekChart();
    void monthChart();
    void navigation_data();
    void navigation();
    void keys_data();
    void keys();
    void failedQueryClosesItsConnectionAndCursor_data();
    void failedQueryClosesItsConnectionAndCursor();
    void unreachableDatabaseWaitsAndRecovers();
    void oneViewerAtATime();
    void modalOpeningTakesTheLoadedViewerOver();

private:
    void addRow(const char* s, const char* e) const {
        QVERIFY(env->exec(QStringLiteral("INSERT INTO T_WorkTime VALUES (?, ?)"),
                          {QString::fromLatin1(s), QString::fromLatin1(e)}));
    }
    QStringList weekTips(const WorkTimeWindow& w) const {
        QStringList out;
        for (int i = 0; i < 7; ++i)
            out << Indexed<PictureBox>(w, "picWeekly", i)->toolTip();
        return out;
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
};

void tst_workTimeWindow::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    clock = std::make_unique<ClockOverride>(env->program(), kNow);
}

void tst_workTimeWindow::cleanup() {
    QCOMPARE(env->openConnections(), 0);
    QVERIFY(!QApplication::overrideCursor());
    delete ProgramWindowOf<WorkTimeWindow>();
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_workTimeWindow::opensOnTheCurrentWeekAndMonth_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("yearFormat");
    QTest::addColumn<int>("monthFormat");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::newRow("Wednesday") << QDate(2004, 9, 15) << "2004/09/12"
                               << "2004/09/18" << 0 << 0 << "'04"
                               << "9";
    QTest::newRow("Sunday") << QDate(2004, 9, 12) << "2004/09/12"
                            << "2004/09/18" << 1 << 1 << "2004"
                            << "Sep";
    QTest::newRow("Saturday across the year") << QDate(2005, 1, 1) << "2004/12/26"
                                              << "2005/01/01" << 4 << 2 << "平成 17年"
                                              << "January";
    QTest::newRow("option outside the table keeps the label") << QDate(2004, 9, 15) << "2004/09/12"
                                                              << "2004/09/18" << 7 << 5 << ""
                                                              << "";
}

void tst_workTimeWindow::opensOnTheCurrentWeekAndMonth() {
    QFETCH(QDate, today);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, yearFormat);
    QFETCH(int, monthFormat);
    QFETCH(QString, year);
    QFETCH(QString, month);
    clock->set(QDateTime(today, QTime(8, 0)));
    env->app().options().yearFormat = yearFormat;
    env->app().options().monthFormat = monthFormat;
    WorkTimeWindow w(env->app());
    QTabWidget* tabs = Child<QTabWidget>(w, "tabWorkTime");
    QCOMPARE(w.windowTitle(), QStringLiteral("稼働時間"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("週間稼動率"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("月間稼働率"));
    QCOMPARE(Child<QLabel>(w, "lblStartDay")->text(), start);
    QCOMPARE(Child<QLabel>(w, "lblEndDay")->text(), end);
    QCOMPARE(w.shownYear(), today.year());
    QCOMPARE(w.shownMonth(), today.month());
    QCOMPARE(Child<QLabel>(w, "lblYear")->text(), year);
    QCOMPARE(Child<QLabel>(w, "lblMonth")->text(), month);
}

void tst_workTimeWindow::weekChart() {
    addRow("2004-09-12 09:00:00", "2004-09-12 12:00:00");
    addRow("2004-09-12 13:00:00", "2004-09-12 18:00:00");
    addRow("2004-09-13 23:30:00", "2004-09-14 01:15:00");
    addRow("2004-09-17 22:00:00", "2004-09-20 02:00:00"); // into the next week
    addRow("2004-09-05 09:00:00", "2004-09-11 23:59:59"); // the week before
    WorkTimeWindow w(env->app());
    w.show();
    QVERIFY(msgs->messages.empty());
    QStringList days;
    for (int i = 0; i < 7; ++i)
        days << Indexed<QLabel>(w, "lblDay", i)->text();
    QCOMPARE(days, (QStringList{"12日", "13日", "14日", "15日", "16日", "17日", "18日"}));
    QCOMPARE(weekTips(w), (QStringList{"09:00～12:00, 13:00～18:00", "23:30～23:59", "00:00～01:15",
                                       "", "", "22:00～23:59", "00:00～23:59"}));
    QStringList totals;
    for (int i = 0; i < 7; ++i)
        totals << Indexed<QPlainTextEdit>(w, "txtWorkTime", i)->toPlainText();
    QCOMPARE(totals, (QStringList{"8時間\n2分", "------\n30分", "1時間\n16分", "------\n----",
                                  "------\n----", "2時間\n0分", "24時間\n0分"}));
    // (482 + 30 + 76 + 120 + 1440) / 7 = 306.9
    QCOMPARE(Child<QLabel>(w, "lblAverage")->text(), QStringLiteral("平均稼働時間　05時間 07分"));
    // Bars in chart units, 3 to a minute, wider than the column.
    const std::vector<PictureBox::Box>& monday = Indexed<PictureBox>(w, "picWeekly", 1)->boxes();
    QCOMPARE(monday.size(), size_t(1));
    QCOMPARE((QList<int>{monday[0].x1, monday[0].y1, monday[0].x2, monday[0].y2}),
             (QList<int>{0, 3 * 1410, 825, 4317}));
    QCOMPARE(monday[0].color, QColor(0x80, 0x80, 0xFF));
    QCOMPARE(Indexed<PictureBox>(w, "picWeekly", 0)->boxes().size(), size_t(2));
    QVERIFY(Indexed<PictureBox>(w, "picWeekly", 3)->boxes().empty());

    // The next week shows the rest of the long period.
    Indexed<QToolButton>(w, "cmdAfterWeek", 0)->click();
    QCOMPARE(weekTips(w), (QStringList{"00:00～23:59", "00:00～02:00", "", "", "", "", ""}));
    QCOMPARE(Indexed<QPlainTextEdit>(w, "txtWorkTime", 1)->toPlainText(),
             QStringLiteral("2時間\n1分"));
    QCOMPARE(Indexed<QLabel>(w, "lblDay", 0)->text(), QStringLiteral("19日"));
}

void tst_workTimeWindow::monthChart() {
    addRow("2004-08-31 23:00:00", "2004-09-01 02:00:00");
    addRow("2004-09-06 09:00:00", "2004-09-06 09:43:30");
    addRow("2004-09-20 10:00:00", "2004-09-20 11:29:00");
    addRow("2004-09-30 23:00:00", "2004-10-01 05:00:00");
    WorkTimeWindow w(env->app());
    w.show();
    Child<QTabWidget>(w, "tabWorkTime")->setCurrentIndex(1);
    QVERIFY(msgs->messages.empty());
    // September 2004 begins on a Wednesday: cell 3 is the 1st.
    QCOMPARE(Indexed<QLabel>(w, "lblDispDay", 0)->text(), QStringLiteral("29"));
    QCOMPARE(Indexed<QLabel>(w, "lblDispDay", 3)->text(), QStringLiteral("1"));
    QCOMPARE(Indexed<QLabel>(w, "lblDispDay", 41)->text(), QStringLiteral("9"));
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 3)->toolTip(), QStringLiteral("2時間1分"));
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 8)->toolTip(), QStringLiteral("44分"));
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 22)->toolTip(), QStringLiteral("1時間30分"));
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 32)->toolTip(), QStringLiteral("1時間0分"));
    // 1 October is not this month's.
    QVERIFY(Indexed<PictureBox>(w, "picDay", 33)->toolTip().isEmpty());
    QVERIFY(Indexed<PictureBox>(w, "picDay", 33)->boxes().empty());
    const std::vector<PictureBox::Box>& bar = Indexed<PictureBox>(w, "picDay", 3)->boxes();
    QCOMPARE(bar.size(), size_t(1));
    QCOMPARE((QList<int>{bar[0].x1, bar[0].y1, bar[0].x2, bar[0].y2}),
             (QList<int>{0, 720 - 60, 720, 720})); // 121 minutes: 60.5 units high
    QCOMPARE(bar[0].color, QColor(0x80, 0x00, 0x80));
    // Colours: grey neighbours, Sundays, Saturdays, the default holidays of September.
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 0)->BackColor(), kOtherMonthGrey);
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 7)->BackColor(), kHolidayRed);
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 13)->BackColor(), kSaturdayBlue);
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 9)->BackColor(), kWhite);
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 22)->BackColor(), kHolidayRed); // 20th: third Monday
    QCOMPARE(Indexed<PictureBox>(w, "picDay", 25)->BackColor(), kHolidayRed); // 23rd
    // (121 + 44 + 90 + 60) / 30 = 10.5: halves go to the even neighbour.
    QCOMPARE(Child<QLabel>(w, "lblAverage")->text(), QStringLiteral("平均稼働時間　00時間 10分"));
}

void tst_workTimeWindow::navigation_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("button"); // b(efore), a(fter), t(his), repeated
    QTest::addColumn<QString>("week");
    QTest::addColumn<QString>("month"); // yyyy/m and the labels
    QTest::newRow("next week") << QDate(2004, 9, 15) << 0 << "a"
                               << "2004/09/19-2004/09/25"
                               << "2004/9 2004 9";
    QTest::newRow("week back over the year") << QDate(2005, 1, 5) << 0 << "b"
                                             << "2004/12/26-2005/01/01"
                                             << "2005/1 2005 1";
    QTest::newRow("December to January") << QDate(2004, 12, 15) << 1 << "a"
                                         << "2004/12/12-2004/12/18"
                                         << "2005/1 2005 1";
    QTest::newRow("January to December") << QDate(2005, 1, 15) << 1 << "b"
                                         << "2005/01/09-2005/01/15"
                                         << "2004/12 2004 12";
    QTest::newRow("this week after moving away") << QDate(2004, 9, 15) << 0 << "bbbt"
                                                 << "2004/09/12-2004/09/18"
                                                 << "2004/9 2004 9";
    QTest::newRow("this month after moving away") << QDate(2004, 9, 15) << 1 << "aaat"
                                                  << "2004/09/12-2004/09/18"
                                                  << "2004/9 2004 9";
}

void tst_workTimeWindow::navigation() {
    QFETCH(QDate, today);
    QFETCH(int, tab);
    QFETCH(QString, button);
    QFETCH(QString, week);
    QFETCH(QString, month);
    clock->set(QDateTime(today, QTime(8, 0)));
    env->app().options().yearFormat = 1;  // "yyyy"
    env->app().options().monthFormat = 0; // "m"
    WorkTimeWindow w(env->app());
    w.show();
    Child<QTabWidget>(w, "tabWorkTime")->setCurrentIndex(tab);
    for (QChar c : button) {
        QToolButton* b = c == QLatin1Char('a')   ? Indexed<QToolButton>(w, "cmdAfterWeek", tab)
                         : c == QLatin1Char('b') ? Indexed<QToolButton>(w, "cmdBeforeWeek", tab)
                                                 : Indexed<QToolButton>(w, "cmdThisWeek", tab);
        b->click();
    }
    QCOMPARE(Child<QLabel>(w, "lblStartDay")->text() + QLatin1Char('-') +
                 Child<QLabel>(w, "lblEndDay")->text(),
             week);
    QCOMPARE(QStringLiteral("%1/%2 %3 %4")
                 .arg(w.shownYear())
                 .arg(w.shownMonth())
                 .arg(Child<QLabel>(w, "lblYear")->text(), Child<QLabel>(w, "lblMonth")->text()),
             month);
    QVERIFY(msgs->messages.empty());
}

void tst_workTimeWindow::keys_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("tabAfter");
    QTest::addColumn<QString>("week");
    QTest::addColumn<int>("month");
    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::newRow("Ctrl+PgDn on tab 1")
        << 1 << int(Qt::Key_PageDown) << ctrl << 0 << "2004/09/12" << 9;
    QTest::newRow("Ctrl+PgUp on tab 0")
        << 0 << int(Qt::Key_PageUp) << ctrl << 1 << "2004/09/12" << 9;
    QTest::newRow("Ctrl+PgDn on tab 0")
        << 0 << int(Qt::Key_PageDown) << ctrl << 1 << "2004/09/12" << 9;
    QTest::newRow("Ctrl+Shift+PgDn moves the week")
        << 0 << int(Qt::Key_PageDown) << ctrlShift << 0 << "2004/09/19" << 9;
    QTest::newRow("PgUp moves the week") << 0 << int(Qt::Key_PageUp) << 0 << 0 << "2004/09/05" << 9;
    QTest::newRow("Shift+PgUp moves the month")
        << 1 << int(Qt::Key_PageUp) << int(Qt::ShiftModifier) << 1 << "2004/09/12" << 8;
    QTest::newRow("Alt+PgDn moves the month")
        << 1 << int(Qt::Key_PageDown) << int(Qt::AltModifier) << 1 << "2004/09/12" << 10;
}

void tst_workTimeWindow::keys() {
    QFETCH(int, tab);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, tabAfter);
    QFETCH(QString, week);
    QFETCH(int, month);
    WorkTimeWindow w(env->app());
    QTabWidget* tabs = Child<QTabWidget>(w, "tabWorkTime");
    w.show();
    tabs->setCurrentIndex(tab);
    // The window sees the key whichever control has the focus.
    tabs->tabBar()->setFocus();
    QTest::keyClick(tabs->tabBar(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(tabs->currentIndex(), tabAfter);
    QCOMPARE(Child<QLabel>(w, "lblStartDay")->text(), week);
    QCOMPARE(w.shownMonth(), month);
}

void tst_workTimeWindow::failedQueryClosesItsConnectionAndCursor_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("drop");
    QTest::newRow("week, no log") << 0 << "T_WorkTime";
    QTest::newRow("month, no log") << 1 << "T_WorkTime";
    QTest::newRow("month, no holiday rules") << 1 << "T_Holiday";
}

void tst_workTimeWindow::failedQueryClosesItsConnectionAndCursor() {
    QFETCH(int, tab);
    QFETCH(QString, drop);
    QVERIFY(env->exec(QStringLiteral("DROP TABLE ") + drop));
    WorkTimeWindow w(env->app());
    Child<QTabWidget>(w, "tabWorkTime")->setCurrentIndex(tab);
    QVERIFY(tab == 0 ? !w.DrawWeekChart() : !w.DrawMonthChart());
    // Silent, and nothing left open: the next operation starts afresh.
    QVERIFY(msgs->messages.empty());
    QCOMPARE(env->openConnections(), 0);
    w.redraw();
    QCOMPARE(env->openConnections(), 0);
    QVERIFY(!QApplication::overrideCursor());
}

void tst_workTimeWindow::unreachableDatabaseWaitsAndRecovers() {
    addRow("2004-09-15 08:00:00", "2004-09-15 09:59:00");
    WorkTimeWindow w(env->app());
    QFile::rename(env->dbPath(), env->dbPath() + QStringLiteral(".away"));
    // The wait cursor is up while the drawing runs, also when its message shows.
    QList<Qt::CursorShape> cursors;
    SetMsgBoxHook([&cursors](const MsgRecord&) {
        const QCursor* c = QApplication::overrideCursor();
        cursors << (c ? c->shape() : Qt::ArrowCursor);
        return MsgResult::OK;
    });
    w.redraw();
    SetMsgBoxHook({});
    QCOMPARE(cursors, QList<Qt::CursorShape>{Qt::WaitCursor});
    QVERIFY(!QApplication::overrideCursor());
    // The day labels were set before the failure; no bar.
    QCOMPARE(Indexed<QLabel>(w, "lblDay", 3)->text(), QStringLiteral("15日"));
    QVERIFY(Indexed<PictureBox>(w, "picWeekly", 3)->boxes().empty());

    QFile::rename(env->dbPath() + QStringLiteral(".away"), env->dbPath());
    w.redraw();
    QCOMPARE(Indexed<PictureBox>(w, "picWeekly", 3)->toolTip(), QStringLiteral("08:00～09:59"));
}

void tst_workTimeWindow::oneViewerAtATime() {
    WorkTimeWindow* first = OpenWorkTime(env->app(), nullptr, false);
    QVERIFY(first && first->isVisible());
    Indexed<QToolButton>(*first, "cmdAfterWeek", 0)->click();
    QCOMPARE(OpenWorkTime(env->app(), nullptr, false), first);
    // Reusing the loaded viewer keeps its week.
    QCOMPARE(Child<QLabel>(*first, "lblStartDay")->text(), QStringLiteral("2004/09/19"));
    // Esc closes it; the next opening starts afresh.
    QTest::keyClick(first, Qt::Key_Escape);
    QVERIFY(!first->isVisible());
    delete first;
    WorkTimeWindow* second = OpenWorkTime(env->app(), nullptr, false);
    QCOMPARE(Child<QLabel>(*second, "lblStartDay")->text(), QStringLiteral("2004/09/12"));
}

void tst_workTimeWindow::modalOpeningTakesTheLoadedViewerOver() {
    addRow("2004-08-03 09:00:00", "2004-08-03 09:59:00"); // a Tuesday; 1 August is a Sunday
    QWidget owner;
    owner.show();
    WorkTimeWindow* before = OpenWorkTime(env->app(), nullptr, false);
    // Behind a modal owner a modeless viewer could not be used: the same viewer turns modal,
    // owned by it, on the week asked for, and drawn.
    QString seen;
    QTimer::singleShot(0, this, [&] {
        WorkTimeWindow* v = ProgramWindowOf<WorkTimeWindow>();
        seen = QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(v == before)
                   .arg(v->isModal())
                   .arg(v->parentWidget() == &owner)
                   .arg(Child<QLabel>(*v, "lblStartDay")->text(),
                        Indexed<PictureBox>(*v, "picWeekly", 2)->toolTip());
        v->close();
    });
    Child<QTabWidget>(*before, "tabWorkTime")->setCurrentIndex(1);
    QVERIFY(
        !OpenWorkTimeOn(env->app(), &owner, true, WorkTimeWindow::View::Week, QDate(2004, 8, 3)));
    QCOMPARE(seen, QStringLiteral("1 1 1 2004/08/01 09:00～09:59"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(tst_workTimeWindow)
#include "tst_workTimeWindow.moc"
