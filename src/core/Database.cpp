// The connection pattern: one connection per operation, one transaction per connection.

#include "core/Database.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace {

// How long a statement waits for another process that holds the file before it fails.
constexpr int kBusyTimeoutMs = 500;

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

Connection::Connection(sqlite3* db, ConnectionCount count) : m_db(db), m_count(std::move(count)) {
    if (m_count)
        ++*m_count;
}

Connection::~Connection() {
    close(false);
}

std::unique_ptr<Connection> Connection::open(const QString& path, QString* why,
                                             ConnectionCount count, Begin begin) {
    const auto refuse = [why](sqlite3* db, const QString& text) {
        if (why)
            *why = db ? QString::fromUtf8(sqlite3_errmsg(db)) : text;
        return nullptr;
    };
    // Never create the file: the engine would otherwise turn a missing or empty path into a
    // new empty database.
    if (!QFileInfo(path).isFile())
        return refuse(nullptr, QStringLiteral("no database file"));
    sqlite3* db = nullptr;
    const QByteArray p = QDir::toNativeSeparators(path).toUtf8();
    // A connection is used by one thread only, so the engine's own locking per call is not
    // needed (it costs a lock and an unlock for every column of a long read).
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        refuse(db, QString());
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<Connection> c(new Connection(db, std::move(count)));
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // A file we may not write is opened read-only by the engine; that is no usable database.
    if (sqlite3_db_readonly(db, "main") != 0)
        return refuse(nullptr, QStringLiteral("the database file is read-only"));
    if (!c->execScript(begin == Begin::Immediate ? "BEGIN IMMEDIATE" : "BEGIN"))
        return refuse(nullptr, c->errorText());
    // One cheap read proves the file is a database; an empty file has no schema at all and is
    // not ours either (writing to it would turn it into one).
    Recordset rs;
    if (!rs.open(*c, QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return refuse(nullptr, c->errorText());
    if (rs.eof() || rs.integer(0) == 0)
        return refuse(nullptr, QStringLiteral("the file holds no database"));
    return c;
}

std::unique_ptr<Connection> Connection::create(const QString& path, QString* why) {
    sqlite3* db = nullptr;
    const QByteArray p = QDir::toNativeSeparators(path).toUtf8();
    if (sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        if (why)
            *why = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("cannot create");
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<Connection> c(new Connection(db, {}));
    sqlite3_extended_result_codes(db, 1);
    if (!c->execScript("BEGIN")) {
        if (why)
            *why = c->errorText();
        return nullptr;
    }
    return c;
}

void Connection::noteError() {
    if (m_db)
        m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
}

void Connection::fail() {
    noteError();
    close(false);
}

void Connection::close(bool commit) {
    if (!m_db)
        return;
    // Results die with their connection; a pending statement would also hold the file.
    for (Recordset* rs : m_recordsets)
        rs->release();
    m_recordsets.clear();
    if (commit) {
        // A commit that fails on the disk (full, an I/O error) usually ends the transaction by
        // rolling it back, so only its result tells; a transaction already gone has committed
        // nothing either.
        if (sqlite3_get_autocommit(m_db)) {
            m_lastError = QStringLiteral("no transaction to commit");
        } else if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            noteError();
            // When it left the transaction open instead: undo it.
            if (!sqlite3_get_autocommit(m_db))
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    } else if (!sqlite3_get_autocommit(m_db)) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    if (m_count)
        --*m_count;
}

void Connection::attach(Recordset* rs) {
    m_recordsets.push_back(rs);
}

void Connection::detach(Recordset* rs) {
    std::erase(m_recordsets, rs);
}

bool Connection::exec(const QString& sql, const std::vector<QVariant>& params) {
    if (!m_db)
        return false;
    sqlite3_stmt* st = nullptr;
    const QByteArray s = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, s.constData(), int(s.size()), &st, nullptr) != SQLITE_OK) {
        fail();
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
    if (!ok)
        close(false);
    return ok;
}

bool Connection::execScript(const char* sql) {
    if (!m_db)
        return false;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    fail();
    return false;
}

bool Connection::execOptional(const char* sql) {
    if (!m_db || sqlite3_exec(m_db, "SAVEPOINT optional", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_exec(m_db, "RELEASE optional", nullptr, nullptr, nullptr);
        return true;
    }
    noteError();
    const QString why = m_lastError;
    // Undo only this part; when the engine gave up the whole transaction, so do we.
    if (sqlite3_exec(m_db, "ROLLBACK TO optional", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(m_db, "RELEASE optional", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_get_autocommit(m_db))
        close(false);
    m_lastError = why;
    return false;
}

bool Connection::commit() {
    if (!m_db)
        return false;
    m_lastError.clear();
    close(true);
    return m_lastError.isEmpty();
}

void Connection::rollback() {
    close(false);
}

// ---------------------------------------------------------------- Recordset

Recordset::~Recordset() {
    close();
}

void Recordset::release() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_eof = true;
    m_conn = nullptr;
}

void Recordset::close() {
    if (m_conn)
        m_conn->detach(this);
    release();
}

bool Recordset::open(Connection& conn, const QString& sql, const std::vector<QVariant>& params) {
    close();
    if (!conn.isOpen())
        return false;
    m_conn = &conn;
    conn.attach(this);
    const QByteArray s = sql.toUtf8();
    if (sqlite3_prepare_v2(conn.handle(), s.constData(), int(s.size()), &m_stmt, nullptr) !=
            SQLITE_OK ||
        !Bind(m_stmt, params))
        return fail();
    return step();
}

bool Recordset::fail() {
    Connection* conn = m_conn;
    if (conn)
        conn->noteError();
    close();
    if (conn) {
        // A read that cost the transaction (an I/O error, say) must not leave the connection
        // running in autocommit.
        if (conn->isOpen() && sqlite3_get_autocommit(conn->handle()))
            conn->close(false);
    }
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
    return fail();
}

bool Recordset::moveNext() {
    if (!m_stmt || m_eof)
        return false;
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
    return col < 0 || m_eof || !m_stmt || sqlite3_column_type(m_stmt, col) == SQLITE_NULL;
}

QString Recordset::text(int col) const {
    if (isNull(col))
        return QString();
    return ColumnText(m_stmt, col);
}

QByteArrayView Recordset::utf8(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    if (!p)
        return {};
    return QByteArrayView(p, sqlite3_column_bytes(m_stmt, col));
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

QString DbFailureText(DbFailure failure) {
    switch (failure) {
    case DbFailure::Connect:
        return QStringLiteral("データベースへの接続に失敗しました。");
    case DbFailure::Disconnect:
        return QStringLiteral("データベースの切断に失敗しました。");
    case DbFailure::Update:
        return QStringLiteral("データの更新に失敗しました。");
    }
    return QString();
}

QString SqlDate(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QString SqlDateTime(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

char16_t Code(QChar c) {
    return c.unicode();
}
char16_t Code(char c) {
    return char16_t(uchar(c));
}

// Reads n digits at position i; -1 when one of them is not a digit.
template <class Text> int Digits(const Text& s, qsizetype i, int n) {
    int v = 0;
    for (qsizetype k = i; k < i + n; ++k) {
        const char16_t c = Code(s[k]);
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

template <class Text> QDate DateOf(const Text& s) {
    if (s.size() < 10 || Code(s[4]) != u'-' || Code(s[7]) != u'-')
        return QDate();
    return QDate(Digits(s, 0, 4), Digits(s, 5, 2), Digits(s, 8, 2));
}

template <class Text> QDateTime DateTimeOf(const Text& s, Qt::TimeSpec timeSpec) {
    const QDate d = DateOf(s);
    if (!d.isValid())
        return QDateTime();
    if (s.size() < 16)
        return QDateTime(d, QTime(0, 0), timeSpec);
    const int h = Digits(s, 11, 2);
    const int m = Digits(s, 14, 2);
    const int sec = s.size() >= 19 ? Digits(s, 17, 2) : 0;
    return QDateTime(d, QTime(h, m, sec), timeSpec);
}

} // namespace

// Stored dates are read on every month switch, so they are parsed by hand rather than through
// the general date parser.
QDate ParseSqlDate(const QString& s) {
    return DateOf(s);
}

QDateTime ParseSqlDateTime(const QString& s) {
    return DateTimeOf(s, Qt::LocalTime);
}

QDateTime ParseSqlWallClock(QByteArrayView utf8) {
    return DateTimeOf(utf8, Qt::UTC);
}
