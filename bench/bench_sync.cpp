// The calendar sync against a local Radicale, measured beside a minimal client that sends the
// same requests in the same run: the server sets the floor, the figures say what is ours.
//
//   QT_QPA_PLATFORM=offscreen bench_sync [Google Benchmark options]     about a minute
//   BENCH_SYNC_LARGE=1 ...   also the 3,650-day collection: its two uploads take about half an
//                            hour on Radicale
//
// Upload: N daily schedules (365, and 3,650 with BENCH_SYNC_LARGE) from an empty collection,
// first by the minimal client (a plain QNetworkAccessManager loop sending our bodies with
// If-None-Match, kInFlight at once, the password sent up front), then by our SyncEngine, each on
// a fresh collection. Counters: both times and their ratio; the process CPU time per item of
// each (all threads; the server is another process) and our engine's own share, the
// difference; the growth of our peak memory.
//
// Nothing to do / one changed day: syncs of the collection our upload made, against the
// server's own answer times for the requests they need (one sync-collection REPORT; plus one
// PUT), sent by the minimal client right after each sync; overhead_s is the difference.
//
// Month switch: the main window's month switches on the standard bench database (as in
// bench_month) beside nothing, beside our upload of 3,650 days, and beside the minimal client's
// upload of the same (the server as busy, without our engine), all in this process and thread.
// The databases of the window and the sync are separate files: one thread never has two
// transactions at once anyway.

#include "BenchDatabase.h"
#include "BenchMain.h"
#include "DavServer.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MonthView.h"
#include "settings/AppContext.h"
#include "sync/CalDavClient.h"
#include "sync/DavXml.h"
#include "sync/SyncEngine.h"
#include "sync/SyncPlan.h"
#include "sync/SyncState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace {

// Requests on the wire at once, for both clients: the sync client's own default.
constexpr int kInFlight = 4;
constexpr int kLarge = 3650;
const QString kText = kCommonWord + QStringLiteral(" 10:00 打ち合わせ\r\n資料の準備");

std::unique_ptr<DavServer> g_server;
std::unique_ptr<QTemporaryDir> g_standard; // the month switch's database
int g_collections = 0;

QUrl NewCalendar() {
    return g_server->newCalendar(QStringLiteral("bench-%1").arg(++g_collections));
}

double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// A line of /proc/self/status in MiB ("VmRSS", "VmHWM").
double StatusMiB(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(QByteArray(key) + ':'))
            return line.mid(qsizetype(qstrlen(key)) + 1).trimmed().split(' ').value(0).toDouble() /
                   1024.0;
    }
    return 0;
}

// Starts the peak anew at the present size (Linux: "5" to clear_refs).
void ResetPeakMemory() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// ---------------------------------------------------------------- the minimal client

struct Call {
    QByteArray verb;
    QNetworkRequest request;
    QByteArray body;
};

struct Answer {
    int status = 0;
    QByteArray etag;
    QByteArray body;
    bool ok() const { return status / 100 == 2; }
};

QNetworkRequest Request(const QUrl& url) {
    QNetworkRequest r(url);
    r.setRawHeader(
        "Authorization",
        "Basic " +
            (g_server->user() + QLatin1Char(':') + g_server->password()).toUtf8().toBase64());
    return r;
}

Call Put(const QUrl& url, const QByteArray& body, const QByteArray& etag) {
    QNetworkRequest r = Request(url);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/calendar; charset=utf-8"));
    if (etag.isEmpty())
        r.setRawHeader("If-None-Match", "*");
    else
        r.setRawHeader("If-Match", etag);
    return {"PUT", r, body};
}

Call SyncReport(const QUrl& collection, const QByteArray& token) {
    QNetworkRequest r = Request(collection);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/xml; charset=utf-8"));
    r.setRawHeader("Depth", "0");
    return {"REPORT", r, DavSyncCollectionBody(token)};
}

