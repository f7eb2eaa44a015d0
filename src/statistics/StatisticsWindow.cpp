#include "statistics/StatisticsWindow.h"

#include "core/Colors.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "settings/AppContext.h"
#include "statistics/Statistics.h"
#include "worktime/WorkTimeWindow.h"

#include <QAction>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const kBestRow = "bestRow";
const char16_t* const kWidestRate = u"100.0 %";
const char16_t* const kWeekdays[7] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                      u"木曜日", u"金曜日", u"土曜日"};

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text,
                  Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    l->setAlignment(align);
    return l;
}

QString Indexed(const char* name, int i) {
    return QString::fromLatin1(name) + QString::number(i);
}

QColor WeekdayCaptionColor(int i) {
    if (i == 0)
        return kHolidayRed.darker(140);
    if (i == 6)
        return kSaturdayBlue.darker(140);
    return QColor(Qt::black);
}

void SetTextColor(QLabel* l, const QColor& c) {
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
}

// The names and fixed texts of one tab.
struct TabNames {
    const char* weekdayFrame;
    const char* bestFrame;
    const char* average;
    const char* betweenInfo;
    const char* between;
    const char* weekday;
    const char* weekdayValue;
    const char* weekdayAverage;
    const char* rank;
    const char* best;
    const char* bestValue;
    const char* bestAverage;
    const char16_t* averageCaption;
    const char16_t* weekdayCaption;
    const char16_t* weekdayValueReset;
    const char16_t* bestReset;
    const char16_t* bestValueReset;
    // The widest texts of the value columns, so that the window keeps its size whatever
    // they show.
    const char16_t* weekdayValueWidest;
    const char16_t* bestWidest;
    const char16_t* bestValueWidest;
};

void ReserveWidth(QLabel* l, const char16_t* widest) {
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QString::fromUtf16(widest)) + 4);
}

// The rate of each weekday.
void BuildWeekdayFrame(QWidget* page, StatisticsWindow::Tab& c, const TabNames& n) {
    c.weekdayFrame = new QGroupBox(QString::fromUtf16(n.weekdayCaption), page);
    c.weekdayFrame->setObjectName(QString::fromLatin1(n.weekdayFrame));
    auto* grid = new QGridLayout(c.weekdayFrame);
    grid->setHorizontalSpacing(14);
    for (int i = 0; i < 7; ++i) {
        c.weekday[size_t(i)] = MakeLabel(c.weekdayFrame, Indexed(n.weekday, i),
                                         QString::fromUtf16(kWeekdays[i]), Qt::AlignCenter);
        SetTextColor(c.weekday[size_t(i)], WeekdayCaptionColor(i));
        c.weekdayValue[size_t(i)] = MakeLabel(c.weekdayFrame, Indexed(n.weekdayValue, i),
                                              QString::fromUtf16(n.weekdayValueReset));
        c.weekdayAverage[size_t(i)] =
            MakeLabel(c.weekdayFrame, Indexed(n.weekdayAverage, i), QString::fromUtf16(kNoRate));
        ReserveWidth(c.weekdayValue[size_t(i)], n.weekdayValueWidest);
        ReserveWidth(c.weekdayAverage[size_t(i)], kWidestRate);
        grid->addWidget(c.weekday[size_t(i)], i, 0);
        grid->addWidget(c.weekdayValue[size_t(i)], i, 1);
        grid->addWidget(c.weekdayAverage[size_t(i)], i, 2);
    }
    grid->setRowStretch(7, 1);
}

// The ten best months or days.
void BuildBestFrame(QWidget* page, StatisticsWindow::Tab& c, const TabNames& n) {
    c.bestFrame = new QGroupBox(QStringLiteral("Best 10"), page);
    c.bestFrame->setObjectName(QString::fromLatin1(n.bestFrame));
    auto* bestGrid = new QGridLayout(c.bestFrame);
    bestGrid->setHorizontalSpacing(14);
    bestGrid->setVerticalSpacing(2);
    for (int i = 0; i < 10; ++i) {
        c.rank[size_t(i)] =
            MakeLabel(c.bestFrame, Indexed(n.rank, i), QString::number(i + 1), Qt::AlignCenter);
        c.rank[size_t(i)]->setMinimumWidth(26);
        c.best[size_t(i)] = MakeLabel(c.bestFrame, Indexed(n.best, i),
                                      QString::fromUtf16(n.bestReset), Qt::AlignCenter);
        c.bestValue[size_t(i)] =
            MakeLabel(c.bestFrame, Indexed(n.bestValue, i), QString::fromUtf16(n.bestValueReset));
        c.bestAverage[size_t(i)] =
            MakeLabel(c.bestFrame, Indexed(n.bestAverage, i), QString::fromUtf16(kNoRate));
        ReserveWidth(c.best[size_t(i)], n.bestWidest);
        ReserveWidth(c.bestValue[size_t(i)], n.bestValueWidest);
        ReserveWidth(c.bestAverage[size_t(i)], kWidestRate);
        bestGrid->addWidget(c.rank[size_t(i)], i, 0);
        bestGrid->addWidget(c.best[size_t(i)], i, 1);
        bestGrid->addWidget(c.bestValue[size_t(i)], i, 2);
        bestGrid->addWidget(c.bestAverage[size_t(i)], i, 3);
    }
}

