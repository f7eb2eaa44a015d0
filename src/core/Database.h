// The database: one owned connection per operation, its one transaction, its results, and
// dates and date-times as they are stored.
#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

using SqlParams = std::initializer_list<QVariant>;
class Recordset;
// A count of open connections that the connections themselves keep: one more while each is open.
using ConnectionCount = std::shared_ptr<int>;
// How a transaction begins. A reader that may write later begins Deferred; work that reads and
// then writes while other processes may write begins Immediate: it takes the write lock at
// once, waiting for it, where a later upgrade would fail at once when another commits.
enum class Begin { Deferred, Immediate };

// One connection to the database file and its one transaction. Opening begins the transaction;
// only commit() makes the work permanent. A failed statement, rollback() or destruction undoes
// all of it and closes the connection, so nothing can ever commit after a failure.
class Connection {
public:
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file read-write, never creating it, makes sure it really is a
    // database we can write, and begins the transaction. Null on any failure; why (when given)
    // then holds the engine's text. count, when given, counts the connection while it is open.
    static std::unique_ptr<Connection> open(const QString& path, QString* why = nullptr,
                                            ConnectionCount count = {},
                                            Begin begin = Begin::Deferred);
    // Creates a new database file and begins its transaction (the new-database tool).
    static std::unique_ptr<Connection> create(const QString& path, QString* why = nullptr);

    bool isOpen() const { return m_db != nullptr; }
    // The engine's description of the last failure on this connection (kept after closing).
    QString errorText() const { return m_lastError; }

    // Runs one statement with bound parameters. On failure the whole transaction is rolled
    // back and the connection closed.
    bool exec(const QString& sql, const std::vector<QVariant>& params = {});
    // Runs a batch of parameterless statements, with the same failure rule.
    bool execScript(const char* sql);
    // Runs a batch inside a savepoint: its failure undoes only its own part and leaves the
    // transaction usable (unless the engine gave up the whole transaction).
    bool execOptional(const char* sql);
    // Commits and closes. False (and everything undone) when the commit failed or the
    // connection was already closed.
    bool commit();
    // Undoes everything and closes; nothing happens on a closed connection.
    void rollback();

    sqlite3* handle() const { return m_db; }

private:
    friend class Recordset;
    Connection(sqlite3* db, ConnectionCount count);
    // Keeps the engine's current error text; later successful calls would clear it.
    void noteError();
    // After a failed statement: the engine may already have abandoned the transaction, and a
    // later statement would then commit on its own. Roll back and close in every case.
    void fail();
    void close(bool commit);
    void attach(Recordset* rs);
    void detach(Recordset* rs);

    sqlite3* m_db = nullptr;
    ConnectionCount m_count;
    QString m_lastError;
    std::vector<Recordset*> m_recordsets;
};

using Db = std::unique_ptr<Connection>;

// A read-only, forward result of one query, read by column name. It belongs to its connection:
// when the connection closes, the result closes with it.
class Recordset {
public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Opens the query. False when it cannot be prepared or its first row cannot be read; the
    // connection's errorText() then tells why. A failed read leaves the transaction usable
    // unless the engine abandoned it (then the connection is closed).
    bool open(Connection& conn, const QString& sql, const std::vector<QVariant>& params = {});
    void close();

    bool eof() const { return m_eof; }
    bool moveNext();

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
    // The column's UTF-8 bytes without a conversion, valid until the next move; empty for NULL.
    QByteArrayView utf8(int col) const;
    qint64 integer(int col) const;
    QDate date(int col) const;

private:
    friend class Connection;
    bool step();
    bool fail();
    void release();
    Connection* m_conn = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_eof = true;
};

// The failures of the connection pattern that the user is told of, and their texts.
enum class DbFailure { Connect, Disconnect, Update };
QString DbFailureText(DbFailure failure);

// Date and date-time values as they are stored.
QString SqlDate(const QDate& d);
QString SqlDateTime(const QDateTime& t);
QDate ParseSqlDate(const QString& s);
QDateTime ParseSqlDateTime(const QString& s);
// A stored date-time from the engine's bytes, held as UTC: the wall-clock time it is, with no
// time-zone lookup (reading the whole running-time log makes hundreds of thousands of them).
// Only its date and time of day are meant to be used.
QDateTime ParseSqlWallClock(QByteArrayView utf8);