// The minimal client's loop: keeps kInFlight of the calls on the wire until all are answered,
// from the event loop that runs meanwhile.
class Sender {
public:
    explicit Sender(std::vector<Call> calls) : m_calls(std::move(calls)) {
        answers.resize(m_calls.size());
    }
    // Ends what is still on the wire, before the answers go.
    ~Sender() { m_nam.reset(); }
    std::vector<Answer> answers;
    bool done() const { return m_answered == m_calls.size(); }
    // Runs `then` once every answer is in.
    void start(std::function<void()> then = {}) {
        m_then = std::move(then);
        launch();
    }

private:
    void launch() {
        while (m_open < kInFlight && m_next < m_calls.size()) {
            const size_t i = m_next++;
            const Call& c = m_calls[i];
            QNetworkReply* reply = m_nam->sendCustomRequest(c.request, c.verb, c.body);
            ++m_open;
            QObject::connect(reply, &QNetworkReply::finished, m_nam.get(), [this, reply, i] {
                answers[i] = {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                              reply->rawHeader("ETag"), reply->readAll()};
                reply->deleteLater();
                --m_open;
                ++m_answered;
                launch();
                if (done() && m_then)
                    m_then();
            });
        }
    }

    std::vector<Call> m_calls;
    std::unique_ptr<QNetworkAccessManager> m_nam = std::make_unique<QNetworkAccessManager>();
    std::function<void()> m_then;
    size_t m_next = 0, m_answered = 0;
    int m_open = 0;
};

// Sends every call, kInFlight at once, and waits for all answers.
std::vector<Answer> SendAll(std::vector<Call> calls) {
    Sender sender(std::move(calls));
    QEventLoop loop;
    sender.start([&loop] { loop.quit(); });
    if (!sender.done())
        loop.exec();
    return sender.answers;
}

bool AllOk(const std::vector<Answer>& answers) {
    return std::all_of(answers.begin(), answers.end(), [](const Answer& a) { return a.ok(); });
}

// ---------------------------------------------------------------- our side

// A database of `days` daily schedules up to yesterday, and our engine on it for a fresh
// collection.
struct Setup {
    TestEnv env{TestEnv::Schema::V107};
    QTemporaryDir settingsDir;
    SyncSettings settings{settingsDir.path()};
    SyncEngine engine{env.program(), settings};
    SyncAccount account;
    int days = 0;
    QDate first;

    bool prepare(int n) {
        days = n;
        first = QDate::currentDate().addDays(-n);
        const QUrl calendar = NewCalendar();
        account.url = calendar.toString();
        account.user = g_server->user();
        account.anniversaries = false;
        engine.client().setMaxInFlight(kInFlight);
        return calendar.isValid() &&
               env.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 "
                                       "FROM n WHERE i + 1 < ?) INSERT INTO T_Schedule "
                                       "SELECT date(?, '+' || i || ' days'), ? FROM n"),
                        {n, SqlDate(first), kText});
    }

    // Runs one sync to its end; false with why when it failed.
    bool sync(QString* why) {
        QEventLoop loop;
        SyncOutcome outcome;
        const auto c =
            QObject::connect(&engine, &SyncEngine::finished, &loop, [&](const SyncOutcome& o) {
                outcome = o;
                loop.quit();
            });
        engine.start(account, g_server->password());
        loop.exec();
        QObject::disconnect(c);
        *why = outcome.summary;
        return outcome.ok;
    }

    // The items recorded as agreed with the server (href -> ETag), and the sync token.
    std::map<QString, QString> rows(QString* token = nullptr, QString* hrefOfFirst = nullptr) {
        std::vector<SyncRow> list;
        CollectionState state;
        const Db db = env.program().openDatabase();
        if (!db || !ReadSyncRows(*db, list) || !ReadCollection(*db, state) || !db->commit())
            return {};
        std::map<QString, QString> out;
        for (const SyncRow& r : list) {
            out[r.href] = r.tag;
            if (hrefOfFirst && r.kind == SyncKind::Schedule && r.date == first)
                *hrefOfFirst = r.href;
        }
        if (token)
            *token = state.token;
        return out;
    }

    QUrl urlOf(const QString& href) const {
        QUrl u(account.url);
        u.setPath(href, QUrl::TolerantMode);
        return u;
    }
};

int ChangedTags(const std::map<QString, QString>& before, const std::map<QString, QString>& after) {
    int n = int(std::max(before.size(), after.size()) - std::min(before.size(), after.size()));
    for (const auto& [href, tag] : after) {
        const auto it = before.find(href);
        n += it != before.end() && it->second != tag ? 1 : 0;
    }
    return n;
}

