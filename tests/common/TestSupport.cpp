#include "TestSupport.h"

#include "core/Database.h"
#include "core/NewDatabase.h"
#include "core/Program.h"
#include "holidays/HolidayRules.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

struct RawDb {
    sqlite3* db = nullptr;
    explicit RawDb(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~RawDb() { sqlite3_close(db); }
    sqlite3_stmt* prepare(const QString& sql, const std::vector<QVariant>& params) const {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            qWarning("prepare failed: %s: %s", qPrintable(sql), sqlite3_errmsg(db));
            return nullptr;
        }
        int i = 1;
        for (const QVariant& v : params) {
            if (v.isNull())
                sqlite3_bind_null(st, i);
            else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
                sqlite3_bind_int64(st, i, v.toLongLong());
            else if (v.typeId() == QMetaType::Double)
                sqlite3_bind_double(st, i, v.toDouble());
            else if (v.typeId() == QMetaType::QDate)
                sqlite3_bind_text(st, i, SqlDate(v.toDate()).toUtf8().constData(), -1,
                                  SQLITE_TRANSIENT);
            else if (v.typeId() == QMetaType::QDateTime)
                sqlite3_bind_text(st, i, SqlDateTime(v.toDateTime()).toUtf8().constData(), -1,
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_text(st, i, v.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
            ++i;
        }
        return st;
    }
};

} // namespace

MsgRecorder::MsgRecorder() {
    SetMsgBoxHook([this](const MsgRecord& r) {
        messages.push_back(r);
        if (answers.empty())
            return MsgResult::OK;
        const MsgResult a = answers.front();
        answers.pop_front();
        return a;
    });
}

MsgRecorder::~MsgRecorder() {
    SetMsgBoxHook({});
}

QStringList MsgRecorder::texts() const {
    QStringList out;
    for (const MsgRecord& r : messages)
        out << r.text;
    return out;
}

TestEnv::TestEnv(Schema schema) : m_app(m_dir.path(), m_dir.path() + QStringLiteral("/config")) {
    if (schema != Schema::None) {
        QString error;
        // A database of an older version holds the rule table its tool wrote.
        if (!CreateTestDatabase(dbPath(), &error, schema != Schema::V107))
            qFatal("cannot create the test database: %s", qPrintable(error));
        if (!MakeSchema(dbPath(), schema))
            qFatal("cannot upgrade the test database");
    }
}

TestEnv::~TestEnv() = default;

QString TestEnv::dbPath() const {
    return QDir(m_dir.path()).filePath(QStringLiteral("Vaskel.pdb"));
}

QString TestEnv::settingsFile() const {
    return m_dir.path() + QStringLiteral("/config/Vaskel/Vaskel.ini");
}

bool TestEnv::exec(const QString& sql, const std::vector<QVariant>& params) const {
    RawDb raw(dbPath());
    sqlite3_stmt* st = raw.prepare(sql, params);
    if (!st)
        return false;
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        qWarning("exec failed: %s: %s", qPrintable(sql), sqlite3_errmsg(raw.db));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

QStringList TestEnv::column(const QString& sql, const std::vector<QVariant>& params) const {
    RawDb raw(dbPath());
    QStringList out;
    sqlite3_stmt* st = raw.prepare(sql, params);
    if (!st)
        return out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        out << (p ? QString::fromUtf8(p) : QString());
    }
    sqlite3_finalize(st);
    return out;
}

QString TestEnv::scalar(const QString& sql, const std::vector<QVariant>& params) const {
    const QStringList c = column(sql, params);
    return c.isEmpty() ? QString() : c.first();
}

int TestEnv::count(const QString& table) const {
    return scalar(QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

bool TestEnv::tableExists(const QString& name) const {
    return scalar(
               QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?"),
               {name}) == QLatin1String("1");
}

bool TestEnv::indexExists(const QString& name) const {
    return scalar(
               QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index' AND name=?"),
               {name}) == QLatin1String("1");
}

ClockOverride::ClockOverride(Program& program, const QDateTime& t)
    : m_program(program), m_now(std::make_shared<QDateTime>(t)) {
    auto now = m_now;
    m_program.clock().setSource([now] { return *now; });
}

ClockOverride::~ClockOverride() {
    m_program.clock().setSource({});
}

bool CreateTestDatabase(const QString& path, QString* error, bool legacyHolidays) {
    const auto seed = [legacyHolidays](Connection& db) {
        return InsertHolidayRules(db, legacyHolidays ? LegacyDefaultHolidayRules()
                                                     : DefaultHolidayRules());
    };
    return CreateNewDatabase(path, seed, error);
}

bool MakeSchema(const QString& path, TestEnv::Schema schema) {
    const char* sql = nullptr;
    switch (schema) {
    case TestEnv::Schema::V100:
    case TestEnv::Schema::None:
        return true;
    case TestEnv::Schema::V103:
        sql = "CREATE TABLE T_Version (ver SINGLE); INSERT INTO T_Version (ver) VALUES (1.03);"
              "CREATE TABLE T_WorkTime (StartTime DATE, EndTime DATE);"
              "CREATE INDEX StartEndTime ON T_WorkTime (StartTime, EndTime);";
        break;
    case TestEnv::Schema::V106:
        sql = "CREATE TABLE T_Version (ver SINGLE); INSERT INTO T_Version (ver) VALUES (1.06);"
              "CREATE TABLE T_WorkTime (StartTime DATE, EndTime DATE);"
              "CREATE INDEX StartEndTime ON T_WorkTime (StartTime, EndTime);"
              "CREATE TABLE T_Alarm (AlarmTime DATE, AlarmDetail LONGTEXT);";
        break;
    case TestEnv::Schema::V107:
        sql = "CREATE TABLE T_Version (ver SINGLE); INSERT INTO T_Version (ver) VALUES (1.07);"
              "CREATE TABLE T_WorkTime (StartTime DATE, EndTime DATE);"
              "CREATE INDEX StartEndTime ON T_WorkTime (StartTime, EndTime);"
              "CREATE TABLE T_Alarm (AlarmTime DATE, AlarmDetail LONGTEXT);";
        break;
    }
    RawDb raw(path);
    return sqlite3_exec(raw.db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}