void BuildTab(QWidget* page, StatisticsWindow::Tab& c, const TabNames& n) {
    QLabel* caption =
        MakeLabel(page, QString(), QString::fromUtf16(n.averageCaption), Qt::AlignCenter);
    c.average = MakeLabel(page, QString::fromLatin1(n.average), QString::fromUtf16(kNoRate));
    c.average->setFrameShape(QFrame::Panel);
    c.average->setFrameShadow(QFrame::Sunken);
    QFont big = c.average->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    c.average->setFont(big);
    ReserveWidth(c.average, kWidestRate);
    caption->setFont(big);

    c.betweenInfo = new QPlainTextEdit(page);
    c.betweenInfo->setObjectName(QString::fromLatin1(n.betweenInfo));
    c.betweenInfo->setReadOnly(true);
    c.betweenInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    c.betweenInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.betweenInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.betweenInfo->setFixedHeight(c.betweenInfo->fontMetrics().lineSpacing() * 2 + 14);
    c.between = MakeLabel(page, QString::fromLatin1(n.between), QString());

    BuildWeekdayFrame(page, c, n);
    BuildBestFrame(page, c, n);

    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(c.average);
    top->addStretch(1);
    auto* frames = new QHBoxLayout;
    frames->addWidget(c.weekdayFrame, 0, Qt::AlignTop);
    frames->addWidget(c.bestFrame, 1, Qt::AlignTop);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(c.betweenInfo);
    layout->addWidget(c.between);
    layout->addLayout(frames);
    layout->addStretch(1);
}

// The wait cursor for the time a computation holds its connection.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { restore(); }
    void restore() {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

// Runs a computation on its own connection: an unopened database changes nothing; a failed
// query is rolled back and closed, and the normal pointer is back, before anyone reports it.
template <class Stats, class Compute>
void RunOnOwnConnection(const Program& program, Stats& out, Compute compute) {
    Db db = OpenDB(program);
    if (!db)
        return;
    WaitCursor wait;
    if (!compute(*db)) {
        out.status = StatsStatus::Failed;
        out.error = db->errorText();
        db->rollback();
        return;
    }
    out.status = StatsStatus::Done;
    wait.restore();
    CloseDB(*db);
}

} // namespace

EntryStats CalcScheduleStats(const Program& program) {
    EntryStats out(EntryTable::Schedule);
    RunOnOwnConnection(program, out, [&out](Connection& db) {
        return ComputeEntryStats(db, EntryTable::Schedule, out);
    });
    return out;
}

EntryStats CalcDiaryStats(const Program& program) {
    EntryStats out(EntryTable::Diary);
    RunOnOwnConnection(program, out, [&out](Connection& db) {
        return ComputeEntryStats(db, EntryTable::Diary, out);
    });
    return out;
}

WorkTimeStats CalcWorkTimeStats(const Program& program) {
    WorkTimeStats out;
    RunOnOwnConnection(program, out,
                       [&out](Connection& db) { return ComputeWorkTimeStats(db, out); });
    return out;
}

