#include "worktime/WorkTimeWindow.h"

#include "core/Colors.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/DateFormat.h"
#include "core/ProgramWindows.h"
#include "core/Twips.h"
#include "holidays/HolidayRules.h"
#include "settings/AppContext.h"
#include "worktime/PictureBox.h"
#include "worktime/RunningTime.h"
#include "worktime/WorkChart.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QWindow>

namespace {

const QString kDayPattern = QStringLiteral("yyyy/MM/dd");

// Layout in pixels; the chart units are twips.
constexpr int kColumnOuterWidth = TwipsToPixels(795);   // 53
constexpr int kColumnOuterHeight = TwipsToPixels(4380); // 292
constexpr int kColumnLeft = 58;
constexpr int kColumnPitch = 60;
constexpr int kColumnTop = 78;
constexpr int kBorder = 2;
constexpr int kCellSize = TwipsToPixels(800); // 53
constexpr int kCellPitch = 57;
constexpr int kCellTop = 66;
constexpr int kPageWidth = kColumnLeft + 6 * kColumnPitch + kColumnOuterWidth + 12;
constexpr int kCellLeft = (kPageWidth - (6 * kCellPitch + kCellSize)) / 2;
constexpr int kNavLeft = 352;

const char16_t* const kWeekNames[7] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& r,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    l->setGeometry(r);
    l->setAlignment(align);
    return l;
}

QColor WeekNameColor(int i) {
    if (i == 0)
        return kHolidayRed.darker(140);
    if (i == 6)
        return kSaturdayBlue.darker(140);
    return QColor(Qt::black);
}

// The week columns read with a vertical time scale; its lines show between the columns.
void AddScaleLine(QWidget* page, int y) {
    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setStyleSheet(QStringLiteral("color: #808080"));
    line->setGeometry(kColumnLeft - 6, y, 6 * kColumnPitch + kColumnOuterWidth + 10, 1);
}

} // namespace

WorkTimeWindow::WorkTimeWindow(const AppContext& app, QWidget* owner) : QDialog(owner), m_app(app) {
    PrepareDialog(this, "frmWorkTime", QStringLiteral("稼働時間"));

    workTimeTabs = new QTabWidget(this);
    workTimeTabs->setObjectName(QStringLiteral("tabWorkTime"));
    auto* week = new QWidget;
    auto* month = new QWidget;
    BuildWeekTab(week);
    BuildMonthTab(month);
    workTimeTabs->addTab(week, QStringLiteral("週間稼動率"));
    workTimeTabs->addTab(month, QStringLiteral("月間稼働率"));
    workTimeTabs->setGeometry(8, 8, kPageWidth + 8, 468);

    averageLabel = MakeLabel(this, QStringLiteral("lblAverage"),
                             QStringLiteral("平均稼働時間　99時間 99分"), QRect(20, 486, 300, 24));
    QFont f = averageLabel->font();
    f.setPointSizeF(f.pointSizeF() * 1.15);
    averageLabel->setFont(f);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setAutoDefault(false);
    okButton->setGeometry(kPageWidth + 16 - 90, 484, 90, 28);
    connect(okButton, &QPushButton::clicked, this, &WorkTimeWindow::close);

    setFixedSize(kPageWidth + 24, 522);

    for (int i = 0; i < 2; ++i) {
        connect(previousButtons[i], &QToolButton::clicked, this, &WorkTimeWindow::showPrevious);
        connect(nextButtons[i], &QToolButton::clicked, this, &WorkTimeWindow::showNext);
        connect(currentButtons[i], &QToolButton::clicked, this, [this, i] { showCurrent(i); });
    }

    // The window sees keys before its controls.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &WorkTimeWindow::FocusWindowChanged);

    // Opens on today's week; the month tab holds today's month.
    workTimeTabs->setCurrentIndex(0);
    const QDate today = m_app.program().clock().today();
    showWeekOf(today);
    showMonth(today.year(), today.month());
    connect(workTimeTabs, &QTabWidget::currentChanged, this, &WorkTimeWindow::redraw);
}

