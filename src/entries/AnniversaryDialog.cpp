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

    addButton = new QPushButton(QStringLiteral("追加"), this);
    addButton->setObjectName(QStringLiteral("cmdAdd"));
    deleteButton = new QPushButton(QStringLiteral("削除"), this);
    deleteButton->setObjectName(QStringLiteral("cmdDel"));
    deleteButton->setEnabled(false);
    okButton = new QPushButton(QStringLiteral("閉じる"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    for (QPushButton* b : {addButton, deleteButton, okButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setFixedWidth(88);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(monthTabs);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(monthEdit, dayEdit);
    setTabOrder(dayEdit, anniversaryEdit);
    setTabOrder(anniversaryEdit, addButton);
    setTabOrder(addButton, deleteButton);
    setTabOrder(deleteButton, okButton);
    setTabOrder(okButton, monthTabs);
    monthEdit->setFocus();

    connect(addButton, &QPushButton::clicked, this, &AnniversaryDialog::addEntry);
    connect(deleteButton, &QPushButton::clicked, this, &AnniversaryDialog::deleteEntry);
    // OK only closes: every change has been committed when it was made.
    connect(okButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(monthTabs, &QTabWidget::currentChanged, this, &AnniversaryDialog::focusMonthBox);

    // The window sees the keys before its controls (Ctrl+F1 ... Ctrl+F12 wherever the focus is).
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void AnniversaryDialog::MakeMonthLists() {
    monthTabs = new QTabWidget(this);
    monthTabs->setObjectName(QStringLiteral("tabWhatDay"));
    monthTabs->setFixedSize(420, 260);
    monthTabs->setUsesScrollButtons(false);
    monthTabs->tabBar()->setExpanding(true);
    for (int i = 0; i < 12; ++i) {
        auto* list = new QListWidget(monthTabs);
        list->setObjectName(QStringLiteral("lstWhatday%1").arg(i));
        list->setFont(FixedPitchFont());
        list->setSortingEnabled(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        monthLists[size_t(i)] = list;
        monthTabs->addTab(list, QString::number(i + 1));
        connect(list, &QListWidget::itemClicked, this,
                [this, i](QListWidgetItem* item) { pickEntry(i, item); });
        // Enter on a line picks it as a click does.
        connect(list, &QListWidget::itemActivated, this,
                [this, i](QListWidgetItem* item) { pickEntry(i, item); });
    }
}

QHBoxLayout* AnniversaryDialog::MakeEntryBoxes() {
    monthEdit = new QLineEdit(this);
    monthEdit->setObjectName(QStringLiteral("txtMonth"));
    monthEdit->setAlignment(Qt::AlignRight);
    monthEdit->setMaxLength(2);
    monthEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    monthEdit->setFixedWidth(40);
    monthLabel = new QLabel(QStringLiteral("月"), this);
    monthLabel->setObjectName(QStringLiteral("lblMonth"));
    dayEdit = new QLineEdit(this);
    dayEdit->setObjectName(QStringLiteral("txtDay"));
    dayEdit->setAlignment(Qt::AlignRight);
    dayEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    dayEdit->setFixedWidth(40);
    dayLabel = new QLabel(QStringLiteral("日"), this);
    dayLabel->setObjectName(QStringLiteral("lblDay"));
    anniversaryEdit = new QLineEdit(this);
    anniversaryEdit->setObjectName(QStringLiteral("txtWhatDay"));
    anniversaryEdit->setMaxLength(50);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(monthEdit);
    boxes->addWidget(monthLabel);
    boxes->addWidget(dayEdit);
    boxes->addWidget(dayLabel);
    boxes->addWidget(anniversaryEdit, 1);
    return boxes;
}

void AnniversaryDialog::Warn(const QString& text) {
    MsgBox(text, MsgButtons::OK, MsgIcon::Warning, windowTitle());
}

void AnniversaryDialog::LoadFailed(Connection& db) {
    for (QListWidget* list : monthLists)
        list->clear();
    const QString why = db.errorText();
    db.rollback();
    MsgBox(why, MsgButtons::OK, MsgIcon::Critical, windowTitle());
}

void AnniversaryDialog::load() {
    for (QListWidget* list : monthLists)
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
    monthTabs->setCurrentIndex(m_day.month() - 1);
    monthEdit->setText(QString::number(m_day.month()));
    dayEdit->setText(QString::number(m_day.day()));
}

void AnniversaryDialog::AddLine(int month, int day, const QString& text) {
    auto* item = new SortedLineItem(WhatDayLine(day, text));
    item->setData(kDayRole, day);
    item->setData(kTextRole, text);
    monthLists[size_t(month - 1)]->addItem(item);
    monthTabs->setCurrentIndex(month - 1);
}

void AnniversaryDialog::ClearBoxes() {
    for (QLineEdit* box : {monthEdit, dayEdit, anniversaryEdit})
        box->clear();
    m_tagMonth.clear();
    m_tagDay.clear();
    m_tagWhatDay.clear();
    deleteButton->setEnabled(false);
}

bool AnniversaryDialog::CheckInput() {
    const InputProblem p =
        CheckWhatDayInput(monthEdit->text(), dayEdit->text(), anniversaryEdit->text());
    if (p.field == WhatDayField::None)
        return true;
    QWidget* field = p.field == WhatDayField::Month ? static_cast<QWidget*>(monthEdit)
                     : p.field == WhatDayField::Day ? static_cast<QWidget*>(dayEdit)
                                                    : static_cast<QWidget*>(anniversaryEdit);
    WarnInput(field, p.message, windowTitle());
    return false;
}

void AnniversaryDialog::addEntry() {
    if (!CheckInput())
        return;
    int month = 0;
    int day = 0;
    ParseWholeNumber(monthEdit->text(), month);
    ParseWholeNumber(dayEdit->text(), day);
    const QString text = anniversaryEdit->text();
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
            monthTabs->setCurrentIndex(month - 1);
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
    FocusAfterMessage(monthEdit);
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
    QListWidget* list = monthLists[size_t(month - 1)];
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
    monthTabs->setCurrentIndex(index);
    const WhatDayLineParts parts = ParseWhatDayLine(item->text());
    monthEdit->setText(QString::number(index + 1));
    dayEdit->setText(QString::number(parts.day));
    anniversaryEdit->setText(parts.text);
    m_tagMonth = monthEdit->text();
    m_tagDay = dayEdit->text();
    // The deletion goes by the text as stored, blanks at its ends included.
    m_tagWhatDay = item->data(kTextRole).toString();
    deleteButton->setEnabled(true);
    monthEdit->setFocus();
}

void AnniversaryDialog::focusMonthBox(int) {
    if (isActiveWindow())
        monthEdit->setFocus();
}

bool AnniversaryDialog::checkDay() {
    if (DayTextAcceptable(dayEdit->text()))
        return true;
    m_validating = true;
    WarnInput(dayEdit, QStringLiteral("日を入力して下さい。"), windowTitle());
    m_validating = false;
    return false;
}

bool AnniversaryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        const int key = e->key();
        if ((e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier && key >= Qt::Key_F1 &&
            key <= Qt::Key_F12) {
            monthTabs->setCurrentIndex(key - Qt::Key_F1);
            return true;
        }
        const bool box = watched == monthEdit || watched == dayEdit || watched == anniversaryEdit;
        if (box && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            focusNextChild();
            return true;
        }
        if (watched == monthEdit) {
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
    } else if (event->type() == QEvent::FocusOut && watched == dayEdit && !m_validating) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked once the focus has arrived where it was going, so that the message does
            // not interrupt the click that moved it.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isVisible() && !dayEdit->hasFocus())
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
