#include "sync/SyncDialog.h"

#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "sync/CalDavClient.h"
#include "sync/SyncPassword.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, const char* accessible) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(QString::fromUtf8(accessible));
    return edit;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QString OutcomeText(const SyncOutcome& o) {
    if (!o.finished.isValid())
        return QStringLiteral("前回の同期: まだ同期していません");
    return QStringLiteral("前回の同期: %1 %2 %3")
        .arg(o.finished.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")),
             o.ok ? QStringLiteral("成功") : QStringLiteral("失敗"), o.summary);
}

} // namespace

SyncDialog::SyncDialog(SyncSettings& settings, SyncPassword& password, QWidget* owner)
    : QDialog(owner), m_settings(settings), m_password(password) {
    PrepareDialog(this, "frmSync", QStringLiteral("カレンダー同期"));
    makeControls();
    layOutControls();
    connect(findButton, &QPushButton::clicked, this, &SyncDialog::findCalendars);
    connect(createButton, &QPushButton::clicked, this, &SyncDialog::createCalendar);
    connect(syncNowButton, &QPushButton::clicked, this, &SyncDialog::saveAndSync);
    connect(okButton, &QPushButton::clicked, this, &SyncDialog::saveAndClose);
    connect(everyCheck, &QCheckBox::toggled, minutesBox, &QWidget::setEnabled);

    const SyncAccount a = m_settings.account();
    serverEdit->setText(a.url);
    userEdit->setText(a.user);
    scheduleCheck->setChecked(a.schedules);
    anniversaryCheck->setChecked(a.anniversaries);
    diaryCheck->setChecked(a.diaries);
    onStartCheck->setChecked(a.onStart);
    afterSaveCheck->setChecked(a.afterSave);
    everyCheck->setChecked(a.everyMinutes > 0);
    minutesBox->setValue(a.everyMinutes > 0 ? a.everyMinutes : 15);
    minutesBox->setEnabled(a.everyMinutes > 0);
    showOutcome(m_settings.lastOutcome());
    logList->addItems(m_settings.log());
    logList->scrollToBottom();
    if (a.configured()) {
        // The store outlives this window: its answer may come after the window closed.
        m_password.read(
            a.url, a.user, [self = QPointer<SyncDialog>(this)](const SyncPassword::Result& r) {
                if (!self)
                    return;
                SyncDialog* const d = self;
                if (r.status == SyncPassword::Status::Found && d->passwordEdit->text().isEmpty())
                    d->passwordEdit->setText(r.password);
            });
    }
    okButton->setDefault(true);
    serverEdit->setFocus();
}

SyncDialog::~SyncDialog() = default;

void SyncDialog::makeControls() {
    serverEdit = Edit(this, "txtServer", "サーバー");
    serverEdit->setPlaceholderText(QStringLiteral("https://example.jp/dav/"));
    serverEdit->setMinimumWidth(360);
    // Made in the order the keyboard goes through them: the address, then its button.
    findButton = Button(this, "cmdFind", "カレンダーを探す(&F)");
    userEdit = Edit(this, "txtUser", "ユーザー名");
    passwordEdit = Edit(this, "txtPassword", "パスワード");
    passwordEdit->setEchoMode(QLineEdit::Password);
    calendarCombo = new QComboBox(this);
    calendarCombo->setObjectName(QStringLiteral("cboCalendar"));
    calendarCombo->setAccessibleName(QStringLiteral("カレンダー"));
    createButton = Button(this, "cmdCreate", "新しいカレンダー(&N)");
    createButton->setEnabled(false);
    scheduleCheck = MakeCheckBox(this, "chkSchedule", "予定(&S)", true);
    anniversaryCheck = MakeCheckBox(this, "chkWhatDay", "記念日(&W)", true);
    diaryCheck = MakeCheckBox(this, "chkDiary", "日記(&D)", false);
    onStartCheck = MakeCheckBox(this, "chkOnStart", "起動時(&B)", true);
    afterSaveCheck = MakeCheckBox(this, "chkAfterSave", "保存するたび(&A)", true);
    everyCheck = MakeCheckBox(this, "chkEvery", "定期的に(&P)", true);
    minutesBox = new QSpinBox(this);
    minutesBox->setObjectName(QStringLiteral("txtMinutes"));
    minutesBox->setAccessibleName(QStringLiteral("同期の間隔（分）"));
    minutesBox->setRange(1, 24 * 60);
    minutesBox->setSuffix(QStringLiteral(" 分ごと"));
    syncNowButton = Button(this, "cmdSyncNow", "今すぐ同期(&Y)");
    lastSyncLabel = new QLabel(this);
    lastSyncLabel->setObjectName(QStringLiteral("lblLastSync"));
    logList = new QListWidget(this);
    logList->setObjectName(QStringLiteral("lstLog"));
    logList->setAccessibleName(QStringLiteral("同期の記録"));
    logList->setMinimumHeight(140);
}