WorkTimeWindow* OpenWorkTime(const AppContext& app, QWidget* owner, bool modal) {
    if (WorkTimeWindow* w = ProgramWindowOf<WorkTimeWindow>()) {
        BringToFront(w);
        return w;
    }
    auto* w = new WorkTimeWindow(app, owner);
    ShowNewDialog(w, modal);
    // A modal viewer is gone once it has closed.
    return modal ? nullptr : w;
}

WorkTimeWindow* OpenWorkTimeOn(const AppContext& app, QWidget* owner, bool modal,
                               WorkTimeWindow::View view, const QDate& d) {
    WorkTimeWindow* w = ProgramWindowOf<WorkTimeWindow>();
    if (w && (!modal || w->isModal())) {
        w->ShowPeriod(view, d);
        BringToFront(w);
        w->redraw();
        return w;
    }
    if (w) {
        w->hide();
        w->setParent(owner, w->windowFlags());
    } else {
        w = new WorkTimeWindow(app, owner);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->ShowPeriod(view, d);
    if (modal) {
        // A viewer shown before does not draw again on showing.
        if (w->m_shownOnce)
            w->redraw();
        w->exec();
        return nullptr;
    }
    BringToFront(w);
    return w;
}

void WorkTimeWindow::ShowPeriod(View view, const QDate& d) {
    if (view == View::Week)
        showWeekOf(d);
    else
        showMonth(d.year(), d.month());
    // The caller draws once the period is set.
    const QSignalBlocker quiet(workTimeTabs);
    workTimeTabs->setCurrentIndex(view == View::Week ? 0 : 1);
}

QToolButton* WorkTimeWindow::NavButton(QWidget* page, const QString& name, int x,
                                       const QString& tip, const QString& text) {
    auto* b = new QToolButton(page);
    b->setObjectName(name);
    b->setGeometry(x, 8, text.isEmpty() ? 30 : 44, 26);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setFocusPolicy(Qt::TabFocus);
    if (!text.isEmpty())
        b->setText(text);
    return b;
}

void WorkTimeWindow::BuildWeekTab(QWidget* page) {
    MakeLabel(page, QStringLiteral("Label1"), QStringLiteral("対象日付"), QRect(10, 10, 64, 22));
    startDayLabel = MakeLabel(page, QStringLiteral("lblStartDay"), QString(), QRect(78, 10, 92, 22),
                              Qt::AlignCenter);
    MakeLabel(page, QStringLiteral("Label2"), QStringLiteral("～"), QRect(172, 10, 20, 22),
              Qt::AlignCenter);
    endDayLabel = MakeLabel(page, QStringLiteral("lblEndDay"), QString(), QRect(194, 10, 92, 22),
                            Qt::AlignCenter);
    for (QLabel* l : {startDayLabel, endDayLabel}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
    }

    previousButtons[0] = NavButton(page, QStringLiteral("cmdBeforeWeek0"), kNavLeft,
                                   QStringLiteral("前週"), QString());
    previousButtons[0]->setArrowType(Qt::LeftArrow);
    currentButtons[0] = NavButton(page, QStringLiteral("cmdThisWeek0"), kNavLeft + 32,
                                  QStringLiteral("今週"), QStringLiteral("今週"));
    nextButtons[0] = NavButton(page, QStringLiteral("cmdAfterWeek0"), kNavLeft + 78,
                               QStringLiteral("次週"), QString());
    nextButtons[0]->setArrowType(Qt::RightArrow);

    // Hour scale: lines at 0, 6, 12, 18 and 24 o'clock across the columns.
    const int areaTop = kColumnTop + kBorder;
    const int pixelsPerHour = TwipsToPixels(60 * kWeekUnitsPerMinute); // 12
    MakeLabel(page, QString(), QStringLiteral("時間"), QRect(8, 56, 44, 18),
              Qt::AlignRight | Qt::AlignVCenter);
    for (int h = 0; h <= 24; h += 6) {
        const int y = areaTop + h * pixelsPerHour;
        AddScaleLine(page, y);
        MakeLabel(page, QString(), QString::number(h) + QStringLiteral("時"),
                  QRect(4, y - 9, 44, 18), Qt::AlignRight | Qt::AlignVCenter);
    }

    for (int i = 0; i < 7; ++i) {
        const int x = kColumnLeft + i * kColumnPitch;
        QLabel* name = MakeLabel(page, QString(), QString::fromUtf16(kWeekNames[i]),
                                 QRect(x, 38, kColumnOuterWidth, 18), Qt::AlignCenter);
        QPalette pal = name->palette();
        pal.setColor(QPalette::WindowText, WeekNameColor(i));
        name->setPalette(pal);

        dayLabels[i] = MakeLabel(page, QStringLiteral("lblDay%1").arg(i), QString(),
                                 QRect(x, 56, kColumnOuterWidth, 18), Qt::AlignCenter);

        weekCharts[i] = new PictureBox(page);
        weekCharts[i]->setObjectName(QStringLiteral("picWeekly%1").arg(i));
        weekCharts[i]->setGeometry(x, kColumnTop, kColumnOuterWidth, kColumnOuterHeight);
        weekCharts[i]->setForeColor(kWeekBarColor);

        dayTotalEdits[i] = new QPlainTextEdit(page);
        dayTotalEdits[i]->setObjectName(QStringLiteral("txtWorkTime%1").arg(i));
        dayTotalEdits[i]->setReadOnly(true);
        dayTotalEdits[i]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        dayTotalEdits[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        dayTotalEdits[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
        dayTotalEdits[i]->document()->setDocumentMargin(2);
        dayTotalEdits[i]->setGeometry(x - 4, kColumnTop + kColumnOuterHeight + 6,
                                      kColumnOuterWidth + 8, 44);
        dayTotalEdits[i]->setPlainText(QStringLiteral("--時間\n--分"));
    }
}

void WorkTimeWindow::BuildMonthTab(QWidget* page) {
    yearLabel = MakeLabel(page, QStringLiteral("lblYear"), QString(), QRect(12, 8, 110, 28),
                          Qt::AlignRight | Qt::AlignVCenter);
    monthLabel = MakeLabel(page, QStringLiteral("lblMonth"), QString(), QRect(128, 4, 140, 34));
    QFont big = monthLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    monthLabel->setFont(big);
    QFont mid = yearLabel->font();
    mid.setPointSizeF(mid.pointSizeF() * 1.2);
    yearLabel->setFont(mid);

    previousButtons[1] = NavButton(page, QStringLiteral("cmdBeforeWeek1"), kNavLeft,
                                   QStringLiteral("前月"), QString());
    previousButtons[1]->setArrowType(Qt::LeftArrow);
    currentButtons[1] = NavButton(page, QStringLiteral("cmdThisWeek1"), kNavLeft + 32,
                                  QStringLiteral("今月"), QStringLiteral("今月"));
    nextButtons[1] = NavButton(page, QStringLiteral("cmdAfterWeek1"), kNavLeft + 78,
                               QStringLiteral("次月"), QString());
    nextButtons[1]->setArrowType(Qt::RightArrow);

    for (int i = 0; i < 7; ++i) {
        QLabel* name =
            MakeLabel(page, QString(), QString::fromUtf16(kWeekNames[i]),
                      QRect(kCellLeft + i * kCellPitch, 44, kCellSize, 18), Qt::AlignCenter);
        QPalette pal = name->palette();
        pal.setColor(QPalette::WindowText, WeekNameColor(i));
        name->setPalette(pal);
    }
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    for (int c = 0; c < 42; ++c) {
        dayCharts[c] = new PictureBox(page);
        dayCharts[c]->setObjectName(QStringLiteral("picDay%1").arg(c));
        dayCharts[c]->setGeometry(kCellLeft + (c % 7) * kCellPitch, kCellTop + (c / 7) * kCellPitch,
                                  kCellSize, kCellSize);
        dayCharts[c]->setForeColor(kMonthBarColor);
        dayNumberLabels[c] = MakeLabel(dayCharts[c], QStringLiteral("lblDispDay%1").arg(c),
                                       QString(), QRect(kBorder + 2, kBorder, 24, 16));
        dayNumberLabels[c]->setFont(small);
        dayNumberLabels[c]->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

// ---------------------------------------------------------------- state

void WorkTimeWindow::showWeekOf(const QDate& d) {
    const QDate sunday = d.addDays(-(d.dayOfWeek() % 7));
    startDayLabel->setText(sunday.toString(kDayPattern));
    endDayLabel->setText(sunday.addDays(6).toString(kDayPattern));
}

QDate WorkTimeWindow::ShownWeekStart() const {
    return QDate::fromString(startDayLabel->text(), kDayPattern);
}

void WorkTimeWindow::showMonth(int year, int month) {
    m_year = year;
    m_month = month;
    SetMonthLabels();
}

void WorkTimeWindow::SetMonthLabels() {
    const QDate first(m_year, m_month, 1);
    if (!first.isValid())
        return;
    // An option value outside the table leaves the label as it is.
    const QString yp = YearFormatPattern(m_app.options().yearFormat);
    if (!yp.isEmpty())
        yearLabel->setText(FormatDate(first, yp));
    const QString mp = MonthFormatPattern(m_app.options().monthFormat);
    if (!mp.isEmpty())
        monthLabel->setText(FormatDate(first, mp));
}

void WorkTimeWindow::MoveWeek(int days) {
    const QDate w = ShownWeekStart();
    if (!w.isValid())
        return;
    startDayLabel->setText(w.addDays(days).toString(kDayPattern));
    endDayLabel->setText(w.addDays(days + 6).toString(kDayPattern));
}

void WorkTimeWindow::MoveMonth(int months) {
    const QDate first = QDate(m_year, m_month, 1).addMonths(months);
    if (first.isValid())
        showMonth(first.year(), first.month());
}

// ---------------------------------------------------------------- commands

void WorkTimeWindow::showPrevious() {
    if (workTimeTabs->currentIndex() == 0)
        MoveWeek(-7);
    else
        MoveMonth(-1);
    redraw();
}

void WorkTimeWindow::showNext() {
    if (workTimeTabs->currentIndex() == 0)
        MoveWeek(7);
    else
        MoveMonth(1);
    redraw();
}

void WorkTimeWindow::showCurrent(int tab) {
    const QDate today = m_app.program().clock().today();
    if (tab == 0)
        showWeekOf(today);
    else
        showMonth(today.year(), today.month());
    redraw();
}

bool WorkTimeWindow::handleKey(int key, Qt::KeyboardModifiers modifiers) {
    // Ctrl alone; Ctrl with Shift or Alt counts as another combination.
    const bool ctrlOnly = (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
    const int tab = workTimeTabs->currentIndex();
    const int tabs = workTimeTabs->count();
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Home:
        showCurrent(tab);
        return true;
    case Qt::Key_PageUp:
        if (ctrlOnly)
            workTimeTabs->setCurrentIndex((tab + tabs - 1) % tabs); // repaints
        else
            showPrevious();
        return true;
    case Qt::Key_PageDown:
        if (ctrlOnly)
            workTimeTabs->setCurrentIndex((tab + 1) % tabs);
        else
            showNext();
        return true;
    default:
        return false;
    }
}

bool WorkTimeWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (handleKey(k->key(), k->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- repaint cycle

void WorkTimeWindow::FocusWindowChanged(QWindow* w) {
    // Coming back from another application or window redraws; coming back from our own
    // message box does not, or a failing database would ask again and again.
    if (w && w != windowHandle())
        m_backFromMessage = IsMessageBoxWindow(w);
}

bool WorkTimeWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        const bool skip = m_backFromMessage;
        m_backFromMessage = false;
        if (!skip && m_shownOnce)
            redraw();
    }
    return QDialog::event(e);
}

void WorkTimeWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous() && !m_shownOnce) {
        m_shownOnce = true;
        redraw();
    }
}

void WorkTimeWindow::redraw() {
    // A message box of the database layer runs its own event loop; no second drawing meanwhile.
    if (m_painting)
        return;
    m_painting = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (workTimeTabs->currentIndex() == 0)
        DrawWeekChart();
    else
        DrawMonthChart();
    // The normal pointer comes back also after a failed drawing: the failure has been reported
    // (or the view simply stays as far as it got), and a pointer left busy would be misleading.
    QApplication::restoreOverrideCursor();
    m_painting = false;
}

bool WorkTimeWindow::DrawWeekChart() {
    const QDate w = ShownWeekStart();
    QDate e = QDate::fromString(endDayLabel->text(), kDayPattern);
    if (!e.isValid() && w.isValid())
        e = w.addDays(6);
    for (int i = 0; i < 7; ++i) {
        weekCharts[i]->setToolTip(QString());
        dayLabels[i]->setText(
            w.isValid() ? QString::number(w.addDays(i).day()) + QStringLiteral("日") : QString());
        weekCharts[i]->Cls();
        weekCharts[i]->setForeColor(kWeekBarColor);
    }
    if (!w.isValid())
        return false;
    Db db = OpenDB(m_app.program());
    if (!db)
        return false;

    // Every period that overlaps the week, also one that began before it and ends after it.
    WeekChart chart(w);
    if (!ReadPeriods(*db, w, e,
                     [&chart](const QDateTime& s, const QDateTime& t) { chart.add(s, t); }))
        return false;

    for (int i = 0; i < 7; ++i) {
        const WeekColumn& col = chart.columns[size_t(i)];
        for (const DayShare& s : col.bars)
            weekCharts[i]->FillBox(0, kWeekUnitsPerMinute * s.begin, kWeekBarRight,
                                   kWeekUnitsPerMinute * s.end);
        weekCharts[i]->setToolTip(col.tip);
        weekCharts[i]->setAccessibleDescription(col.tip);
        dayTotalEdits[i]->setPlainText(
            DayTotalText(col.total).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    averageLabel->setText(AverageText(chart.average()));
    return CloseDB(*db);
}

bool WorkTimeWindow::DrawMonthChart() {
    if (!QDate(m_year, m_month, 1).isValid())
        return false;
    Db db = OpenDB(m_app.program());
    if (!db)
        return false;
    HolidayRules rules;
    if (!ReadHolidayRules(*db, rules))
        return false;
    MonthChart chart(m_year, m_month);
    chart.colour(rules);
    for (int c = 0; c < 42; ++c) {
        PictureBox* p = dayCharts[c];
        p->Cls();
        p->setBackColor(chart.back[size_t(c)]);
        dayNumberLabels[c]->setText(QString::number(chart.date(c).day()));
    }

    if (!ReadPeriods(*db, chart.first, chart.last,
                     [&chart](const QDateTime& s, const QDateTime& e) { chart.add(s, e); }))
        return false;

    for (int c = 0; c < 42; ++c) {
        PictureBox* p = dayCharts[c];
        const int m = chart.minutes[size_t(c)];
        if (m > 0) {
            // 1440 minutes fill the cell's 720 units; the bar stands on its bottom line.
            p->FillBox(0, qRound(kMonthBarBottom - m / 2.0), kMonthBarRight, kMonthBarBottom);
            p->setToolTip(MonthTipText(m));
        } else {
            p->setToolTip(QString());
        }
        p->setAccessibleDescription(p->toolTip());
    }
    averageLabel->setText(AverageText(chart.average()));
    return CloseDB(*db);
}
