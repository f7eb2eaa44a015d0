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

    txtSchedule = new QPlainTextEdit(this);
    txtSchedule->setObjectName(QStringLiteral("txtSchedule"));
    txtSchedule->setReadOnly(true);
    txtSchedule->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSchedule->setTabChangesFocus(true);
    txtSchedule->setFixedSize(400, 160);

    chkStartup = new QCheckBox(QStringLiteral("起動時に当日の予定を表示する(&S)"), this);
    chkStartup->setObjectName(QStringLiteral("chkStartup"));
    chkStartup->setChecked(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setFixedWidth(88);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkStartup);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtSchedule);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtSchedule, chkStartup);
    setTabOrder(chkStartup, cmdOK);

    connect(chkStartup, &QCheckBox::toggled, this, &TodayDialog::setShowAtStart);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TodayDialog::load() {
    Db db = OpenDB(m_app.program());
    if (!db)
        return;
    const QString text = ReadSchedule(*db, m_app.program().clock().today());
    CloseDB(*db);
    txtSchedule->setPlainText(text);
}

void TodayDialog::setShowAtStart() {
    m_app.options().showTodayAtStart = chkStartup->isChecked();
}

void TodayDialog::done(int result) {
    saveStartUpOption();
    QDialog::done(result);
}

void TodayDialog::saveStartUpOption() {
    m_app.settings().writeOption(m_app.options(), SettingKey::StartUp);
}
