#include "entries/TodayDialog.h"

#include "entries/EntryCommands.h"

#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/ProgramWindows.h"
#include "settings/AppContext.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TodayDialog::TodayDialog(AppContext& app, QWidget* parent) : QDialog(parent), m_app(app) {
    PrepareDialog(this, "frmToday", QStringLiteral("今日の予定"));
    setModal(true);

    scheduleEdit = new QPlainTextEdit(this);
    scheduleEdit->setObjectName(QStringLiteral("txtSchedule"));
    scheduleEdit->setReadOnly(true);
    scheduleEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scheduleEdit->setTabChangesFocus(true);
    scheduleEdit->setFixedSize(400, 160);

    startupCheck = new QCheckBox(QStringLiteral("起動時に当日の予定を表示する(&S)"), this);
    startupCheck->setObjectName(QStringLiteral("chkStartup"));
    startupCheck->setChecked(true);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setDefault(true);
    okButton->setFixedWidth(88);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(startupCheck);
    bottom->addStretch();
    bottom->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scheduleEdit);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(scheduleEdit, startupCheck);
    setTabOrder(startupCheck, okButton);

    connect(startupCheck, &QCheckBox::toggled, this, &TodayDialog::setShowAtStart);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TodayDialog::load() {
    Db db = OpenDB(m_app.program());
    if (!db)
        return;
    const QString text = ReadSchedule(*db, m_app.program().clock().today());
    CloseDB(*db);
    scheduleEdit->setPlainText(text);
}

void TodayDialog::setShowAtStart() {
    m_app.options().showTodayAtStart = startupCheck->isChecked();
}

void TodayDialog::done(int result) {
    saveStartUpOption();
    QDialog::done(result);
}

void TodayDialog::saveStartUpOption() {
    m_app.settings().writeOption(m_app.options(), SettingKey::StartUp);
}