void SyncDialog::layOutControls() {
    auto* server = new QGroupBox(QStringLiteral("サーバー"), this);
    server->setObjectName(QStringLiteral("fraServer"));
    auto* form = new QFormLayout(server);
    auto* address = new QHBoxLayout;
    address->addWidget(serverEdit, 1);
    address->addWidget(findButton);
    form->addRow(QStringLiteral("アドレス"), address);
    form->addRow(QStringLiteral("ユーザー名"), userEdit);
    form->addRow(QStringLiteral("パスワード"), passwordEdit);
    auto* calendar = new QHBoxLayout;
    calendar->addWidget(calendarCombo, 1);
    calendar->addWidget(createButton);
    form->addRow(QStringLiteral("カレンダー"), calendar);

    auto* what = new QGroupBox(QStringLiteral("同期する内容"), this);
    what->setObjectName(QStringLiteral("fraContents"));
    auto* whatRow = new QHBoxLayout(what);
    for (QWidget* w : {scheduleCheck, anniversaryCheck, diaryCheck})
        whatRow->addWidget(w);
    whatRow->addStretch();

    auto* when = new QGroupBox(QStringLiteral("同期する時"), this);
    when->setObjectName(QStringLiteral("fraWhen"));
    auto* whenRow = new QHBoxLayout(when);
    for (QWidget* w : {static_cast<QWidget*>(onStartCheck), static_cast<QWidget*>(afterSaveCheck),
                       static_cast<QWidget*>(everyCheck), static_cast<QWidget*>(minutesBox)})
        whenRow->addWidget(w);
    whenRow->addStretch();

    auto* state = new QGroupBox(QStringLiteral("同期の記録"), this);
    state->setObjectName(QStringLiteral("fraLog"));
    auto* stateBox = new QGridLayout(state);
    stateBox->addWidget(lastSyncLabel, 0, 0);
    stateBox->addWidget(syncNowButton, 0, 1);
    stateBox->addWidget(logList, 1, 0, 1, 2);
    stateBox->setColumnStretch(0, 1);

    const OkCancelRow buttons = MakeOkCancelRow(this, "OKButton", "CancelButton");
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    auto* main = new QVBoxLayout(this);
    main->addWidget(server);
    main->addWidget(what);
    main->addWidget(when);
    main->addWidget(state, 1);
    main->addLayout(buttons.row);
}

CalDavClient& SyncDialog::client() {
    if (!m_client)
        m_client = new CalDavClient(this);
    m_client->setCredentials(userEdit->text(), passwordEdit->text());
    return *m_client;
}