StatisticsWindow::StatisticsWindow(const AppContext& app, QWidget* owner)
    : QDialog(owner), m_app(app) {
    PrepareDialog(this, "frmStatistics", QStringLiteral("統計情報"));

    statisticsTabs = new QTabWidget(this);
    statisticsTabs->setObjectName(QStringLiteral("tabStatistics"));
    auto* schedule = new QWidget;
    auto* diary = new QWidget;
    auto* work = new QWidget;
    BuildEntryTab(schedule, false);
    BuildEntryTab(diary, true);
    BuildWorkTab(work);
    statisticsTabs->addTab(schedule, QStringLiteral("スケジュール"));
    statisticsTabs->addTab(diary, QStringLiteral("日記"));
    statisticsTabs->addTab(work, QStringLiteral("稼働時間"));

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    okButton->setMinimumWidth(90);
    connect(okButton, &QPushButton::clicked, this, &StatisticsWindow::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(statisticsTabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    rankingMenu = new QMenu(QStringLiteral("Best10右ｸﾘｯｸﾒﾆｭｰ"), this);
    rankingMenu->setObjectName(QStringLiteral("mnuBest10Right"));
    rankingMenu->setAccessibleName(rankingMenu->title());
    weekViewAction = rankingMenu->addAction(QStringLiteral("稼働時間（週表示）"));
    weekViewAction->setObjectName(QStringLiteral("mnuWorkTimeWeek"));
    monthViewAction = rankingMenu->addAction(QStringLiteral("稼働時間（月表示）"));
    monthViewAction->setObjectName(QStringLiteral("mnuWrokTimeMonth"));
    // The default entry shows bold whatever the style does with default actions.
    rankingMenu->setDefaultAction(weekViewAction);
    QFont bold = weekViewAction->font();
    bold.setBold(true);
    weekViewAction->setFont(bold);
    connect(weekViewAction, &QAction::triggered, this, &StatisticsWindow::openRowWeek);
    connect(monthViewAction, &QAction::triggered, this, &StatisticsWindow::openRowMonth);

    // The window sees keys before its controls.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    ShowEntryStats(EntryStats(EntryTable::Schedule), false);
    ShowEntryStats(EntryStats(EntryTable::Diary), true);
    ShowWorkTimeStats(WorkTimeStats());
    // Load: the schedule tab, computed.
    statisticsTabs->setCurrentIndex(0);
    computeShownTab();
    // Every selection computes the tab again, also a click on the tab already selected.
    connect(statisticsTabs, &QTabWidget::currentChanged, this, &StatisticsWindow::computeShownTab);
    connect(statisticsTabs, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index == statisticsTabs->currentIndex())
            computeShownTab();
    });
}

void OpenStatistics(const AppContext& app, QWidget* owner, bool modal) {
    ShowOnce<StatisticsWindow>(owner, modal,
                               [&app, owner] { return new StatisticsWindow(app, owner); });
}

void StatisticsWindow::BuildEntryTab(QWidget* page, bool diary) {
    if (!diary) {
        BuildTab(page, scheduleTab,
                 {"fraYobi",
                  "fraBest",
                  "lblAverage",
                  "txtBetweenInfo",
                  "lblBetween",
                  "lblYobi",
                  "lblYobiCnt",
                  "lblYobiAverage",
                  "lblRank",
                  "lblBestYM",
                  "lblBestCnt",
                  "lblBestAverage",
                  u"スケジュール記入率",
                  u"曜日別記入率",
                  kNoCount,
                  kNoMonth,
                  kNoCount,
                  u"0000 回",
                  u"0000年00月",
                  u"00 回"});
        return;
    }
    BuildTab(page, diaryTab,
             {"fraYobiDiary",    "fraBestDiary",   "lblAverageDiary", "txtBetweenInfoDiary",
              "lblBetweenDiary", "lblYobiDiary",   "lblYobiCntDiary", "lblYobiAverageDiary",
              "lblRankDiary",    "lblBestYMDiary", "lblBestCntDiary", "lblBestAverageDiary",
              u"日記記入率",     u"曜日別記入率",  kNoCount,          kNoMonth,
              kNoCount,          u"0000 回",       u"0000年00月",     u"00 回"});
}

void StatisticsWindow::BuildWorkTab(QWidget* page) {
    BuildTab(page, workTab,
             {"fraYobiWork",
              "fraBestWork",
              "lblAverageWork",
              "txtBetweenInfoWork",
              "lblBetweenWork",
              "lblYobiWork",
              "lblYobiWorkTime",
              "lblYobiAverageWork",
              "lblRankWork",
              "lblBestYMDWork",
              "lblBestWorkTime",
              "lblBestAverageWork",
              u"通算稼働率",
              u"曜日別稼動率",
              kNoTime,
              kNoDay,
              kNoTime,
              u"00時間00分",
              u"0000年00月00日（水）",
              u"00時間00分"});
    // The rows of the ranking open the viewer on their day.
    for (int i = 0; i < 10; ++i) {
        for (QLabel* l : {workTab.rank[size_t(i)], workTab.best[size_t(i)],
                          workTab.bestValue[size_t(i)], workTab.bestAverage[size_t(i)]}) {
            l->setProperty(kBestRow, i);
            l->setContextMenuPolicy(Qt::PreventContextMenu);
        }
        workTab.rank[size_t(i)]->setLineWidth(1);
        workTab.rank[size_t(i)]->setFrameShadow(QFrame::Plain);
    }
}

// ---------------------------------------------------------------- computing the tabs

void StatisticsWindow::computeShownTab() {
    switch (statisticsTabs->currentIndex()) {
    case 0:
    case 1: {
        const bool diary = statisticsTabs->currentIndex() == 1;
        const EntryStats s =
            diary ? CalcDiaryStats(m_app.program()) : CalcScheduleStats(m_app.program());
        if (s.status == StatsStatus::NotOpened)
            return;
        ShowEntryStats(s, diary);
        if (s.status == StatsStatus::Failed)
            Failed(s.error);
        break;
    }
    case 2: {
        const WorkTimeStats s = CalcWorkTimeStats(m_app.program());
        if (s.status == StatsStatus::NotOpened)
            return;
        ShowWorkTimeStats(s);
        if (s.status == StatsStatus::Failed)
            Failed(s.error);
        break;
    }
    default:
        break;
    }
}

