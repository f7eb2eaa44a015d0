// The statistics window: the tabs computed on every selection, the running-time ranking's
// colours and highlight, the rows that open the work-time viewer, closing, and failures.

#include "TestSupport.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/ProgramWindows.h"
#include "settings/SettingsStore.h"
#include "statistics/StatisticsWindow.h"
#include "worktime/WorkTimeWindow.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {
// A member of a control array, by its name and index ("lblRankWork3").
QLabel* Indexed(const QObject& w, const char* name, int i,
                std::source_location at = std::source_location::current()) {
    return Child<QLabel>(w, QString::fromLatin1(name) + QString::number(i), at);
}

QColor TextColor(const QLabel* l) {
    return l->palette().color(QPalette::WindowText);
}
} // namespace

class tst_statisticsWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tabsAreComputedOnEverySelection();
    void workTimeRanking();
    void rankingRowOpensTheViewer_data();
    void rankingRowOpensTheViewer();
    void modalWindowShowsTheViewerModally();
    void oneWindowClosedByEscAndOK();
    void failedQueryIsReported();

private:
    // Wednesday 15th 8:30 (today), Sunday 12th 4:00, Saturday 11th 2:00, Monday 13th 1:00,
    // Tuesday 31 August 0:30.
    void addPeriods() const {
        for (const char* p :
             {"2004-09-15 09:00:00|2004-09-15 17:29:00", "2004-09-12 10:00:00|2004-09-12 13:59:00",
              "2004-09-11 10:00:00|2004-09-11 11:59:00", "2004-09-13 10:00:00|2004-09-13 10:59:00",
              "2004-08-31 10:00:00|2004-08-31 10:29:00"}) {
            const QString s = QString::fromLatin1(p);
            QVERIFY(env->exec(QStringLiteral("INSERT INTO T_WorkTime VALUES (?, ?)"),
                              {s.left(19), s.mid(20)}));
        }
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
    std::unique_ptr<ClockOverride> clock;
};

void tst_statisticsWindow::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
    clock = std::make_unique<ClockOverride>(env->program(),
                                            QDateTime(QDate(2004, 9, 15), QTime(18, 0)));
}

