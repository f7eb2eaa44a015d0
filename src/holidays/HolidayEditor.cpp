#include "holidays/HolidayEditor.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/Fonts.h"
#include "core/LineOrder.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "core/SortedLineItem.h"
#include "core/TextBoxes.h"
#include "holidays/HolidayLines.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <iterator>

namespace {

QLineEdit* NumberBox(QWidget* parent, const char* name, const char* accessible, int digits = 2) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(QString::fromUtf8(accessible));
    box->setMaxLength(digits);
    box->setAlignment(Qt::AlignRight);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setFixedWidth(digits > 2 ? 52 : 36);
    return box;
}

// A list line that keeps the rule it shows: the years after the name are for the eye only,
// since a name may end in anything.
class RuleLineItem : public SortedLineItem {
public:
    explicit RuleLineItem(const HolidayRule& rule) : SortedLineItem(HolidayLine(rule)) {
        m_rule = rule;
        m_rule.name = RTrimBlanks(rule.name); // as the line shows it
    }
    const HolidayRule& rule() const { return m_rule; }

private:
    HolidayRule m_rule;
};

const HolidayRule* RuleOf(const QListWidgetItem* item) {
    const auto* line = dynamic_cast<const RuleLineItem*>(item);
    return line ? &line->rule() : nullptr;
}

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString YearText(const std::optional<int>& year) {
    return year ? QString::number(*year) : QString();
}