// The bodies our engine sends for an upload of `days` days into collection.
std::vector<Call> UploadCalls(const QDate& first, int days, const QUrl& collection) {
    LocalTexts local;
    for (int i = 0; i < days; ++i)
        local.schedules[first.addDays(i)] = kText;
    SyncOptions options;
    options.scope.anniversaries = false;
    options.placing = DefaultImportOptions(QDate::currentDate());
    std::vector<Call> calls;
    for (const PushOp& op : PlanPush(local, {}, options, collection.path(QUrl::FullyEncoded),
                                     QDateTime::currentDateTime())) {
        QUrl url = collection;
        url.setPath(op.href, QUrl::TolerantMode);
        calls.push_back(Put(url, op.body, QByteArray()));
    }
    return calls;
}

// Each collection our upload made, kept for the syncs that follow, by its number of days.
std::map<int, std::unique_ptr<Setup>> g_uploaded;

struct UploadFigures {
    double seconds = 0;
    double cpuSeconds = 0;
    double peakGrowthMiB = 0;
};

// Our upload of `days` days into a fresh collection; null with why when it failed.
Setup* Upload(int days, UploadFigures& figures, QString* why) {
    auto setup = std::make_unique<Setup>();
    if (!setup->prepare(days)) {
        *why = QStringLiteral("cannot prepare the database or the collection");
        return nullptr;
    }
    ResetPeakMemory();
    const double rss = StatusMiB("VmRSS");
    const double cpu = CpuSeconds();
    QElapsedTimer t;
    t.start();
    const bool ok = setup->sync(why);
    figures.seconds = double(t.nsecsElapsed()) / 1e9;
    figures.cpuSeconds = CpuSeconds() - cpu;
    figures.peakGrowthMiB = StatusMiB("VmHWM") - rss;
    if (!ok || int(setup->rows().size()) != days) {
        why->prepend(QStringLiteral("upload: "));
        return nullptr;
    }
    return (g_uploaded[days] = std::move(setup)).get();
}

// The collection of `days` days our upload made, uploading it first when no run did.
Setup* Uploaded(int days, benchmark::State& state) {
    if (const auto it = g_uploaded.find(days); it != g_uploaded.end())
        return it->second.get();
    UploadFigures figures;
    QString why;
    Setup* s = Upload(days, figures, &why);
    if (!s)
        state.SkipWithError(qPrintable(why));
    return s;
}

// ---------------------------------------------------------------- benchmarks

void BM_InitialUpload(benchmark::State& state) {
    const int days = int(state.range(0));
    for (auto _ : state) {
        // The floor: the same PUTs from the minimal client, on a collection of its own.
        const QUrl calendar = NewCalendar();
        const std::vector<Call> calls =
            UploadCalls(QDate::currentDate().addDays(-days), days, calendar);
        const double cpu = CpuSeconds();
        QElapsedTimer t;
        t.start();
        const std::vector<Answer> answers = SendAll(calls);
        const double minimal = double(t.nsecsElapsed()) / 1e9;
        const double minimalCpu = CpuSeconds() - cpu;
        if (!calendar.isValid() || int(calls.size()) != days || !AllOk(answers)) {
            state.SkipWithError("the minimal client's upload failed");
            return;
        }
        g_uploaded.erase(days);
        UploadFigures ours;
        QString why;
        if (!Upload(days, ours, &why)) {
            state.SkipWithError(qPrintable(why));
            return;
        }
        state.SetIterationTime(ours.seconds);
        state.counters["ours_s"] = ours.seconds;
        state.counters["minimal_s"] = minimal;
        state.counters["ratio"] = ours.seconds / minimal;
        state.counters["cpu_ms_per_item"] = ours.cpuSeconds * 1000 / days;
        state.counters["minimal_cpu_ms_per_item"] = minimalCpu * 1000 / days;
        // What our engine adds to what any client on Qt Network spends.
        state.counters["own_cpu_ms_per_item"] = (ours.cpuSeconds - minimalCpu) * 1000 / days;
        state.counters["peak_growth_MiB"] = ours.peakGrowthMiB;
    }
}

