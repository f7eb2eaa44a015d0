// What the main window calls to open the day-entry windows and to run the clipboard and
// deletion commands on the day it has selected.
#pragma once

#include <QDate>
#include <QString>

class AppContext;
class Connection;
class Program;
class QColor;
class QWidget;

// The day's schedule text, or the empty text. A failed read rolls the connection back and
// closes it, then says "スケジュールの取得に失敗しました。".
QString ReadSchedule(Connection& db, const QDate& day);

// Each opens its window modally over owner and returns when it has closed.
// The schedule editor: afterwards the main window reloads the month, whatever the answer.
void OpenScheduleEditor(QWidget* owner, const Program& program, const QDate& day);
// Today's schedule at start, read in a short read of its own.
void OpenTodaySchedule(QWidget* owner, AppContext& app);
// The diary editor; the heading shows the selected day cell's caption on its background
// colour.
void OpenDiaryEditor(QWidget* owner, const Program& program, const QDate& day,
                     const QString& dayCellCaption, const QColor& dayCellColor);
// The anniversary register, on day's month.
void OpenWhatDay(QWidget* owner, const Program& program, const QDate& day);
void OpenSearch(QWidget* owner, const Program& program);

// Copy, cut and paste of schedule texts through the system clipboard (plain text). Cut only
// remembers the day; the next successful paste moves the text.
class ScheduleClipboard {
public:
    explicit ScheduleClipboard(const Program& program) : m_program(program) {}
    void Copy(const QDate& day);
    void Cut(const QDate& day);
    // Pastes onto day. True when the paste was committed: the main window must reload the
    // month.
    bool Paste(const QDate& day);

    // The day of a pending cut, or an invalid date when none is pending.
    QDate PendingCut() const { return m_cutDay; }

private:
    void CopyOrCut(const QDate& day, bool cut);
    const Program& m_program;
    QDate m_cutDay;
};

// Ask, then delete day's schedule or diary entry. mainCaption titles the question. True when
// a deletion was committed: the main window must reload the month's data.
bool DeleteSchedule(const Program& program, const QDate& day, const QString& mainCaption);
bool DeleteDiary(const Program& program, const QDate& day, const QString& mainCaption);