void StatisticsWindow::Failed(const QString& error) {
    MsgBox(error, MsgButtons::OK, MsgIcon::Critical, windowTitle());
}

namespace {

// The rate, the period and the weekday table, which every tab shows alike.
template <class Stats, class Values>
void ShowCommonStats(StatisticsWindow::Tab& t, const Stats& s, const Values& weekdayValues) {
    t.average->setText(s.average);
    // The period's two lines are joined by CR LF; the box breaks lines at LF.
    t.betweenInfo->setPlainText(
        QString(s.betweenInfo).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    t.between->setText(s.between);
    for (size_t i = 0; i < 7; ++i) {
        t.weekdayValue[i]->setText(weekdayValues[i]);
        t.weekdayAverage[i]->setText(s.weekdayAverage[i]);
    }
}

} // namespace

void StatisticsWindow::ShowEntryStats(const EntryStats& s, bool diary) {
    Tab& t = diary ? diaryTab : scheduleTab;
    ShowCommonStats(t, s, s.weekdayCount);
    for (size_t i = 0; i < 10; ++i) {
        t.best[i]->setText(s.bestYM[i]);
        t.bestValue[i]->setText(s.bestCnt[i]);
        t.bestAverage[i]->setText(s.bestAverage[i]);
    }
}

void StatisticsWindow::ShowWorkTimeStats(const WorkTimeStats& s) {
    ShowCommonStats(workTab, s, s.weekdayWorkTime);
    const QDate today = m_app.program().clock().today();
    for (size_t i = 0; i < 10; ++i) {
        const QDate d = s.best[i].day;
        QLabel* day = workTab.best[i];
        QLabel* rank = workTab.rank[i];
        // A row left empty by this calculation loses the colours of an earlier one.
        day->setPalette(QPalette());
        if (d.isValid() && d.dayOfWeek() == 7)
            SetTextColor(day, QColor(255, 0, 0));
        else if (d.isValid() && d.dayOfWeek() == 6)
            SetTextColor(day, QColor(0, 0, 255));
        else if (d.isValid())
            SetTextColor(day, QColor(0, 0, 0));
        const bool isToday = d.isValid() && d == today;
        rank->setPalette(QPalette());
        rank->setAutoFillBackground(isToday);
        rank->setFrameShape(isToday ? QFrame::Box : QFrame::NoFrame);
        if (isToday) {
            QPalette pal = rank->palette();
            pal.setColor(QPalette::Window, m_app.options().todayColor);
            rank->setPalette(pal);
        }
        day->setText(s.bestYMD[i]);
        workTab.bestValue[i]->setText(s.bestWorkTime[i]);
        workTab.bestAverage[i]->setText(s.bestAverage[i]);
    }
}

// ---------------------------------------------------------------- the ranking's rows

QDate StatisticsWindow::BestRowDay(int row) const {
    if (row < 0 || row >= 10)
        return QDate();
    // The empty row's placeholder is not a date.
    return QDate::fromString(workTab.best[size_t(row)]->text().left(11),
                             QStringLiteral("yyyy年MM月dd日"));
}

void StatisticsWindow::openRowOnDoubleClick(int row) {
    if (!BestRowDay(row).isValid())
        return;
    m_pickedRow = row;
    openRowWeek();
}

void StatisticsWindow::popUpRowMenu(int row, const QPoint& globalPos) {
    if (!BestRowDay(row).isValid())
        return;
    m_pickedRow = row;
    rankingMenu->popup(globalPos, weekViewAction);
}

void StatisticsWindow::openRowWeek() {
    openViewerOnRow(false);
}

void StatisticsWindow::openRowMonth() {
    openViewerOnRow(true);
}

void StatisticsWindow::openViewerOnRow(bool month) {
    const QDate d = BestRowDay(m_pickedRow);
    if (!d.isValid())
        return;
    // From a modal statistics window a modeless viewer could not be used: it is modal then.
    OpenWorkTimeOn(m_app, this, isModal(),
                   month ? WorkTimeWindow::View::Month : WorkTimeWindow::View::Week, d);
}

bool StatisticsWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonPress: {
        const QVariant row = watched->property(kBestRow);
        if (!row.isValid())
            break;
        auto* m = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonDblClick && m->button() == Qt::LeftButton) {
            openRowOnDoubleClick(row.toInt());
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress && m->button() == Qt::RightButton) {
            popUpRowMenu(row.toInt(), m->globalPosition().toPoint());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
