#include "mainwindow/MainSync.h"

#include "settings/AppContext.h"
#include "sync/SyncDialog.h"
#include "sync/SyncEngine.h"
#include "sync/SyncPassword.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace {

// A change here is sent a little later, so that a few edits in a row make one sync.
constexpr int kAfterSaveDelayMs = 3000;

QString NeedPassword() {
    return QStringLiteral("同期のパスワードが必要です。設定の「カレンダー同期」で入力して下さい。");
}

} // namespace

MainSync::MainSync(AppContext& app, QWidget* window)
    : QObject(window), m_app(app), m_window(window),
      m_settings(QFileInfo(app.settings().filePath()).absolutePath()),
      m_password(new SyncPassword(QStringLiteral("Vaskel"), this)),
      m_engine(new SyncEngine(app.program(), m_settings, this)), m_every(new QTimer(this)),
      m_afterSave(new QTimer(this)) {
    m_afterSave->setSingleShot(true);
    m_afterSave->setInterval(kAfterSaveDelayMs);
    connect(m_afterSave, &QTimer::timeout, this, &MainSync::syncNow);
    connect(m_every, &QTimer::timeout, this, &MainSync::syncNow);
    connect(m_engine, &SyncEngine::localChanged, this, &MainSync::localChanged);
    connect(m_engine, &SyncEngine::started, this,
            [this] { emit statusLine(QStringLiteral("カレンダーを同期しています...")); });
    connect(m_engine, &SyncEngine::finished, this, [this](const SyncOutcome& o) {
        emit statusLine(o.ok ? QStringLiteral("同期しました（%1）").arg(o.summary)
                             : QStringLiteral("同期できませんでした: %1").arg(o.summary));
    });
    applyAccount(m_settings.account());
}

MainSync::~MainSync() = default;

void MainSync::applyAccount(const SyncAccount& account) {
    m_account = account;
    if (account.configured() && account.everyMinutes > 0)
        m_every->start(account.everyMinutes * 60 * 1000);
    else
        m_every->stop();
}

void MainSync::programStarted() {
    if (m_account.configured() && m_account.onStart)
        syncNow();
}

void MainSync::entriesChanged() {
    if (m_account.configured() && m_account.afterSave)
        m_afterSave->start();
}

// The password is read from the store each time: the set-up window may have changed it.
void MainSync::syncNow() {
    if (!m_account.configured())
        return;
    const SyncAccount account = m_account;
    m_password->read(account.url, account.user, [this, account](const SyncPassword::Result& r) {
        if (r.status == SyncPassword::Status::NoStore && !account.user.isEmpty() &&
            !m_askedPassword)
            return askPassword(account);
        if (r.status != SyncPassword::Status::Found && !account.user.isEmpty()) {
            emit statusLine(NeedPassword());
            return;
        }
        m_engine->start(account, r.password);
    });
}

// Without a secret store the password lives in memory for the run: asked at the first sync,
// once, so that a run whose user closed the question is not asked again and again.
void MainSync::askPassword(const SyncAccount& account) {
    m_askedPassword = true;
    auto* d = new QInputDialog(m_window);
    d->setObjectName(QStringLiteral("frmSyncPassword"));
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setWindowModality(Qt::NonModal);
    d->setWindowTitle(QStringLiteral("カレンダー同期"));
    d->setLabelText(QStringLiteral("%1 さんのパスワード（%2）:\n"
                                   "パスワードの保管場所がないため、終了するまでの間だけ覚えます。")
                        .arg(account.user, QUrl(account.url).host()));
    d->setTextEchoMode(QLineEdit::Password);
    d->setOkButtonText(QStringLiteral("OK"));
    d->setCancelButtonText(QStringLiteral("ｷｬﾝｾﾙ"));
    connect(d, &QInputDialog::textValueSelected, this, [this, account](const QString& password) {
        m_password->write(account.url, account.user, password,
                          [this, account, password](const SyncPassword::Result&) {
                              m_engine->start(account, password);
                          });
    });
    connect(d, &QDialog::rejected, this, [this] { emit statusLine(NeedPassword()); });
    d->show();
}

void MainSync::openSetup() {
    auto* d = new SyncDialog(m_settings, *m_password, m_window);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setSyncRunning(m_engine->isRunning());
    connect(d, &SyncDialog::accountSaved, this,
            [this](const SyncAccount& a, const QString&) { applyAccount(a); });
    connect(d, &SyncDialog::syncNowRequested, this, &MainSync::syncNow);
    connect(m_engine, &SyncEngine::started, d, [d] { d->setSyncRunning(true); });
    connect(m_engine, &SyncEngine::logged, d, &SyncDialog::appendLog);
    connect(m_engine, &SyncEngine::finished, d, [d](const SyncOutcome& o) {
        d->setSyncRunning(false);
        d->showOutcome(o);
    });
    d->open();
}
