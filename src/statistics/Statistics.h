// What the statistics window shows, computed without widgets: how regularly schedules and diary
// entries are written, and how long the program has been running per weekday and per day.
#pragma once

#include <QDate>
#include <QString>

#include <array>

class Connection;

// ---- Texts shared by the tabs

// num ÷ den × 100 with one decimal and " %" ("3.0 %"); halves round up. Worked out on whole
// numbers, so a rate never depends on how a binary fraction happens to round.
QString RateText(qint64 num, qint64 den);

// A length in whole years, months and days, from f to t, as a calendar counts it.
struct PeriodLength {
    int years = 0;
    int months = 0;
    int days = 0;
};
PeriodLength LengthBetween(const QDate& f, const QDate& t);
// "（　0年 11ヶ月 20日 間で算出　）"
QString PeriodLengthText(const QDate& f, const QDate& t);

// The number of days of weekday w (0 Sunday ... 6 Saturday) from f to t, both counted.
int WeekdayCount(const QDate& f, const QDate& t, int w);

// "8時間30分": whole hours and two-digit minutes.
QString HoursMinutesText(qint64 minutes);

// Reset texts.
inline constexpr const char16_t* kNoRate = u"---.- %";
inline constexpr const char16_t* kNoCount = u"0 回";
inline constexpr const char16_t* kNoMonth = u"----年--月";
inline constexpr const char16_t* kNoTime = u"--時間--分";
inline constexpr const char16_t* kNoDay = u"----年--月--日（－）";

// How a computation ended.
enum class StatsStatus {
    NotOpened, // the database did not open; its message has been shown, nothing changes
    Failed,    // a query failed: error holds the engine's text, the rest keeps its reset texts
    Done,
};

// ---- Schedules and diary entries

enum class EntryTable { Schedule, Diary };

// The texts of a schedule or diary tab, starting as the reset texts.
struct EntryStats {
    explicit EntryStats(EntryTable table);

    StatsStatus status = StatsStatus::NotOpened;
    QString error;

    QString average;     // overall rate
    QString betweenInfo; // the period, two lines joined by CR LF, or the empty-table message
    QString between;     // the period's length
    std::array<QString, 7> weekdayCount;
    std::array<QString, 7> weekdayAverage;
    std::array<QString, 10> bestYM;
    std::array<QString, 10> bestCnt;
    std::array<QString, 10> bestAverage;
};

// Computes a tab on an open connection. False when a query failed (db.errorText() says why);
// what was computed before stays, the rest keeps its reset texts.
bool ComputeEntryStats(Connection& db, EntryTable table, EntryStats& out);

// ---- Running time

struct BestDay {
    QDate day; // null: the slot is empty
    qint64 minutes = 0;
};

// The ten days with the longest running time. Days are offered in date order, each once with
// its whole total; a day equal to one already listed goes above it, so among equal totals the
// later day ranks higher.
class BestDays {
public:
    void offer(const QDate& day, qint64 minutes);
    const std::array<BestDay, 10>& days() const { return m_slots; }

private:
    std::array<BestDay, 10> m_slots{};
};

// The texts of the running-time tab, starting as the reset texts.
struct WorkTimeStats {
    WorkTimeStats();

    StatsStatus status = StatsStatus::NotOpened;
    QString error;

    QString average;
    QString betweenInfo;
    QString between;
    std::array<qint64, 7> weekdayMinutes{}; // totals per weekday, Sunday first
    std::array<QString, 7> weekdayWorkTime;
    std::array<QString, 7> weekdayAverage;
    std::array<BestDay, 10> best{};
    std::array<QString, 10> bestYMD;
    std::array<QString, 10> bestWorkTime;
    std::array<QString, 10> bestAverage;
};

bool ComputeWorkTimeStats(Connection& db, WorkTimeStats& out);
