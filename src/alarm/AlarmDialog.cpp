#include "alarm/AlarmDialog.h"

#include "alarm/Alarm.h"
#include "alarm/AlarmNotice.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/ProgramWindows.h"
#include "core/TextBoxes.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int kFieldTop = 34;
constexpr int kFieldHeight = 24;

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& r) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    return l;
}

} // namespace

AlarmDialog::AlarmDialog(const Program& program, AlarmState& alarm, QWidget* owner)
    : QDialog(owner), m_program(program), m_alarm(alarm) {
    PrepareDialog(this, "frmAlarm", QStringLiteral("ｱﾗｰﾑの設定"));

    MakeLabel(this, QStringLiteral("Label6"), QStringLiteral("設定時刻"), QRect(12, 10, 120, 20));
    yearEdit = TimeField(12, 52, 4, QStringLiteral("txtYear"));
    MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("年"),
              QRect(66, kFieldTop, 18, kFieldHeight));
    monthEdit = TimeField(86, 34, 2, QStringLiteral("txtMonth"));
    MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("月"),
              QRect(122, kFieldTop, 18, kFieldHeight));
    dayEdit = TimeField(142, 34, 2, QStringLiteral("txtDay"));
    MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("日"),
              QRect(178, kFieldTop, 18, kFieldHeight));
    hourEdit = TimeField(204, 34, 2, QStringLiteral("txtHour"));
    MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("時"),
              QRect(240, kFieldTop, 18, kFieldHeight));
    minuteEdit = TimeField(260, 34, 2, QStringLiteral("txtMinute"));
    MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("分"),
              QRect(296, kFieldTop, 18, kFieldHeight));

    detailEdit = new QPlainTextEdit(this);
    detailEdit->setObjectName(QStringLiteral("txtAlarmDetail"));
    detailEdit->setAccessibleName(QStringLiteral("アラーム詳細内容"));
    detailEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    detailEdit->setTabChangesFocus(true);
    detailEdit->setGeometry(12, 68, 306, 110);

    alarmOnButton = new QPushButton(QStringLiteral("設定"), this);
    alarmOnButton->setObjectName(QStringLiteral("cmdAlarmOn"));
    alarmOnButton->setGeometry(142, 190, 84, 28);
    alarmOffButton = new QPushButton(QStringLiteral("解除"), this);
    alarmOffButton->setObjectName(QStringLiteral("cmdAlarmOff"));
    alarmOffButton->setGeometry(234, 190, 84, 28);
    // Enter in a field moves on; it must not press a button.
    for (QPushButton* b : {alarmOnButton, alarmOffButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(alarmOnButton, &QPushButton::clicked, this, &AlarmDialog::setAlarm);
    connect(alarmOffButton, &QPushButton::clicked, this, &AlarmDialog::cancelAlarm);

    setTabOrder(yearEdit, monthEdit);
    setTabOrder(monthEdit, dayEdit);
    setTabOrder(dayEdit, hourEdit);
    setTabOrder(hourEdit, minuteEdit);
    setTabOrder(minuteEdit, detailEdit);
    setTabOrder(detailEdit, alarmOnButton);
    setTabOrder(alarmOnButton, alarmOffButton);
    setFixedSize(330, 230);

    // Esc anywhere in the dialog cancels the alarm, whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &AlarmDialog::FocusWindowChanged);
    yearEdit->setFocus();
}

QLineEdit* AlarmDialog::TimeField(int x, int width, int maxLength, const QString& name) {
    auto* t = new QLineEdit(this);
    t->setObjectName(name);
    t->setMaxLength(maxLength);
    t->setGeometry(x, kFieldTop, width, kFieldHeight);
    t->setAlignment(Qt::AlignRight);
    return t;
}

void OpenAlarmDialog(const Program& program, AlarmState& alarm, QWidget* owner, bool modal) {
    ShowOnce<AlarmDialog>(
        owner, modal, [&program, &alarm, owner] { return new AlarmDialog(program, alarm, owner); });
}

// ---------------------------------------------------------------- filling

void AlarmDialog::fillFields() {
    const std::optional<PendingAlarm>& pending = m_alarm.pending();
    const QDateTime t = pending ? pending->time : m_program.clock().now();
    yearEdit->setText(QString::number(t.date().year()));
    monthEdit->setText(QString::number(t.date().month()));
    dayEdit->setText(QString::number(t.date().day()));
    hourEdit->setText(QString::number(t.time().hour()));
    minuteEdit->setText(QString::number(t.time().minute()));
    detailEdit->setPlainText(pending ? pending->detail : QString());
    if (QLineEdit* f = qobject_cast<QLineEdit*>(focusWidget()))
        SelectAllText(f);
}

void AlarmDialog::FocusWindowChanged(QWindow* w) {
    if (IsOtherProgramWindow(w, this))
        m_refill = true;
}

bool AlarmDialog::event(QEvent* e) {
    // The fields are filled each time the dialog becomes the program's active window, not
    // when it comes back from its own message box or from another application.
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && m_refill) {
        m_refill = false;
        fillFields();
    }
    return QDialog::event(e);
}

