#include "mainwindow/MonthView.h"

#include "calendar/GridLayout.h"
#include "core/Colors.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/DateFormat.h"
#include "core/Dates.h"
#include "core/MsgBox.h"
#include "mainwindow/CellLabel.h"
#include "settings/AppContext.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include <algorithm>

namespace {

QFont PixelFont(int px, bool bold = false) {
    QFont f = QApplication::font();
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void SetFormatted(QLabel* label, const QDate& d, const QString& pattern) {
    // An unknown format option leaves the label as it was.
    if (!pattern.isEmpty())
        label->setText(FormatDate(d, pattern));
}

QRect NonNegative(const QRect& r) {
    return QRect(r.x(), r.y(), std::max(0, r.width()), std::max(0, r.height()));
}

} // namespace

MonthView::MonthView(const AppContext& app, QWidget* parent)
    : QWidget(parent), m_program(app.program()), m_options(app.options()) {
    setObjectName(QStringLiteral("picBack"));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    buildHeaders();
    buildCells();
    // The schedule labels lie under the day labels, which overlap them by one pixel.
    for (CellLabel* d : m_dayCells)
        d->raise();
    m_yearLabel->raise();
    m_background->lower();
    m_yearLabel->move(10, 5);
    m_monthLabel->move(0, 10);
}

void MonthView::buildHeaders() {
    const auto label = [this](const char* name, int px, bool bold = false) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setFont(PixelFont(px, bold));
        return l;
    };
    m_background = new QLabel(this);
    m_background->setObjectName(QStringLiteral("imgBack"));
    m_background->setScaledContents(true);
    m_background->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_yearLabel = label("lblYear", 16, true);
    m_yearLabel->installEventFilter(this);
    m_monthLabel = label("lblMonth", 30, true);
    m_monthLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_monthLabel->installEventFilter(this);
    // The old month name stands at the right; clicks go through it to the background.
    m_oldMonthName = label("lblJpnMonth", 15);
    m_oldMonthName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_oldMonthName->setIndent(10);
    m_oldMonthName->setAttribute(Qt::WA_TransparentForMouseEvents);

    for (int i = 0; i < 7; ++i) {
        QLabel* w = label("", 11);
        w->setObjectName(QStringLiteral("lblWeek%1").arg(i));
        w->setAlignment(Qt::AlignCenter);
        w->setFrameShape(QFrame::Box);
        // Sunday and Saturday keep their weekend colours for good.
        ApplyLook(w, {true, i == 0   ? kHolidayRed
                            : i == 6 ? kSaturdayBlue
                                     : QColor(0xEE, 0xEE, 0xEE)});
        m_weekLabels[size_t(i)] = w;
    }
}

void MonthView::buildCells() {
    const QFont cellFont = PixelFont(11);
    for (int i = 0; i < kGridCells; ++i) {
        CellLabel* d = new CellLabel(i, this);
        d->setObjectName(QStringLiteral("lblDay%1").arg(i));
        d->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        d->setIndent(2);
        CellLabel* s = new CellLabel(i, this);
        s->setObjectName(QStringLiteral("lblSchedule%1").arg(i));
        s->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        s->setWordWrap(true);
        s->setMargin(1);
        for (CellLabel* c : {d, s}) {
            c->setFont(cellFont);
            c->setTextFormat(Qt::PlainText);
            connect(c, &CellLabel::clicked, this, &MonthView::selectCell);
            connect(c, &CellLabel::doubleClicked, this, &MonthView::editRequested);
            connect(c, &CellLabel::rightPressed, this, [this](int index) {
                selectCell(index);
                emit cellMenuRequested();
            });
        }
        m_dayCells[size_t(i)] = d;
        m_scheduleCells[size_t(i)] = s;
    }
}

// ---------------------------------------------------------------- showing a month

void MonthView::showDate(const QDate& day) {
    m_selected = day;
    showMonth(day.year(), day.month());
}

