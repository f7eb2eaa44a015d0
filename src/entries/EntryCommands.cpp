#include "entries/EntryCommands.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "entries/AnniversaryDialog.h"
#include "entries/DiaryDialog.h"
#include "entries/EntryLines.h"
#include "entries/EntryStore.h"
#include "entries/ScheduleDialog.h"
#include "entries/SearchDialog.h"
#include "entries/TodayDialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

void ScheduleReadFailed(Connection& db) {
    db.rollback();
    MsgBox(QStringLiteral("スケジュールの取得に失敗しました。"), MsgButtons::OK, MsgIcon::Critical,
           QString::fromLatin1(kAppTitle));
}

// Loads a window before it is shown, then waits for it to close.
template <class Form, class... Args> void ShowLoaded(Args&&... args) {
    Form f(std::forward<Args>(args)...);
    f.load();
    f.exec();
}
} // namespace

QString ReadSchedule(Connection& db, const QDate& day) {
    const std::optional<DayText> stored = ReadDay(db, DayEntry::Schedule, day);
    if (stored)
        return stored->text;
    ScheduleReadFailed(db);
    return QString();
}

void OpenScheduleEditor(QWidget* owner, const Program& program, const QDate& day) {
    ShowLoaded<ScheduleDialog>(program, day, owner);
}

void OpenTodaySchedule(QWidget* owner, AppContext& app) {
    ShowLoaded<TodayDialog>(app, owner);
}

void OpenDiaryEditor(QWidget* owner, const Program& program, const QDate& day,
                     const QString& dayCellCaption, const QColor& dayCellColor) {
    ShowLoaded<DiaryDialog>(program, day, dayCellCaption, dayCellColor, owner);
}

void OpenWhatDay(QWidget* owner, const Program& program, const QDate& day) {
    ShowLoaded<AnniversaryDialog>(program, day, owner);
}

void OpenSearch(QWidget* owner, const Program& program) {
    SearchDialog f(program, owner);
    f.exec();
}

// ---------------------------------------------------------------- clipboard

void ScheduleClipboard::CopyOrCut(const QDate& day, bool cut) {
    Db db = OpenDB(m_program);
    if (!db)
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(ReadSchedule(*db, day));
    m_cutDay = cut ? day : QDate();
    CloseDB(*db);
}

void ScheduleClipboard::Copy(const QDate& day) {
    CopyOrCut(day, false);
}

void ScheduleClipboard::Cut(const QDate& day) {
    CopyOrCut(day, true);
}

bool ScheduleClipboard::Paste(const QDate& day) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return false;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return false;
    // A cut moved back onto its own day is no move at all: appending would double the text and
    // deleting the source would delete it. The schedule stays as it is and the cut ends.
    if (m_cutDay.isValid() && m_cutDay == day) {
        m_cutDay = QDate();
        return false;
    }
    Db db = OpenDB(m_program);
    if (!db)
        return false;
    // Whether the day has a row decides between appending and inserting; a row with an
    // empty text is appended to as well, since a second row for the day cannot be stored.
    const std::optional<DayText> stored = ReadDay(*db, DayEntry::Schedule, day);
    if (!stored) {
        ScheduleReadFailed(*db);
        return false;
    }
    const QString pasted = TrimBlanks(text);
    if (!AppendToSchedule(*db, day, pasted, stored->exists))
        return UpdateFailed();
    // A failed deletion undoes the append with it, and the cut stays pending.
    if (m_cutDay.isValid() && !DeleteDay(*db, DayEntry::Schedule, m_cutDay))
        return UpdateFailed();
    if (!CloseDB(*db))
        return false;
    m_cutDay = QDate();
    return true;
}

// ---------------------------------------------------------------- deletion

namespace {

bool DeleteDayRow(const Program& program, const QDate& day, const QString& question,
                  const QString& mainCaption, DayEntry entry) {
    if (MsgBox(question, MsgButtons::OKCancel, MsgIcon::Question, mainCaption) == MsgResult::Cancel)
        return false;
    Db db = OpenDB(program);
    if (!db)
        return false;
    if (!DeleteDay(*db, entry, day))
        return UpdateFailed();
    return CloseDB(*db);
}

} // namespace

bool DeleteSchedule(const Program& program, const QDate& day, const QString& mainCaption) {
    return DeleteDayRow(program, day, DeleteScheduleQuestion(day), mainCaption, DayEntry::Schedule);
}

bool DeleteDiary(const Program& program, const QDate& day, const QString& mainCaption) {
    return DeleteDayRow(program, day, DeleteDiaryQuestion(day), mainCaption, DayEntry::Diary);
}