bool AlarmDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Escape) {
            cancelAlarm();
            return true;
        }
        if (field && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            QWidget* next = field == yearEdit    ? static_cast<QWidget*>(monthEdit)
                            : field == monthEdit ? static_cast<QWidget*>(dayEdit)
                            : field == dayEdit   ? static_cast<QWidget*>(hourEdit)
                            : field == hourEdit  ? static_cast<QWidget*>(minuteEdit)
                                                 : static_cast<QWidget*>(detailEdit);
            next->setFocus(Qt::TabFocusReason);
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && field) {
        SelectAllText(field);
        // A click places the cursor after the focus has come; select again once it has.
        QTimer::singleShot(0, field, [field] { SelectAllText(field); });
    }
    return QDialog::eventFilter(watched, event);
}

void AlarmDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        cancelAlarm();
        return;
    }
    QDialog::keyPressEvent(e);
}

// ---------------------------------------------------------------- commands

bool AlarmDialog::CheckAlarmInput() {
    const AlarmInputCheck r =
        CheckAlarmFields(yearEdit->text(), monthEdit->text(), dayEdit->text(), hourEdit->text(),
                         minuteEdit->text(), TypedText(detailEdit));
    if (r.ok()) {
        m_checkedTime = r.time;
        m_checkedDetail = r.detail;
        return true;
    }
    // In the order of AlarmField; a problem of no particular field goes to the detail.
    QWidget* const fields[] = {detailEdit, yearEdit,   monthEdit, dayEdit,
                               hourEdit,   minuteEdit, detailEdit};
    QWidget* focus = fields[int(r.field)];
    WarnInput(focus, r.message, windowTitle());
    return false;
}

void AlarmDialog::setAlarm() {
    if (!CheckAlarmInput())
        return;
    Db db = OpenDB(m_program);
    if (!db) {
        close();
        return;
    }
    if (!StoreAlarm(*db, {m_checkedTime, m_checkedDetail})) {
        // Undone as a whole: the earlier alarm stays.
        MsgBox(QStringLiteral("アラームの設定に失敗しました。\r\n") + db->errorText(),
               MsgButtons::OK, MsgIcon::Critical, windowTitle());
        return;
    }
    if (CloseDB(*db))
        m_alarm.set(PendingAlarm{m_checkedTime, m_checkedDetail});
    close();
}

void AlarmDialog::cancelAlarm() {
    Db db = OpenDB(m_program);
    if (!db) {
        close();
        return;
    }
    if (!DeleteAlarmOrSay(*db, QStringLiteral("アラームの解除に失敗しました。"), windowTitle()))
        return;
    if (CloseDB(*db))
        m_alarm.set(std::nullopt);
    close();
}