void MonthView::showMonth(int year, int month) {
    if (year != m_loadedYear || month != m_loadedMonth) {
        // The month is read before anything of it is drawn, so that a failed read (its message
        // already shown) leaves the view showing one month throughout.
        if (!loadMonth(year, month)) {
            if (m_shownYear != 0) {
                m_selected = m_shownSelect;
                return;
            }
            // Nothing was shown yet: the month's days without anything read.
            m_cells = BareMonthCells(year, month);
            applyCells();
            drawMonth(year, month);
            return;
        }
        m_loadedYear = year;
        m_loadedMonth = month;
    }
    drawMonth(year, month);
}

void MonthView::moveSelection(int months) {
    showDate(m_selected.addMonths(months));
}

void MonthView::moveSelectionDays(int days) {
    showDate(m_selected.addDays(days));
}

void MonthView::moveShownMonth(int months) {
    const QDate first = QDate(m_shownYear, m_shownMonth, 1).addMonths(months);
    showMonth(first.year(), first.month());
}

void MonthView::showToday() {
    const QDate today = m_program.clock().today();
    m_selected = CarrySelection(m_selected, today.year(), today.month());
    showMonth(today.year(), today.month());
}

void MonthView::selectCell(int index) {
    // A day of the shown month only redraws; a neighbouring month's day shows its month.
    showDate(
        DateOfClickedCell(index, m_dayCells[size_t(index)]->text(), m_shownYear, m_shownMonth));
}

void MonthView::redraw() {
    if (m_shownYear != 0)
        showMonth(m_shownYear, m_shownMonth);
}

void MonthView::reload() {
    m_loadedYear = 0;
    m_loadedMonth = 0;
    redraw();
}

bool MonthView::loadMonth(int year, int month) {
    Db db = OpenDB(m_program);
    if (!db) {
        m_loadedYear = 0;
        m_loadedMonth = 0;
        return false;
    }
    if (!LoadMonthCells(*db, m_cells, year, month, m_options.diaryColor)) {
        const QString why = db->errorText();
        db->rollback();
        m_loadedYear = 0;
        m_loadedMonth = 0;
        MsgBox(why, MsgButtons::OK, MsgIcon::Critical, window()->windowTitle());
        return false;
    }
    CloseDB(*db);
    applyCells();
    return true;
}

void MonthView::showHolidayRules(const HolidayRules& rules) {
    if (ApplyHolidayMarks(m_cells, rules, m_loadedYear, m_loadedMonth))
        applyCells();
}

// ---------------------------------------------------------------- drawing

void MonthView::applyCells() {
    for (int i = 0; i < kGridCells; ++i) {
        const GridCell& c = m_cells[size_t(i)];
        CellLabel* day = m_dayCells[size_t(i)];
        day->setCaption(c.dayCaption);
        day->setLook(c.dayLook);
        CellLabel* sched = m_scheduleCells[size_t(i)];
        sched->setCaption(c.schedule);
        sched->setTag(c.tag);
        sched->setLook(c.scheduleLook);
    }
}

void MonthView::drawMonth(int year, int month) {
    m_selected = CarrySelection(m_selected, year, month);

    SetFormatted(m_yearLabel, m_selected, YearFormatPattern(m_options.yearFormat));
    m_yearLabel->adjustSize();
    SetFormatted(m_monthLabel, m_selected, MonthFormatPattern(m_options.monthFormat));
    m_oldMonthName->setText(JapaneseMonthName(month));
    drawCells(year, month);

    // The holiday and anniversary texts of the selected day follow the colon.
    QString info = FormatDate(m_selected, QStringLiteral("yyyy/mm/dd:"));
    const QString caption = m_dayCells[size_t(m_selectedCell)]->text();
    if (caption.size() > 2)
        info += caption.mid(2);
    emit infoChanged(info);

    m_shownYear = year;
    m_shownMonth = month;
    m_shownSelect = m_selected;
    update();
}

void MonthView::drawCells(int year, int month) {
    const QDate start = GridStart(year, month);
    const QDate today = m_program.clock().today();
    const GridColors colors{m_options.todayColor, m_options.selectColor, m_options.diaryColor};
    const QString weekPattern = WeekFormatPattern(m_options.weekFormat);
    for (int i = 0; i < kGridCells; ++i) {
        const QDate d = start.addDays(i);
        GridCell& c = m_cells[size_t(i)];
        if (i < 7)
            SetFormatted(m_weekLabels[size_t(i)], d, weekPattern);
        if (d == m_selected)
            m_selectedCell = i;
        c.scheduleLook = ScheduleLook(d, m_selected, today, month, c.tag, colors);
        m_scheduleCells[size_t(i)]->setLook(c.scheduleLook);
    }
}

