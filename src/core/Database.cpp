// The connection pattern: one connection per operation, one transaction per connection.

#include "MsgBox.h"
#include "mdlVaskel.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

std::unique_ptr<Connection> g_conn;
bool g_connHeld = false;
// How long a statement waits for another process that holds the file before it fails.
constexpr int kBusyTimeoutMs = 500;

void DbMessage(const QString& text) {
    MsgBox(text, MsgButtons::OK, MsgIcon::Critical, QString::fromLatin1(kAppTitle));
}

bool Bind(sqlite3_stmt* st, const std::vector<QVariant>& params) {
    int i = 1;
    for (const QVariant& v : params) {
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(st, i);
        } else {
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::Short:
            case QMetaType::UShort:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(st, i, v.toLongLong());
                break;
            case QMetaType::ULongLong:
                rc = sqlite3_bind_int64(st, i, static_cast<sqlite3_int64>(v.toULongLong()));
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(st, i, v.toDouble());
                break;
            case QMetaType::QDate: {
                const QByteArray b = SqlDate(v.toDate()).toUtf8();
                rc = sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDateTime: {
                const QByteArray b = SqlDateTime(v.toDateTime()).toUtf8();
                rc = sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray b = v.toString().toUtf8();
                rc = sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            return false;
        ++i;
    }
    return true;
}

QString ColumnText(sqlite3_stmt* st, int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    if (!p)
        return QString();
    return QString::fromUtf8(p, sqlite3_column_bytes(st, col));
}

} // namespace

// ---------------------------------------------------------------- Connection

Connection::~Connection() {
    if (m_db) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
}

std::unique_ptr<Connection> Connection::open(const QString& path) {
    // Never create the file: the engine would otherwise turn a missing or empty path into a
    // new empty database.
    if (!QFileInfo(path).isFile())
        return nullptr;
    sqlite3* db = nullptr;
    const QByteArray p = QDir::toNativeSeparators(path).toUtf8();
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<Connection> c(new Connection(db));
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // A file we may not write is opened read-only by the engine; that is no usable database.
    if (sqlite3_db_readonly(db, "main") != 0)
        return nullptr;
    // One cheap read proves the file is a database; an empty file has no schema at all and is
    // not ours either (writing to it would turn it into one).
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr) != SQLITE_OK)
        return nullptr;
    const bool ok = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) > 0;
    sqlite3_finalize(st);
    if (!ok)
        return nullptr;
    return c;
}

void Connection::noteError() {
    m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
}

bool Connection::exec(const QString& sql, const std::vector<QVariant>& params) {
    sqlite3_stmt* st = nullptr;
    const QByteArray s = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, s.constData(), int(s.size()), &st, nullptr) != SQLITE_OK) {
        noteError();
        return false;
    }
    bool ok = Bind(st, params);
    if (ok) {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        ok = rc == SQLITE_DONE;
    }
    if (!ok)
        noteError();
    sqlite3_finalize(st);
    return ok;
}

bool Connection::execScript(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    noteError();
    return false;
}

// ---------------------------------------------------------------- Recordset

Recordset::~Recordset() {
    close();
}

void Recordset::close() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_eof = true;
}

bool Recordset::open(const QString& sql, const std::vector<QVariant>& params) {
    Connection* c = CurrentConnection();
    if (!c) {
        close();
        return false;
    }
    return open(*c, sql, params);
}

bool Recordset::open(Connection& conn, const QString& sql, const std::vector<QVariant>& params) {
    close();
    m_conn = &conn;
    const QByteArray s = sql.toUtf8();
    if (sqlite3_prepare_v2(conn.handle(), s.constData(), int(s.size()), &m_stmt, nullptr) !=
            SQLITE_OK ||
        !Bind(m_stmt, params))
        return fail();
    return step();
}

bool Recordset::fail() {
    if (m_conn)
        m_conn->noteError();
    close();
    return false;
}

bool Recordset::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_eof = false;
        return true;
    }
    m_eof = true;
    if (rc == SQLITE_DONE)
        return true;
    m_conn->noteError();
    return false;
}

bool Recordset::moveNext() {
    if (!m_stmt || m_eof)
        return false;
    return step();
}

bool Recordset::moveFirst() {
    if (!m_stmt)
        return false;
    sqlite3_reset(m_stmt);
    return step();
}

int Recordset::column(const char* name) const {
    if (!m_stmt)
        return -1;
    const int n = sqlite3_column_count(m_stmt);
    for (int i = 0; i < n; ++i) {
        if (sqlite3_stricmp(sqlite3_column_name(m_stmt, i), name) == 0)
            return i;
    }
    return -1;
}

