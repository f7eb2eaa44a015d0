#include "entries/AnniversaryDialog.h"

#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/LineOrder.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "core/SortedLineItem.h"
#include "core/TextBoxes.h"
#include "entries/EntryLines.h"
#include "entries/EntryStore.h"
#include "entries/EntryWidgets.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

AnniversaryDialog::AnniversaryDialog(const Program& program, const QDate& day, QWidget* parent)
    : QDialog(parent), m_program(program), m_day(day) {
    PrepareDialog(this, "frmWhatDay", QStringLiteral("What Day"));
    setModal(true);

    MakeMonthLists();
    QHBoxLayout* boxes = MakeEntryBoxes();

    cmdAdd = new QPushButton(QStringLiteral("追加"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdDel = new QPushButton(QStringLiteral("削除"), this);
    cmdDel->setObjectName(QStringLiteral("cmdDel"));
    cmdDel->setEnabled(false);
    OKButton = new QPushButton(QStringLiteral("閉じる"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    for (QPushButton* b : {cmdAdd, cmdDel, OKButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setFixedWidth(88);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdDel);
    buttons->addStretch();
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabWhatDay);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtMonth, txtDay);
    setTabOrder(txtDay, txtWhatDay);
    setTabOrder(txtWhatDay, cmdAdd);
    setTabOrder(cmdAdd, cmdDel);
    setTabOrder(cmdDel, OKButton);
    setTabOrder(OKButton, tabWhatDay);
    txtMonth->setFocus();

    connect(cmdAdd, &QPushButton::clicked, this, &AnniversaryDialog::addEntry);
    connect(cmdDel, &QPushButton::clicked, this, &AnniversaryDialog::deleteEntry);
    // OK only closes: every change has been committed when it was made.
    connect(OKButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(tabWhatDay, &QTabWidget::currentChanged, this, &AnniversaryDialog::focusMonthBox);

    // The window sees the keys before its controls (Ctrl+F1 ... Ctrl+F12 wherever the focus is).
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void AnniversaryDialog::MakeMonthLists() {
    tabWhatDay = new QTabWidget(this);
    tabWhatDay->setObjectName(QStringLiteral("tabWhatDay"));
    tabWhatDay->setFixedSize(420, 260);
    tabWhatDay->setUsesScrollButtons(false);
    tabWhatDay->tabBar()->setExpanding(true);
    for (int i = 0; i < 12; ++i) {
        auto* list = new QListWidget(tabWhatDay);
        list->setObjectName(QStringLiteral("lstWhatday%1").arg(i));
        list->setFont(FixedPitchFont());
        list->setSortingEnabled(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        lstWhatday[size_t(i)] = list;
        tabWhatDay->addTab(list, QString::number(i + 1));
        connect(list, &QListWidget::itemClicked, this,
                [this, i](QListWidgetItem* item) { pickEntry(i, item); });
        // Enter on a line picks it as a click does.
        connect(list, &QListWidget::itemActivated, this,
                [this, i](QListWidgetItem* item) { pickEntry(i, item); });
    }
}

QHBoxLayout* AnniversaryDialog::MakeEntryBoxes() {
    txtMonth = new QLineEdit(this);
    txtMonth->setObjectName(QStringLiteral("txtMonth"));
    txtMonth->setAlignment(Qt::AlignRight);
    txtMonth->setMaxLength(2);
    txtMonth->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtMonth->setFixedWidth(40);
    lblMonth = new QLabel(QStringLiteral("月"), this);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    txtDay = new QLineEdit(this);
    txtDay->setObjectName(QStringLiteral("txtDay"));
    txtDay->setAlignment(Qt::AlignRight);
    txtDay->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtDay->setFixedWidth(40);
    lblDay = new QLabel(QStringLiteral("日"), this);
    lblDay->setObjectName(QStringLiteral("lblDay"));
    txtWhatDay = new QLineEdit(this);
    txtWhatDay->setObjectName(QStringLiteral("txtWhatDay"));
    txtWhatDay->setMaxLength(50);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(txtMonth);
    boxes->addWidget(lblMonth);
    boxes->addWidget(txtDay);
    boxes->addWidget(lblDay);
    boxes->addWidget(txtWhatDay, 1);
    return boxes;
}

void AnniversaryDialog::Warn(const QString& text) {
    MsgBox(text, MsgButtons::OK, MsgIcon::Warning, windowTitle());
}

void AnniversaryDialog::LoadFailed(Connection& db) {
    for (QListWidget* list : lstWhatday)
        list->clear();
    const QString why = db.errorText();
    db.rollback();
    MsgBox(why, MsgButtons::OK, MsgIcon::Critical, windowTitle());
}

void AnniversaryDialog::load() {
    for (QListWidget* list : lstWhatday)
        list->clear();
    Db db = OpenDB(m_program);
    if (!db)
        return;
    std::vector<Anniversary> stored;
    if (!ReadAnniversaries(*db, stored)) {
        // Half-filled lists would hide stored entries: show none and say why.
        LoadFailed(*db);
        return;
    }
    for (const Anniversary& a : stored) {
        // A row of no month has no list to go to.
        if (a.month >= 1 && a.month <= 12)
            AddLine(a.month, a.day, a.text);
    }
    if (!CloseDB(*db))
        return;
    tabWhatDay->setCurrentIndex(m_day.month() - 1);
    txtMonth->setText(QString::number(m_day.month()));
    txtDay->setText(QString::number(m_day.day()));
}

void AnniversaryDialog::AddLine(int month, int day, const QString& text) {
    auto* item = new SortedLineItem(WhatDayLine(day, text));
    item->setData(kDayRole, day);
    item->setData(kTextRole, text);
    lstWhatday[size_t(month - 1)]->addItem(item);
    tabWhatDay->setCurrentIndex(month - 1);
}

void AnniversaryDialog::ClearBoxes() {
    for (QLineEdit* box : {txtMonth, txtDay, txtWhatDay})
        box->clear();
    m_tagMonth.clear();
    m_tagDay.clear();
    m_tagWhatDay.clear();
    cmdDel->setEnabled(false);
}

bool AnniversaryDialog::CheckInput() {
    const InputProblem p = CheckWhatDayInput(txtMonth->text(), txtDay->text(), txtWhatDay->text());
    if (p.field == WhatDayField::None)
        return true;
    QWidget* field = p.field == WhatDayField::Month ? static_cast<QWidget*>(txtMonth)
                     : p.field == WhatDayField::Day ? static_cast<QWidget*>(txtDay)
                                                    : static_cast<QWidget*>(txtWhatDay);
    WarnInput(field, p.message, windowTitle());
    return false;
}

void AnniversaryDialog::addEntry() {
    if (!CheckInput())
        return;
    int month = 0;
    int day = 0;
    ParseWholeNumber(txtMonth->text(), month);
    ParseWholeNumber(txtDay->text(), day);
    const QString text = txtWhatDay->text();
    [&] {
        Db db = OpenDB(m_program);
        if (!db)
            return;
        const Anniversary entry{month, day, text};
        const std::optional<bool> exists = AnniversaryExists(*db, entry);
        if (!exists) {
            const QString why = db->errorText();
            db->rollback();
            MsgBox(why, MsgButtons::OK, MsgIcon::Critical, windowTitle());
            return;
        }
        if (*exists) {
            db->rollback();
            Warn(QStringLiteral("登録済みです。"));
            tabWhatDay->setCurrentIndex(month - 1);
            return;
        }
        if (!AddAnniversary(*db, entry)) {
            UpdateFailed();
            return;
        }
        if (!CloseDB(*db))
            return;
        AddLine(month, day, text);
        ClearBoxes();
    }();
    // Also after any of the messages above.
    FocusAfterMessage(txtMonth);
}

void AnniversaryDialog::deleteEntry() {
    int month = 0;
    int day = 0;
    if (!ParseWholeNumber(m_tagMonth, month) || month < 1 || month > 12 ||
        !ParseWholeNumber(m_tagDay, day))
        return; // nothing picked
    Db db = OpenDB(m_program);
    if (!db)
        return;
    if (!DeleteAnniversary(*db, {month, day, m_tagWhatDay})) {
        UpdateFailed();
        return;
    }
    if (!CloseDB(*db))
        return;
    // Only once the rows are gone do their lines go, so the list never hides a stored entry.
    QListWidget* list = lstWhatday[size_t(month - 1)];
    for (int row = list->count() - 1; row >= 0; --row) {
        const QListWidgetItem* item = list->item(row);
        if (item->data(kDayRole).toInt() == day && item->data(kTextRole).toString() == m_tagWhatDay)
            delete list->takeItem(row);
    }
    ClearBoxes();
}

void AnniversaryDialog::pickEntry(int index, QListWidgetItem* item) {
    if (!item)
        return;
    tabWhatDay->setCurrentIndex(index);
    const WhatDayLineParts parts = ParseWhatDayLine(item->text());
    txtMonth->setText(QString::number(index + 1));
    txtDay->setText(QString::number(parts.day));
    txtWhatDay->setText(parts.text);
    m_tagMonth = txtMonth->text();
    m_tagDay = txtDay->text();
    // The deletion goes by the text as stored, blanks at its ends included.
    m_tagWhatDay = item->data(kTextRole).toString();
    cmdDel->setEnabled(true);
    txtMonth->setFocus();
}

void AnniversaryDialog::focusMonthBox(int) {
    if (isActiveWindow())
        txtMonth->setFocus();
}

bool AnniversaryDialog::checkDay() {
    if (DayTextAcceptable(txtDay->text()))
        return true;
    m_validating = true;
    WarnInput(txtDay, QStringLiteral("日を入力して下さい。"), windowTitle());
    m_validating = false;
    return false;
}

bool AnniversaryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        const int key = e->key();
        if ((e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier && key >= Qt::Key_F1 &&
            key <= Qt::Key_F12) {
            tabWhatDay->setCurrentIndex(key - Qt::Key_F1);
            return true;
        }
        const bool box = watched == txtMonth || watched == txtDay || watched == txtWhatDay;
        if (box && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            focusNextChild();
            return true;
        }
        if (watched == txtMonth) {
            // Only digits can be typed into the month; Backspace is refused too.
            const QString t = e->text();
            if (key == Qt::Key_Backspace)
                return true;
            if (!t.isEmpty() && t.at(0).isPrint() &&
                !(t.size() == 1 && t.at(0) >= QLatin1Char('0') && t.at(0) <= QLatin1Char('9')))
                return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            SelectAllText(box);
    } else if (event->type() == QEvent::FocusOut && watched == txtDay && !m_validating) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked once the focus has arrived where it was going, so that the message does
            // not interrupt the click that moved it.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isVisible() && !txtDay->hasFocus())
                        checkDay();
                },
                Qt::QueuedConnection);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AnniversaryDialog::keyPressEvent(QKeyEvent* e) {
    if (!HandleEnterWithoutDefault(this, e))
        QDialog::keyPressEvent(e);
}