void tst_statisticsWindow::cleanup() {
    delete ProgramWindowOf<WorkTimeWindow>();
    delete OpenWindowOf<StatisticsWindow>(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(env->openConnections(), 0);
    QVERIFY(!QApplication::overrideCursor());
    clock.reset();
    msgs.reset();
    env.reset();
}

void tst_statisticsWindow::tabsAreComputedOnEverySelection() {
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-08-10', 'S')")));
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Diary VALUES ('2004-01-10', 'D')")));
    StatisticsWindow w(env->app());
    QTabWidget* tabs = Child<QTabWidget>(w, "tabStatistics");
    QCOMPARE(w.windowTitle(), QStringLiteral("統計情報"));
    QCOMPARE(Child<QGroupBox>(w, "fraYobiWork")->title() +
                 Child<QGroupBox>(w, "fraBestDiary")->title(),
             QStringLiteral("曜日別稼動率Best 10"));
    QCOMPARE(Indexed(w, "lblYobi", 0)->text() + Indexed(w, "lblRankWork", 9)->text(),
             QStringLiteral("日曜日10"));

    // Opening computes the schedule tab only.
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(Child<QLabel>(w, "lblAverage")->text(), QStringLiteral("100.0 %"));
    QCOMPARE(Child<QPlainTextEdit>(w, "txtBetweenInfo")->toPlainText(),
             QStringLiteral("一番過去 （2004/08/10） のスケジュールから\n"
                            "一番未来 （2004/08/10） のスケジュールの間で算出しています。"));
    QCOMPARE(Indexed(w, "lblYobiCnt", 2)->text() + Indexed(w, "lblYobiAverage", 2)->text(),
             QStringLiteral("1 回100.0 %"));
    QCOMPARE(Indexed(w, "lblBestYM", 0)->text() + Indexed(w, "lblBestCnt", 0)->text() +
                 Indexed(w, "lblBestAverage", 0)->text(),
             QStringLiteral("2004年08月1 回3.2 %"));
    tabs->setCurrentIndex(1);
    QCOMPARE(Indexed(w, "lblBestYMDiary", 0)->text(), QStringLiteral("2004年01月"));

    // Back on the schedule tab it is read again, and so on a click on the tab shown.
    QVERIFY(env->exec(QStringLiteral("DELETE FROM T_Schedule")));
    tabs->setCurrentIndex(0);
    QCOMPARE(Child<QPlainTextEdit>(w, "txtBetweenInfo")->toPlainText(),
             QStringLiteral("統計対象となるスケジュールが一件も登録されていません。"));
    QCOMPARE(Indexed(w, "lblYobiCnt", 2)->text() + Indexed(w, "lblBestYM", 0)->text(),
             QStringLiteral("0 回----年--月"));
    QVERIFY(env->exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-08-12', 'S')")));
    w.show();
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    QCOMPARE(Indexed(w, "lblYobiCnt", 4)->text() + Indexed(w, "lblBestYM", 0)->text(),
             QStringLiteral("1 回2004年08月"));
    QVERIFY(msgs->messages.empty());
}

void tst_statisticsWindow::workTimeRanking() {
    env->app().options().todayColor = ColorFromBgr(0x00FF00);
    addPeriods();
    StatisticsWindow w(env->app());
    QTabWidget* tabs = Child<QTabWidget>(w, "tabStatistics");
    tabs->setCurrentIndex(2);
    QCOMPARE(Indexed(w, "lblBestYMDWork", 1)->text() + Indexed(w, "lblBestWorkTime", 1)->text() +
                 Indexed(w, "lblBestAverageWork", 1)->text(),
             QStringLiteral("2004年09月12日（日）4時間00分16.7 %"));
    // Sunday red, Saturday blue, other days black; today's rank on the today colour, framed.
    QCOMPARE(TextColor(Indexed(w, "lblBestYMDWork", 1)), QColor(255, 0, 0));
    QCOMPARE(TextColor(Indexed(w, "lblBestYMDWork", 2)), QColor(0, 0, 255));
    QCOMPARE(TextColor(Indexed(w, "lblBestYMDWork", 3)), QColor(0, 0, 0));
    QVERIFY(Indexed(w, "lblRankWork", 0)->autoFillBackground());
    QCOMPARE(Indexed(w, "lblRankWork", 0)->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(Indexed(w, "lblRankWork", 0)->frameShape(), QFrame::Box);
    QCOMPARE(Indexed(w, "lblRankWork", 1)->frameShape(), QFrame::NoFrame);

    // The next day, with fewer days: rows left empty get their reset look back.
    QVERIFY(env->exec(QStringLiteral("DELETE FROM T_WorkTime WHERE StartTime < '2004-09-13'")));
    clock->set(QDateTime(QDate(2004, 9, 16), QTime(8, 0)));
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(2);
    QVERIFY(!Indexed(w, "lblRankWork", 0)->autoFillBackground());
    QCOMPARE(Indexed(w, "lblRankWork", 0)->frameShape(), QFrame::NoFrame);
    QCOMPARE(Indexed(w, "lblBestYMDWork", 2)->text() + Indexed(w, "lblBestAverageWork", 2)->text(),
             QStringLiteral("----年--月--日（－）---.- %"));
    QCOMPARE(TextColor(Indexed(w, "lblBestYMDWork", 2)),
             TextColor(Indexed(w, "lblBestWorkTime", 2)));
}

void tst_statisticsWindow::rankingRowOpensTheViewer_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("label"); // 0 rank, 1 day, 2 running time, 3 rate
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("shown"); // tab 0: the week; tab 1: the month and its labels
    QTest::newRow("double-click the rank 3") << 2 << 0 << "double"
                                             << "0 2004/09/05-2004/09/11";
    QTest::newRow("a Sunday opens its own week") << 1 << 1 << "double"
                                                 << "0 2004/09/12-2004/09/18";
    QTest::newRow("right-click, week") << 3 << 3 << "week"
                                       << "0 2004/09/12-2004/09/18";
    QTest::newRow("right-click the time, month") << 0 << 2 << "month"
                                                 << "1 2004/9 平成 16年 September";
    QTest::newRow("month before") << 4 << 1 << "month"
                                  << "1 2004/8 平成 16年 August";
    QTest::newRow("empty row, double-click") << 5 << 0 << "double"
                                             << "";
    QTest::newRow("empty row, right-click") << 6 << 2 << "week"
                                            << "";
}

void tst_statisticsWindow::rankingRowOpensTheViewer() {
    QFETCH(int, row);
    QFETCH(int, label);
    QFETCH(QString, gesture);
    QFETCH(QString, shown);
    env->app().options().yearFormat = 4;  // "ggg e年"
    env->app().options().monthFormat = 2; // "mmmm"
    addPeriods();
    StatisticsWindow w(env->app());
    w.show();
    Child<QTabWidget>(w, "tabStatistics")->setCurrentIndex(2);
    QLabel* target = std::array<QLabel*, 4>{
        Indexed(w, "lblRankWork", row), Indexed(w, "lblBestYMDWork", row),
        Indexed(w, "lblBestWorkTime", row), Indexed(w, "lblBestAverageWork", row)}[size_t(label)];
    if (gesture == QLatin1String("double")) {
        QTest::mouseDClick(target, Qt::LeftButton);
    } else {
        QMenu* menu = Child<QMenu>(w, "mnuBest10Right");
        QAction* week = Child<QAction>(w, "mnuWorkTimeWeek");
        QAction* month = Child<QAction>(w, "mnuWrokTimeMonth");
        QTest::mousePress(target, Qt::RightButton);
        QCoreApplication::processEvents();
        if (shown.isEmpty()) {
            QVERIFY(!menu->isVisible());
            return;
        }
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->defaultAction(), week);
        QVERIFY(week->font().bold());
        menu->hide();
        (gesture == QLatin1String("week") ? week : month)->trigger();
    }
    WorkTimeWindow* v = ProgramWindowOf<WorkTimeWindow>();
    if (shown.isEmpty()) {
        QVERIFY(!v);
        return;
    }
    QCOMPARE(w.pickedRow(), row);
    // Modeless beside a modeless statistics window, and owned by it; drawn on its period.
    QVERIFY(v && v->isVisible() && !v->isModal());
    QCOMPARE(v->parentWidget(), &w);
    QCOMPARE(
        Child<QTabWidget>(*v, "tabWorkTime")->currentIndex() == 0
            ? QStringLiteral("0 %1-%2").arg(Child<QLabel>(*v, "lblStartDay")->text(),
                                            Child<QLabel>(*v, "lblEndDay")->text())
            : QStringLiteral("1 %1/%2 %3 %4")
                  .arg(v->shownYear())
                  .arg(v->shownMonth())
                  .arg(Child<QLabel>(*v, "lblYear")->text(), Child<QLabel>(*v, "lblMonth")->text()),
        shown);
    QVERIFY(Child<QLabel>(*v, "lblAverage")->text() != QStringLiteral("平均稼働時間　99時間 99分"));
    QVERIFY(msgs->messages.empty());
}

void tst_statisticsWindow::modalWindowShowsTheViewerModally() {
    addPeriods();
    bool sawViewer = false;
    QTimer::singleShot(0, this, [&] {
        StatisticsWindow* w = OpenWindowOf<StatisticsWindow>(nullptr);
        QVERIFY(w && w->isModal());
        Child<QTabWidget>(*w, "tabStatistics")->setCurrentIndex(2);
        QTimer::singleShot(0, this, [&, w] {
            WorkTimeWindow* v = ProgramWindowOf<WorkTimeWindow>();
            sawViewer = v && v->isModal() && v->parentWidget() == w &&
                        Child<QLabel>(*v, "lblStartDay")->text() == QStringLiteral("2004/09/12");
            Child<QPushButton>(*v, "cmdOK")->click();
        });
        QTest::mouseDClick(Indexed(*w, "lblBestYMDWork", 1), Qt::LeftButton);
        Child<QPushButton>(*w, "OKButton")->click();
    });
    OpenStatistics(env->app(), nullptr, true);
    QVERIFY(sawViewer);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!OpenWindowOf<StatisticsWindow>(nullptr));
}