bool Recordset::isNull(int col) const {
    return col < 0 || m_eof || sqlite3_column_type(m_stmt, col) == SQLITE_NULL;
}

QString Recordset::text(int col) const {
    if (isNull(col))
        return QString();
    return ColumnText(m_stmt, col);
}

qint64 Recordset::integer(int col) const {
    if (isNull(col))
        return 0;
    return sqlite3_column_int64(m_stmt, col);
}

QDate Recordset::date(int col) const {
    return ParseSqlDate(text(col));
}

bool Recordset::isNull(const char* name) const {
    return isNull(column(name));
}
QString Recordset::text(const char* name) const {
    return text(column(name));
}
qint64 Recordset::integer(const char* name) const {
    return integer(column(name));
}
double Recordset::real(const char* name) const {
    const int col = column(name);
    return isNull(col) ? 0.0 : sqlite3_column_double(m_stmt, col);
}
QDate Recordset::date(const char* name) const {
    return date(column(name));
}
QDateTime Recordset::dateTime(const char* name) const {
    return ParseSqlDateTime(text(column(name)));
}

// ---------------------------------------------------------------- module procedures

Connection* CurrentConnection() {
    return g_conn.get();
}

QString DbErrorText() {
    return g_conn ? g_conn->errorText() : QString();
}

bool IsConnectionHeld() {
    return g_connHeld && g_conn;
}
void SetConnectionHeld(bool held) {
    g_connHeld = held;
}

bool OpenDB() {
    // A connection left behind by a failed operation is discarded (its transaction undone).
    g_conn.reset();
    g_conn = Connection::open(DatabasePath());
    if (!g_conn) {
        DbMessage(QStringLiteral("データベースへの接続に失敗しました。"));
        return false;
    }
    if (!g_conn->execScript("BEGIN")) {
        g_conn.reset();
        DbMessage(QStringLiteral("データベースへの接続に失敗しました。"));
        return false;
    }
    return true;
}

bool CloseDB() {
    if (!g_conn) {
        DbMessage(QStringLiteral("データベースの切断に失敗しました。"));
        return false;
    }
    // A commit that fails must not pass for a success: the work is undone and reported.
    const bool committed = g_conn->execScript("COMMIT");
    g_conn.reset();
    if (!committed) {
        DbMessage(QStringLiteral("データベースの切断に失敗しました。"));
        return false;
    }
    return true;
}

void DiscardDB() {
    g_conn.reset();
}

bool ExecSQL(const QString& sql, SqlParams params) {
    if (g_conn && g_conn->exec(sql, std::vector<QVariant>(params)))
        return true;
    DbMessage(QStringLiteral("データの更新に失敗しました。"));
    if (g_conn && !sqlite3_get_autocommit(g_conn->handle()))
        g_conn->execScript("ROLLBACK");
    return false;
}

bool ExecDirect(const QString& sql, SqlParams params) {
    return g_conn && g_conn->exec(sql, std::vector<QVariant>(params));
}

QString GetSchedule(const QDate& date) {
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT Schedule FROM T_Schedule WHERE Date = ?"), {date})) {
        DbMessage(QStringLiteral("スケジュールの取得に失敗しました。"));
        return QString();
    }
    if (rs.eof())
        return QString();
    return rs.text(0);
}

QString SqlDate(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QString SqlDateTime(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

// Reads n digits at position i; -1 when one of them is not a digit.
int Digits(const QString& s, int i, int n) {
    int v = 0;
    for (int k = i; k < i + n; ++k) {
        const char16_t c = s.at(k).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

} // namespace

// Stored dates are read on every month switch, so they are parsed by hand rather than through
// the general date parser.
QDate ParseSqlDate(const QString& s) {
    if (s.size() < 10 || s.at(4) != QLatin1Char('-') || s.at(7) != QLatin1Char('-'))
        return QDate();
    return QDate(Digits(s, 0, 4), Digits(s, 5, 2), Digits(s, 8, 2));
}

QDateTime ParseSqlDateTime(const QString& s) {
    const QDate d = ParseSqlDate(s);
    if (!d.isValid())
        return QDateTime();
    if (s.size() < 16)
        return QDateTime(d, QTime(0, 0));
    const int h = Digits(s, 11, 2);
    const int m = Digits(s, 14, 2);
    const int sec = s.size() >= 19 ? Digits(s, 17, 2) : 0;
    return QDateTime(d, QTime(h, m, sec));
}