void MonthView::applyBackground() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_options.backColor);
    setPalette(pal);
    // A picture that has gone missing since it was chosen leaves the background plain.
    QPixmap pic;
    const QString& path = m_options.backPicturePath;
    if (m_options.backPicture && !path.isEmpty() && QFileInfo(path).isFile())
        pic.load(path);
    m_background->setPixmap(pic);
    m_background->setVisible(!pic.isNull());
}

// ---------------------------------------------------------------- layout

void MonthView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layOutGrid();
}

void MonthView::layOutGrid() {
    const int w = width();
    const int h = height();
    m_background->setGeometry(0, 0, w, h);
    // As high as the font's line, so that no descender is cut off; a line taller than the room
    // above the weekday header moves up so that the tails stay clear of it.
    const int monthHeight = m_monthLabel->fontMetrics().height();
    const int weekTop = kHeaderHeight - kWeekLabelHeight;
    m_monthLabel->setGeometry(0, std::min(10, weekTop - monthHeight), w, monthHeight);
    m_oldMonthName->setGeometry(0, 26, w, 20);

    setUpdatesEnabled(false);
    const GridLayout g = ComputeGridLayout(w, h);
    for (int c = 0; c < 7; ++c)
        m_weekLabels[size_t(c)]->setGeometry(NonNegative(g.week[size_t(c)]));
    for (int i = 0; i < kGridCells; ++i) {
        m_dayCells[size_t(i)]->setGeometry(NonNegative(g.day[size_t(i)]));
        m_scheduleCells[size_t(i)]->setGeometry(NonNegative(g.schedule[size_t(i)]));
    }
    setUpdatesEnabled(true);
}

// ---------------------------------------------------------------- keyboard and mouse

void MonthView::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    const bool page = key == Qt::Key_PageDown || key == Qt::Key_PageUp;
    const bool sideways = key == Qt::Key_Left || key == Qt::Key_Right;
    const bool upDown = key == Qt::Key_Up || key == Qt::Key_Down;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!page && !sideways && !upDown && !enter && key != Qt::Key_Home) {
        QWidget::keyPressEvent(e);
        return;
    }
    // The grid's keys are the grid's, whatever the modifiers; only these combinations act.
    e->accept();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    if (mods != Qt::NoModifier && !(page && ctrl))
        return;
    if (page)
        moveShownMonth((ctrl ? 12 : 1) * (key == Qt::Key_PageDown ? 1 : -1));
    else if (key == Qt::Key_Home)
        showMonth(m_program.clock().today().year(), m_program.clock().today().month());
    else if (sideways)
        moveSelectionDays(key == Qt::Key_Left ? -1 : 1);
    else if (upDown)
        moveSelectionDays(key == Qt::Key_Up ? -7 : 7);
    else
        emit editRequested();
}

bool MonthView::headerMouse(QMouseEvent* e) {
    if (e->type() == QEvent::MouseButtonDblClick && e->button() == Qt::LeftButton) {
        emit todayRequested();
        return true;
    }
    if (e->type() == QEvent::MouseButtonPress && e->button() == Qt::RightButton) {
        emit headerMenuRequested(e->globalPosition().toPoint());
        return true;
    }
    return false;
}

void MonthView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!headerMouse(e))
        QWidget::mouseDoubleClickEvent(e);
}

void MonthView::mousePressEvent(QMouseEvent* e) {
    if (!headerMouse(e))
        QWidget::mousePressEvent(e);
}

bool MonthView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((watched == m_yearLabel || watched == m_monthLabel) &&
        (type == QEvent::MouseButtonDblClick || type == QEvent::MouseButtonPress))
        return headerMouse(static_cast<QMouseEvent*>(event));
    return QWidget::eventFilter(watched, event);
}