void tst_statisticsWindow::oneWindowClosedByEscAndOK() {
    OpenStatistics(env->app(), nullptr, false);
    StatisticsWindow* first = OpenWindowOf<StatisticsWindow>(nullptr);
    QVERIFY(first && first->isVisible() && !first->isModal());
    QTabWidget* tabs = Child<QTabWidget>(*first, "tabStatistics");
    tabs->setCurrentIndex(1);
    // A second command brings the open window forward as it is.
    OpenStatistics(env->app(), nullptr, false);
    QCOMPARE(OpenWindowOf<StatisticsWindow>(nullptr), first);
    QCOMPARE(tabs->currentIndex(), 1);
    // Esc closes it wherever the focus is; the next opening starts on the schedule tab.
    QTest::keyClick(Child<QLabel>(*first, "lblAverageDiary"), Qt::Key_Escape);
    QVERIFY(!first->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    OpenStatistics(env->app(), nullptr, false);
    QCOMPARE(Child<QTabWidget>(*OpenWindowOf<StatisticsWindow>(nullptr), "tabStatistics")
                 ->currentIndex(),
             0);
    Child<QPushButton>(*OpenWindowOf<StatisticsWindow>(nullptr), "OKButton")->click();
    QVERIFY(!OpenWindowOf<StatisticsWindow>(nullptr)->isVisible());
}

void tst_statisticsWindow::failedQueryIsReported() {
    addPeriods();
    StatisticsWindow w(env->app());
    QTabWidget* tabs = Child<QTabWidget>(w, "tabStatistics");
    tabs->setCurrentIndex(2);
    QVERIFY(env->exec(QStringLiteral("DROP TABLE T_WorkTime")));
    QList<bool> busy;
    SetMsgBoxHook([&busy, this](const MsgRecord& r) {
        busy << (QApplication::overrideCursor() || env->openConnections() != 0);
        msgs->messages.push_back(r);
        return MsgResult::OK;
    });
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(2);
    SetMsgBoxHook({});
    // Closed and the normal pointer back before the message; nothing stale is left shown.
    QCOMPARE(busy, QList<bool>{false});
    const MsgRecord& m = msgs->messages.front();
    QCOMPARE(m.text + QLatin1Char('|') + m.title,
             QStringLiteral("no such table: T_WorkTime|統計情報"));
    QCOMPARE(int(m.icon), int(MsgIcon::Critical));
    QCOMPARE(Indexed(w, "lblBestWorkTime", 0)->text() + Child<QLabel>(w, "lblAverageWork")->text(),
             QStringLiteral("--時間--分---.- %"));
    QVERIFY(!Indexed(w, "lblRankWork", 0)->autoFillBackground());
}

QTEST_MAIN(tst_statisticsWindow)
#include "tst_statisticsWindow.moc"