// A sync with nothing to do, against one sync-collection REPORT.
void BM_SyncNothingToDo(benchmark::State& state) {
    const int days = int(state.range(0));
    Setup* s = Uploaded(days, state);
    if (!s)
        return;
    double ours = 0, server = 0, cpuTotal = 0;
    for (auto _ : state) {
        const auto before = s->rows();
        const double cpu = CpuSeconds();
        QElapsedTimer t;
        t.start();
        QString why;
        const bool ok = s->sync(&why);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        ours += seconds;
        cpuTotal += CpuSeconds() - cpu;
        QString token;
        const auto after = s->rows(&token);
        if (!ok || ChangedTags(before, after) != 0) {
            state.SkipWithError(qPrintable(QStringLiteral("sync: ") + why));
            return;
        }
        t.restart();
        const auto answers = SendAll({SyncReport(QUrl(s->account.url), token.toUtf8())});
        server += double(t.nsecsElapsed()) / 1e9;
        if (!AllOk(answers)) {
            state.SkipWithError("the minimal client's REPORT failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    const double n = double(state.iterations());
    state.counters["server_s"] = server / n;
    state.counters["overhead_s"] = (ours - server) / n;
    state.counters["cpu_ms_per_item"] = cpuTotal * 1000 / n / days;
}

// A sync that sends one changed day, against one sync-collection REPORT and one PUT.
void BM_SyncOneChangedDay(benchmark::State& state) {
    const int days = int(state.range(0));
    Setup* s = Uploaded(days, state);
    if (!s)
        return;
    double ours = 0, report = 0, put = 0;
    int round = 0;
    for (auto _ : state) {
        const QString more = QStringLiteral("\r\n追加 %1").arg(++round);
        if (!s->env.exec(
                QStringLiteral("UPDATE T_Schedule SET Schedule = Schedule || ? WHERE Date = ?"),
                {more, SqlDate(s->first)})) {
            state.SkipWithError("cannot change the day");
            return;
        }
        const auto before = s->rows();
        QElapsedTimer t;
        t.start();
        QString why;
        const bool ok = s->sync(&why);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        ours += seconds;
        QString token, href;
        const auto after = s->rows(&token, &href);
        if (!ok || ChangedTags(before, after) != 1) {
            state.SkipWithError(qPrintable(QStringLiteral("sync: ") + why));
            return;
        }
        // The same day's item written back as it stands (Radicale's ETag is of the content, so
        // our record stays true).
        const QUrl item = s->urlOf(href);
        const auto got = SendAll({{"GET", Request(item), {}}});
        t.restart();
        const auto listed = SendAll({SyncReport(QUrl(s->account.url), token.toUtf8())});
        report += double(t.nsecsElapsed()) / 1e9;
        t.restart();
        const auto written = SendAll({Put(item, got[0].body, got[0].etag)});
        put += double(t.nsecsElapsed()) / 1e9;
        if (!got[0].ok() || !AllOk(listed) || !written[0].ok() || written[0].etag != got[0].etag) {
            state.SkipWithError("the minimal client's requests failed or changed the ETag");
            return;
        }
        state.SetIterationTime(seconds);
    }
    const double n = double(state.iterations());
    state.counters["server_s"] = (report + put) / n;
    state.counters["report_s"] = report / n;
    state.counters["put_s"] = put / n;
    state.counters["overhead_s"] = (ours - report - put) / n;
}

// The upload that runs while the months switch: started once, it lasts minutes.
std::unique_ptr<Setup> g_inFlight;

// Starts it and waits until its PUTs are under way (the listing and the plan come first).
bool StartSyncInFlight() {
    if (g_inFlight)
        return g_inFlight->engine.isRunning();
    g_inFlight = std::make_unique<Setup>();
    if (!g_inFlight->prepare(kLarge))
        return false;
    SyncEngine& engine = g_inFlight->engine;
    engine.start(g_inFlight->account, g_server->password());
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!engine.isRunning() || engine.client().pending() > kInFlight)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    return engine.isRunning();
}

// The same PUTs from the minimal client: the server as busy, without our engine.
std::unique_ptr<Sender> g_minimalInFlight;

// What runs beside the month switches: nothing (0), our upload (1), the minimal client's (2).
enum Beside { Nothing, OurUpload, MinimalUpload };

// Month switches as bench_month's BM_MonthSwitch makes them, on the standard database, beside
// an upload of 3,650 days to the local Radicale in the same thread.
void BM_MonthSwitch(benchmark::State& state) {
    const auto beside = Beside(state.range(0));
    // Each upload runs only beside its own switches.
    if (beside != OurUpload && g_inFlight) {
        g_inFlight->engine.cancel();
        g_inFlight.reset();
    }
    if (beside != MinimalUpload)
        g_minimalInFlight.reset();
    if (beside == OurUpload && !StartSyncInFlight()) {
        state.SkipWithError("the sync did not get to its PUTs");
        return;
    }
    if (beside == MinimalUpload && !g_minimalInFlight) {
        g_minimalInFlight = std::make_unique<Sender>(
            UploadCalls(QDate::currentDate().addDays(-kLarge), kLarge, NewCalendar()));
        g_minimalInFlight->start();
    }
    AppContext app(g_standard->path(), g_standard->path() + QStringLiteral("/config"));
    app.settings().writeText(SettingKey::StartUp, QStringLiteral("0"));
    app.settings().writeText(SettingKey::Stationed, QStringLiteral("False"));
    MainWindow w(app);
    if (!w.start()) {
        state.SkipWithError("start-up failed");
        return;
    }
    const BenchShape shape = ShapeOf(BenchSize::Standard);
    const int months = shape.entryYears * 12;
    const int firstYear = QDate::currentDate().year() + 1 - shape.entryYears;
    const size_t recordedBefore = beside == OurUpload ? g_inFlight->rows().size() : 0;
    int i = 0;
    for (auto _ : state) {
        // Every switch is to another month, so that every one reads the database.
        const int m = i++ % months;
        w.monthView()->showMonth(firstYear + m / 12, 1 + m % 12);
        QCoreApplication::processEvents();
    }
    w.close();
    if (beside == OurUpload) {
        if (!g_inFlight->engine.isRunning())
            state.SkipWithError("the sync ended during the month switches");
        // Items the sync recorded meanwhile: it was at work all along.
        state.counters["puts_per_s"] = benchmark::Counter(
            double(g_inFlight->rows().size() - recordedBefore), benchmark::Counter::kIsRate);
    }
    if (beside == MinimalUpload && g_minimalInFlight->done())
        state.SkipWithError("the minimal client's upload ended during the month switches");
}

} // namespace

int main(int argc, char** argv) {
    QuietSizeHintWarnings();
    QApplication app(argc, argv);
    BenchSession session;
    g_server = std::make_unique<DavServer>(DavServer::Kind::Radicale);
    if (!g_server->isRunning()) {
        std::fprintf(stderr, "Radicale: %s\n", qPrintable(g_server->error()));
        return 1;
    }
    g_standard = std::make_unique<QTemporaryDir>();
    if (!BuildBenchDatabase(QDir(g_standard->path()).filePath(QStringLiteral("Vaskel.pdb")),
                            BenchSize::Standard, QDate(QDate::currentDate().year() + 1, 1, 1),
                            QDate::currentDate())) {
        std::fprintf(stderr, "cannot build the standard database\n");
        return 1;
    }
    std::vector<int64_t> sizes{365};
    if (qEnvironmentVariableIntValue("BENCH_SYNC_LARGE"))
        sizes.push_back(kLarge);
    // One upload per size and a few syncs: each takes seconds to minutes.
    const std::pair<const char*, void (*)(benchmark::State&)> syncs[] = {
        {"BM_InitialUpload", BM_InitialUpload},
        {"BM_SyncNothingToDo", BM_SyncNothingToDo},
        {"BM_SyncOneChangedDay", BM_SyncOneChangedDay}};
    for (const auto& [name, fn] : syncs) {
        auto* b = benchmark::RegisterBenchmark(name, fn)
                      ->ArgName("days")
                      ->UseManualTime()
                      ->Unit(benchmark::kMillisecond)
                      ->Iterations(fn == BM_InitialUpload ? 1 : 5);
        for (int64_t n : sizes)
            b->Arg(n);
    }
    benchmark::RegisterBenchmark("BM_MonthSwitch", BM_MonthSwitch)
        ->ArgName("upload")
        ->Arg(Nothing)
        ->Arg(OurUpload)
        ->Arg(MinimalUpload)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly();
    const int rc = RunBenchmarks(argc, argv, session.msgs);
    if (g_inFlight)
        g_inFlight->engine.cancel();
    g_inFlight.reset();
    g_minimalInFlight.reset();
    g_uploaded.clear();
    g_server.reset();
    return rc;
}
