// The shared module: program-wide state, the one-connection-per-operation database calls,
// and the small value, text and date helpers that every window uses.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QColor;
class QLineEdit;
class QPlainTextEdit;
struct sqlite3;
struct sqlite3_stmt;

// ---- Program-wide view state (owned by the main window, read by every dialog) ----
extern qint16 G_intYear;     // displayed year, 0 until the first draw
extern qint16 G_intMonth;    // displayed month 1-12, 0 until the first draw
extern QDate G_datSelect;    // selected date
extern qint16 G_intSelIndex; // grid cell 0-41 showing G_datSelect
extern bool G_blnEnd;        // the end of the program has been requested

// ---- Alarm state ----
extern bool G_blnAlarm;
extern QDateTime G_datTimeOfAlarm;
extern QString G_strAlarmDetail;

// ---- Program identity ----
inline constexpr const char* kAppTitle = "Vaskel";
inline constexpr const char* kDatabaseFileName = "Vaskel.pdb";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 6;

// ---- Database ----

using SqlParams = std::initializer_list<QVariant>;

// One open SQLite connection with its pending transaction.
class Connection {
public:
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file read-write, never creating it, and makes sure it really
    // is a database we can write. Returns null on any failure.
    static std::unique_ptr<Connection> open(const QString& path);

    sqlite3* handle() const { return m_db; }
    // The engine's description of the last failure on this connection.
    QString errorText() const { return m_lastError; }
    // Keeps the engine's current error text; later successful calls would clear it.
    void noteError();

    // Runs one statement with bound parameters. Fails as a whole (the engine undoes a failed
    // statement's partial effects).
    bool exec(const QString& sql, const std::vector<QVariant>& params = {});
    // Runs a batch of parameterless statements.
    bool execScript(const char* sql);

private:
    explicit Connection(sqlite3* db) : m_db(db) {}
    sqlite3* m_db = nullptr;
    QString m_lastError;
};

// A read-only, forward result of one query, read by column name.
class Recordset {
public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Opens the query on the current connection. False when it cannot be prepared or its
    // first row cannot be read; DbErrorText() then tells why.
    bool open(const QString& sql, const std::vector<QVariant>& params = {});
    bool open(Connection& conn, const QString& sql, const std::vector<QVariant>& params = {});
    void close();

    bool eof() const { return m_eof; }
    bool moveNext();
    bool moveFirst();

    int column(const char* name) const;
    bool isNull(const char* name) const;
    QString text(const char* name) const;
    qint64 integer(const char* name) const;
    double real(const char* name) const;
    QDate date(const char* name) const;
    QDateTime dateTime(const char* name) const;

    // Faster access by column index for hot loops.
    bool isNull(int col) const;
    QString text(int col) const;
    qint64 integer(int col) const;
    QDate date(int col) const;

private:
    bool step();
    bool fail();
    Connection* m_conn = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_eof = true;
};

// Opens the database beside the program and begins its transaction. Shows the connection
// message and returns false on failure.
bool OpenDB();
// Commits the transaction and closes the connection.
bool CloseDB();
// Rolls back and closes the current connection, if any, without a message.
void DiscardDB();
// Executes one action statement on the open connection; on failure shows the update message
// and rolls the whole transaction back.
bool ExecSQL(const QString& sql, SqlParams params = {});
// Executes one statement without a message or roll-back; the caller decides what to do.
bool ExecDirect(const QString& sql, SqlParams params = {});
// The schedule text of a date, or the empty text.
QString GetSchedule(const QDate& date);
// Checks the stored schema version and upgrades an older database. False: the program ends.
bool VersionUp();
// The program's schema version (1.06) and the text of the upgrade notice.
double ProgramVersion();
QString VersionUpNoticeText(double stored, double program);

// The open connection (null when none is open).
Connection* CurrentConnection();
// The engine's description of the last failure on the current connection.
QString DbErrorText();
// True while the start-up keeps its connection open for the today's-schedule window; a timer
// tick then works inside that connection instead of replacing it.
bool IsConnectionHeld();
void SetConnectionHeld(bool held);

// Date and date-time values as they are stored.
QString SqlDate(const QDate& d);
QString SqlDateTime(const QDateTime& t);
QDate ParseSqlDate(const QString& s);
QDateTime ParseSqlDateTime(const QString& s);

// ---- Value and text helpers ----

QVariant Nz(const QVariant& value, const QVariant& def);
QString QuoteSQL(const QVariant& value, qint16 mode);

// Byte width of one character in the Japanese code page: 1 for ASCII and half-width
// katakana, 2 for every other character.
int CharWidthA(char32_t c);
qint32 LenA(const QVariant& value);
QString LeftA(const QVariant& value, qint32 n);
QString RightA(const QVariant& value, qint32 n);
QString MidA(const QVariant& value, qint32 start, qint32 count);
QString PadA(const QVariant& value, quint8 alignment, qint32 width);
// Removes trailing blanks (ASCII spaces) only.
QString RTrimBlanks(const QString& s);
// A whole number written with ASCII digits only, at most maxLength of them.
bool ParseDigits(const QString& s, int maxLength, int& value);

QDate LastDayOfMonth(qint16 year, qint16 month);
// The date of year/month/day where a day beyond the month's end carries into the next month.
QDate DateSerial(int year, int month, int day);
// The Sunday on or before the 1st of the month: the first cell of the month grid.
QDate GridStart(int year, int month);

// Colours are kept as 0x00BBGGRR, red in the low byte.
QColor ColorFromBgr(quint32 bgr);
quint32 BgrFromColor(const QColor& c);
inline constexpr quint32 kHolidayRed = 0x7777FF;
inline constexpr quint32 kSaturdayBlue = 0xFF7777;
inline constexpr quint32 kOtherMonthGrey = 0xCCCCCC;
inline constexpr quint32 kWhite = 0xFFFFFF;

void SelectAllText(QLineEdit* box);
void SelectAllText(QPlainTextEdit* box);

// ---- Seams ----

// The folder that holds the program and its database (default: the executable's folder).
QString AppPath();
void SetAppPath(const QString& dir);
QString DatabasePath();

// The present time (default: the system clock).
QDateTime Now();
QDate Today();
void SetNowOverride(std::function<QDateTime()> now);
