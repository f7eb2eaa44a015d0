#include "entries/ScheduleDialog.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "core/TextBoxes.h"
#include "entries/EntryLines.h"
#include "entries/EntryStore.h"
#include "entries/EntryWidgets.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

ScheduleDialog::ScheduleDialog(const Program& program, const QDate& day, QWidget* parent)
    : QDialog(parent), m_program(program), m_day(day) {
    PrepareDialog(this, "frmSchedule", QString());
    setModal(true);

    scheduleEdit = new QPlainTextEdit(this);
    scheduleEdit->setObjectName(QStringLiteral("txtSchedule"));
    scheduleEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scheduleEdit->setTabChangesFocus(true);
    scheduleEdit->setFixedSize(400, 160);

    // No default button: Enter belongs to the text.
    const OkCancelRow buttons = MakeNoDefaultOkCancelRow(this);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scheduleEdit);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(scheduleEdit, okButton);
    setTabOrder(okButton, cancelButton);
    scheduleEdit->setFocus();

    connect(okButton, &QPushButton::clicked, this, &ScheduleDialog::save);
}

void ScheduleDialog::load() {
    m_rowExisted = false;
    setWindowTitle(ScheduleCaption(m_day));
    Db db = OpenDB(m_program);
    if (!db)
        return;
    const std::optional<DayText> stored = ReadDay(*db, DayEntry::Schedule, m_day);
    if (!stored) {
        ReadFailed(*db);
        return;
    }
    if (stored->exists) {
        m_rowExisted = true;
        scheduleEdit->setPlainText(TrimBlanks(stored->text));
    }
    CloseDB(*db);
}

void ScheduleDialog::save() {
    const QString text = TypedText(scheduleEdit);
    if (text.isEmpty()) {
        WarnInput(scheduleEdit, QStringLiteral("予定を入力して下さい。"), windowTitle());
        return;
    }
    Db db = OpenDB(m_program);
    if (!db)
        return;
    // The row may have been created or removed since the window opened; the choice between
    // update and insert is made on what is stored now, inside this transaction, so that the
    // text is neither lost to an update of no row nor refused by a second row for the day.
    const std::optional<DayText> stored = ReadDay(*db, DayEntry::Schedule, m_day);
    if (!stored) {
        ReadFailed(*db);
        return;
    }
    m_rowExisted = stored->exists;
    if (!WriteDay(*db, DayEntry::Schedule, m_day, text, m_rowExisted)) {
        UpdateFailed();
        return;
    }
    if (CloseDB(*db))
        accept();
}

void ScheduleDialog::ReadFailed(Connection& db) {
    db.rollback();
    MsgBox(QStringLiteral("予定の取得に失敗しました。"), MsgButtons::OK, MsgIcon::Critical,
           windowTitle());
}

void ScheduleDialog::keyPressEvent(QKeyEvent* e) {
    if (!HandleEnterWithoutDefault(this, e))
        QDialog::keyPressEvent(e);
}