void SyncDialog::setBusy(bool busy) {
    for (QWidget* w : {static_cast<QWidget*>(findButton), static_cast<QWidget*>(okButton),
                       static_cast<QWidget*>(serverEdit)})
        w->setEnabled(!busy);
    createButton->setEnabled(!busy && !m_home.isEmpty());
    syncNowButton->setEnabled(!busy && !m_running);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void SyncDialog::findCalendars() {
    const QUrl start = QUrl::fromUserInput(serverEdit->text().trimmed());
    if (serverEdit->text().trimmed().isEmpty() || !start.isValid() ||
        (start.scheme() != QLatin1String("http") && start.scheme() != QLatin1String("https"))) {
        WarnInput(serverEdit,
                  QStringLiteral("サーバーのアドレスを http:// か https:// で入力して下さい。"),
                  windowTitle());
        return;
    }
    setBusy(true);
    client().discover(start, [this](const DavDiscovery& found) {
        setBusy(false);
        if (!found.ok()) {
            MsgBox(QStringLiteral("カレンダーを探せませんでした。\r\n") + found.message,
                   MsgButtons::OK, MsgIcon::Critical, windowTitle());
            FocusAfterMessage(serverEdit);
            return;
        }
        showCalendars(found);
    });
}

void SyncDialog::showCalendars(const DavDiscovery& found) {
    m_home = found.home;
    const QString current = m_settings.account().url;
    calendarCombo->clear();
    for (const DavCalendar& c : found.calendars) {
        // Our journals go to the diary's calendar too; a calendar without events is no use.
        if (!c.events)
            continue;
        const QString url = c.url.toString();
        calendarCombo->addItem(
            c.displayName.isEmpty() ? url : QStringLiteral("%1 (%2)").arg(c.displayName, url), url);
        if (url == current)
            calendarCombo->setCurrentIndex(calendarCombo->count() - 1);
    }
    createButton->setEnabled(!m_home.isEmpty());
    if (calendarCombo->count() == 0) {
        MsgBox(
            QStringLiteral("予定を置けるカレンダーがありません。新しいカレンダーを作って下さい。"),
            MsgButtons::OK, MsgIcon::Information, windowTitle());
        FocusAfterMessage(m_home.isEmpty() ? static_cast<QWidget*>(serverEdit) : createButton);
        return;
    }
    calendarCombo->setFocus();
}

void SyncDialog::createCalendar() {
    if (m_home.isEmpty())
        return;
    setBusy(true);
    client().createCalendar(m_home, QStringLiteral("Vaskel"), [this](const DavCalendarResult& r) {
        setBusy(false);
        if (r.calendar.url.isEmpty()) {
            MsgBox(QStringLiteral("カレンダーを作れませんでした。\r\n") + r.message, MsgButtons::OK,
                   MsgIcon::Critical, windowTitle());
            FocusAfterMessage(createButton);
            return;
        }
        const QString url = r.calendar.url.toString();
        calendarCombo->addItem(QStringLiteral("Vaskel (%1)").arg(url), url);
        calendarCombo->setCurrentIndex(calendarCombo->count() - 1);
        calendarCombo->setFocus();
    });
}

SyncAccount SyncDialog::accountOfControls() const {
    SyncAccount a;
    // The calendar chosen in the list, or the address as typed (a calendar's own address, or
    // one the sync finds the calendar from).
    a.url = calendarCombo->currentIndex() >= 0 ? calendarCombo->currentData().toString()
                                               : serverEdit->text().trimmed();
    a.user = userEdit->text();
    a.schedules = scheduleCheck->isChecked();
    a.anniversaries = anniversaryCheck->isChecked();
    a.diaries = diaryCheck->isChecked();
    a.onStart = onStartCheck->isChecked();
    a.afterSave = afterSaveCheck->isChecked();
    a.everyMinutes = everyCheck->isChecked() ? minutesBox->value() : 0;
    return a;
}

bool SyncDialog::checkInput() {
    const QString text = serverEdit->text().trimmed();
    const QUrl url = QUrl::fromUserInput(text);
    if (text.isEmpty() || !url.isValid() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        WarnInput(serverEdit,
                  QStringLiteral("サーバーのアドレスを http:// か https:// で入力して下さい。"),
                  windowTitle());
        return false;
    }
    if (!scheduleCheck->isChecked() && !anniversaryCheck->isChecked() && !diaryCheck->isChecked()) {
        WarnInput(scheduleCheck, QStringLiteral("同期する内容を選択して下さい。"), windowTitle());
        return false;
    }
    return true;
}

void SyncDialog::save(std::function<void()> then) {
    const SyncAccount a = accountOfControls();
    if (!m_settings.setAccount(a)) {
        MsgBox(QStringLiteral("同期の設定を保存できませんでした。\r\n") + m_settings.filePath(),
               MsgButtons::OK, MsgIcon::Critical, windowTitle());
        return;
    }
    const QString password = passwordEdit->text();
    if (password.isEmpty()) {
        emit accountSaved(a, password);
        then();
        return;
    }
    setBusy(true);
    // Said once a run: from then on the store is known to be missing.
    const bool toldAlready = m_password.storeMissing();
    m_password.write(
        a.url, a.user, password,
        [self = QPointer<SyncDialog>(this), a, password, then,
         toldAlready](const SyncPassword::Result& r) {
            if (!self)
                return;
            self->setBusy(false);
            if (r.status == SyncPassword::Status::NoStore && !toldAlready) {
                const QString line = QStringLiteral(
                    "パスワードを保存する場所がないため、終了するまでの間だけ記憶します。");
                self->m_settings.appendLog({line});
                self->appendLog({line});
            }
            emit self->accountSaved(a, password);
            then();
        });
}

void SyncDialog::saveAndClose() {
    if (checkInput())
        save([this] { accept(); });
}

void SyncDialog::saveAndSync() {
    if (checkInput())
        save([this] { emit syncNowRequested(); });
}

void SyncDialog::setSyncRunning(bool running) {
    m_running = running;
    syncNowButton->setEnabled(!running);
    if (running)
        lastSyncLabel->setText(QStringLiteral("同期しています..."));
}

void SyncDialog::showOutcome(const SyncOutcome& outcome) {
    lastSyncLabel->setText(OutcomeText(outcome));
}

void SyncDialog::appendLog(const QStringList& lines) {
    logList->addItems(lines);
    logList->scrollToBottom();
}