QLabel* BoxLabel(QWidget* parent, const char* name, const char* caption, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

QComboBox* DropDownList(QWidget* parent, const char* name, const char* accessible,
                        const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(QString::fromUtf8(accessible));
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setFixedWidth(88);
    return b;
}

// The day box and the week boxes take turns in one place; it keeps the size of the larger
// group so that the kind list does not move when they swap.
void KeepPlace(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

} // namespace

HolidayEditor::HolidayEditor(const Program& program, QWidget* parent)
    : QDialog(parent), m_program(program) {
    PrepareDialog(this, "frmHoliday", QStringLiteral("休日設定"));
    setModal(true);

    MakeControls();
    LayOutControls();
    ShowBoxesOf(-1);

    QWidget* const order[] = {ruleList,        monthEdit, dayEdit,      weekEdit,
                              weekdayCombo,    kindCombo, nameEdit,     fromYearEdit,
                              toYearEdit,      addButton, updateButton, deleteButton,
                              statutoryButton, okButton,  cancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    monthEdit->setFocus();

    ConnectControls();
}

void HolidayEditor::MakeControls() {
    ruleList = new QListWidget(this);
    ruleList->setObjectName(QStringLiteral("lstHoliday"));
    ruleList->setAccessibleName(QStringLiteral("休日"));
    ruleList->setFont(FixedPitchFont());
    ruleList->setSortingEnabled(true);
    ruleList->setSelectionMode(QAbstractItemView::SingleSelection);
    ruleList->setMinimumSize(440, 400);

    monthEdit = NumberBox(this, "txtMonth", "月");
    monthLabel = BoxLabel(this, "Label1", "月", monthEdit);
    dayEdit = NumberBox(this, "txtDay", "日");
    dayLabel = BoxLabel(this, "lblDay", "日", dayEdit);
    weekEdit = NumberBox(this, "txtWeek", "週");
    weekLabel = BoxLabel(this, "lblWeek", "週", weekEdit);
    weekdayCombo = DropDownList(this, "cboYobi", "曜日", WeekdayItems());
    kindCombo = DropDownList(this, "cboKind", "種別", HolidayKindItems());
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("txtHoliday"));
    nameEdit->setAccessibleName(QStringLiteral("休日名称"));
    nameEdit->setMaxLength(50);
    nameEdit->setAttribute(Qt::WA_InputMethodEnabled, true);
    nameEdit->setMinimumWidth(160);

    fromYearEdit = NumberBox(this, "txtFromYear", "開始年", 4);
    fromYearLabel = BoxLabel(this, "lblFromYear", "年から", fromYearEdit);
    toYearEdit = NumberBox(this, "txtToYear", "終了年", 4);
    toYearLabel = BoxLabel(this, "lblToYear", "年まで（空欄は期限なし）", toYearEdit);

    addButton = Button(this, "cmdAdd", "追加");
    updateButton = Button(this, "cmdUpdate", "更新");
    deleteButton = Button(this, "cmdDelete", "削除");
    okButton = Button(this, "OKButton", "OK");
    cancelButton = Button(this, "CancelButton", "ｷｬﾝｾﾙ");
    statutoryButton = Button(this, "cmdStatutory", "国民の祝日に戻す");
    statutoryButton->setMinimumWidth(statutoryButton->sizeHint().width());
    statutoryButton->setMaximumWidth(QWIDGETSIZE_MAX);
}

void HolidayEditor::LayOutControls() {
    auto* dayGroup = new QHBoxLayout;
    dayGroup->addWidget(dayEdit);
    dayGroup->addWidget(dayLabel);
    dayGroup->addStretch();
    auto* weekGroup = new QHBoxLayout;
    weekGroup->addWidget(weekEdit);
    weekGroup->addWidget(weekLabel);
    weekGroup->addWidget(weekdayCombo);
    auto* dayOrWeek = new QGridLayout;
    dayOrWeek->setContentsMargins(0, 0, 0, 0);
    dayOrWeek->addLayout(dayGroup, 0, 0);
    dayOrWeek->addLayout(weekGroup, 0, 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{dayEdit, dayLabel, weekEdit, weekLabel, weekdayCombo})
        KeepPlace(w);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(monthEdit);
    boxes->addWidget(monthLabel);
    boxes->addLayout(dayOrWeek);
    boxes->addWidget(kindCombo);
    boxes->addWidget(nameEdit, 1);

    auto* years = new QHBoxLayout;
    years->addWidget(fromYearEdit);
    years->addWidget(fromYearLabel);
    years->addWidget(toYearEdit);
    years->addWidget(toYearLabel);
    years->addStretch();
    years->addWidget(statutoryButton);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(updateButton);
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(ruleList, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addLayout(boxes, 1, 0, 1, 2);
    layout->addLayout(years, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void HolidayEditor::ConnectControls() {
    connect(addButton, &QPushButton::clicked, this, &HolidayEditor::addEntered);
    connect(updateButton, &QPushButton::clicked, this, &HolidayEditor::replacePicked);
    connect(deleteButton, &QPushButton::clicked, this, &HolidayEditor::deleteSelected);
    connect(okButton, &QPushButton::clicked, this, &HolidayEditor::saveRules);
    connect(cancelButton, &QPushButton::clicked, this, &HolidayEditor::reject);
    connect(statutoryButton, &QPushButton::clicked, this, &HolidayEditor::restoreStatutory);
    connect(ruleList, &QListWidget::itemClicked, this, &HolidayEditor::pickLine);
    // Enter on a line picks it as a click does.
    connect(ruleList, &QListWidget::itemActivated, this, &HolidayEditor::pickLine);
    connect(kindCombo, &QComboBox::currentIndexChanged, this, &HolidayEditor::kindChosen);
    // Also when the program fills the boxes.
    connect(monthEdit, &QLineEdit::textChanged, this, &HolidayEditor::monthTyped);
    connect(dayEdit, &QLineEdit::textChanged, this, &HolidayEditor::dayTyped);

    for (QLineEdit* box : {monthEdit, dayEdit, weekEdit, nameEdit, fromYearEdit, toYearEdit})
        box->installEventFilter(this);
}

bool HolidayEditor::load() {
    ruleList->clear();
    m_picked = nullptr;
    // Until the rules have been read, an empty list must not replace them.
    okButton->setEnabled(false);
    Db db = OpenDB(m_program);
    if (!db)
        return false;
    HolidayRules rules;
    if (!ReadHolidayRules(*db, rules)) {
        const QString why = db->errorText();
        db->rollback();
        MsgBox(why, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        return false;
    }
    CloseDB(*db);
    showRules(rules);
    okButton->setEnabled(true);
    return true;
}

void HolidayEditor::showRules(const HolidayRules& rules) {
    ruleList->clear();
    m_picked = nullptr;
    // A row no line can hold (an unknown kind, a missing day or week) marks no day anywhere.
    for (const HolidayRule& r : rules) {
        if (CanListRule(r))
            AddLine(r);
    }
}

int HolidayEditor::PickedLine() const {
    return m_picked ? ruleList->row(m_picked) : -1;
}

void HolidayEditor::AddLine(const HolidayRule& rule) {
    ruleList->addItem(new RuleLineItem(rule));
}

void HolidayEditor::ShowBoxesOf(int kind) {
    const bool week = kind == kHolidayNthWeekday;
    const bool day = !week && kind != kHolidayEquinox;
    dayEdit->setVisible(day);
    dayLabel->setVisible(day);
    weekLabel->setVisible(week);
    weekEdit->setVisible(week);
    weekdayCombo->setVisible(week);
}

HolidayInput HolidayEditor::Input() const {
    return {
        kindCombo->currentIndex(),    monthEdit->text(), dayEdit->text(),      weekEdit->text(),
        weekdayCombo->currentIndex(), nameEdit->text(),  fromYearEdit->text(), toYearEdit->text()};
}

bool HolidayEditor::CheckInput() {
    const HolidayInputProblem p = CheckHolidayInput(Input());
    if (p.field == HolidayField::None)
        return true;
    QWidget* const fields[] = {nullptr,      kindCombo, monthEdit,    dayEdit,   weekEdit,
                               weekdayCombo, nameEdit,  fromYearEdit, toYearEdit};
    WarnInput(fields[int(p.field)], p.message, windowTitle());
    return false;
}

void HolidayEditor::AddInputLine() {
    AddLine(RuleFromInput(Input()));
    m_picked = nullptr;
    monthEdit->clear();
    dayEdit->clear();
    nameEdit->clear();
    fromYearEdit->clear();
    toYearEdit->clear();
    kindCombo->setCurrentIndex(-1);
    monthEdit->setFocus();
}

void HolidayEditor::addEntered() {
    if (CheckInput())
        AddInputLine();
}

void HolidayEditor::replacePicked() {
    if (!CheckInput())
        return;
    // With no line picked there is nothing to replace, and the line is added.
    delete m_picked;
    AddInputLine();
}

void HolidayEditor::deleteSelected() {
    const QList<QListWidgetItem*> selected = ruleList->selectedItems();
    if (selected.isEmpty()) {
        WarnInput(ruleList, QStringLiteral("削除する休日を選択して下さい。"), windowTitle());
        return;
    }
    for (QListWidgetItem* item : selected) {
        if (item == m_picked)
            m_picked = nullptr;
        delete item;
    }
    // The next line is not selected in its place: a second press must not delete it too.
    ruleList->setCurrentItem(nullptr);
    ruleList->clearSelection();
}

void HolidayEditor::saveRules() {
    HolidayRules rules;
    for (int i = 0; i < ruleList->count(); ++i) {
        if (const HolidayRule* r = RuleOf(ruleList->item(i)))
            rules.push_back(*r);
    }
    if (!writeRules(rules))
        return;
    m_committed = std::move(rules);
    accept();
}

bool HolidayEditor::writeRules(const HolidayRules& rules) {
    Db db = OpenDB(m_program);
    if (!db)
        return false;
    if (!ReplaceHolidayRules(*db, rules)) {
        UpdateFailed();
        return false;
    }
    return CloseDB(*db);
}

void HolidayEditor::pickLine(QListWidgetItem* item) {
    const HolidayRule* r = RuleOf(item);
    if (!r)
        return;
    m_picked = item;
    kindCombo->setCurrentIndex(r->kind);
    monthEdit->setText(TwoDigits(r->month));
    ShowBoxesOf(r->kind);
    if (r->kind == kHolidayNthWeekday) {
        dayEdit->clear();
        weekEdit->setText(QString::number(r->week.value_or(0)));
        weekdayCombo->setCurrentIndex(r->weekday.value_or(0));
    } else {
        dayEdit->setText(r->day ? TwoDigits(*r->day) : QString());
        weekEdit->clear();
        weekdayCombo->setCurrentIndex(0);
    }
    nameEdit->setText(r->name);
    fromYearEdit->setText(YearText(r->fromYear));
    toYearEdit->setText(YearText(r->toYear));
    monthEdit->setFocus();
}

void HolidayEditor::kindChosen() {
    ShowBoxesOf(kindCombo->currentIndex());
}

void HolidayEditor::restoreStatutory() {
    if (MsgBox(QStringLiteral("休日の一覧を国民の祝日の規則に戻します。\r\n"
                              "追加・変更した休日は失われます。よろしいですか？"),
               MsgButtons::OKCancel, MsgIcon::Question, windowTitle()) != MsgResult::OK)
        return;
    const HolidayRules rules = DefaultHolidayRules();
    if (!writeRules(rules))
        return;
    // Written: the month shows them also when the editor is left with Cancel.
    m_committed = rules;
    showRules(rules);
    okButton->setEnabled(true);
    ruleList->setFocus();
}

void HolidayEditor::monthTyped() {
    if (monthEdit->text().size() < 2)
        return;
    if (!dayEdit->isHidden())
        dayEdit->setFocus();
    else if (!weekEdit->isHidden())
        weekEdit->setFocus();
}

void HolidayEditor::dayTyped() {
    if (dayEdit->text().size() >= 2)
        kindCombo->setFocus();
}

bool HolidayEditor::eventFilter(QObject* watched, QEvent* event) {
    // A box reached by the focus has its text selected, so that typing replaces it.
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            SelectAllText(box);
    }
    return QDialog::eventFilter(watched, event);
}

void HolidayEditor::keyPressEvent(QKeyEvent* e) {
    // No button is the default: Enter presses the button that has the focus and nothing else.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            if (button->isEnabled())
                button->click();
        }
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

std::optional<HolidayRules> OpenHolidayEditor(QWidget* owner, const Program& program) {
    HolidayEditor f(program, owner);
    f.load();
    f.exec();
    return f.CommittedRules();
}
