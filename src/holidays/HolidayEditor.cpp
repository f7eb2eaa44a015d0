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

    QWidget* const order[] = {lstHoliday, txtMonth,   txtDay,       txtWeek,   cboWeekday,
                              cboKind,    txtHoliday, txtFromYear,  txtToYear, cmdAdd,
                              cmdUpdate,  cmdDelete,  cmdStatutory, OKButton,  CancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    txtMonth->setFocus();

    ConnectControls();
}

void HolidayEditor::MakeControls() {
    lstHoliday = new QListWidget(this);
    lstHoliday->setObjectName(QStringLiteral("lstHoliday"));
    lstHoliday->setAccessibleName(QStringLiteral("休日"));
    lstHoliday->setFont(FixedPitchFont());
    lstHoliday->setSortingEnabled(true);
    lstHoliday->setSelectionMode(QAbstractItemView::SingleSelection);
    lstHoliday->setMinimumSize(440, 400);

    txtMonth = NumberBox(this, "txtMonth", "月");
    lblMonthUnit = BoxLabel(this, "Label1", "月", txtMonth);
    txtDay = NumberBox(this, "txtDay", "日");
    lblDay = BoxLabel(this, "lblDay", "日", txtDay);
    txtWeek = NumberBox(this, "txtWeek", "週");
    lblWeek = BoxLabel(this, "lblWeek", "週", txtWeek);
    cboWeekday = DropDownList(this, "cboYobi", "曜日", WeekdayItems());
    cboKind = DropDownList(this, "cboKind", "種別", HolidayKindItems());
    txtHoliday = new QLineEdit(this);
    txtHoliday->setObjectName(QStringLiteral("txtHoliday"));
    txtHoliday->setAccessibleName(QStringLiteral("休日名称"));
    txtHoliday->setMaxLength(50);
    txtHoliday->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtHoliday->setMinimumWidth(160);

    txtFromYear = NumberBox(this, "txtFromYear", "開始年", 4);
    lblFromYear = BoxLabel(this, "lblFromYear", "年から", txtFromYear);
    txtToYear = NumberBox(this, "txtToYear", "終了年", 4);
    lblToYear = BoxLabel(this, "lblToYear", "年まで（空欄は期限なし）", txtToYear);

    cmdAdd = Button(this, "cmdAdd", "追加");
    cmdUpdate = Button(this, "cmdUpdate", "更新");
    cmdDelete = Button(this, "cmdDelete", "削除");
    OKButton = Button(this, "OKButton", "OK");
    CancelButton = Button(this, "CancelButton", "ｷｬﾝｾﾙ");
    cmdStatutory = Button(this, "cmdStatutory", "国民の祝日に戻す");
    cmdStatutory->setMinimumWidth(cmdStatutory->sizeHint().width());
    cmdStatutory->setMaximumWidth(QWIDGETSIZE_MAX);
}

void HolidayEditor::LayOutControls() {
    auto* dayGroup = new QHBoxLayout;
    dayGroup->addWidget(txtDay);
    dayGroup->addWidget(lblDay);
    dayGroup->addStretch();
    auto* weekGroup = new QHBoxLayout;
    weekGroup->addWidget(txtWeek);
    weekGroup->addWidget(lblWeek);
    weekGroup->addWidget(cboWeekday);
    auto* dayOrWeek = new QGridLayout;
    dayOrWeek->setContentsMargins(0, 0, 0, 0);
    dayOrWeek->addLayout(dayGroup, 0, 0);
    dayOrWeek->addLayout(weekGroup, 0, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{txtDay, lblDay, txtWeek, lblWeek, cboWeekday})
        KeepPlace(w);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(txtMonth);
    boxes->addWidget(lblMonthUnit);
    boxes->addLayout(dayOrWeek);
    boxes->addWidget(cboKind);
    boxes->addWidget(txtHoliday, 1);

    auto* years = new QHBoxLayout;
    years->addWidget(txtFromYear);
    years->addWidget(lblFromYear);
    years->addWidget(txtToYear);
    years->addWidget(lblToYear);
    years->addStretch();
    years->addWidget(cmdStatutory);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdDelete);
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lstHoliday, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addLayout(boxes, 1, 0, 1, 2);
    layout->addLayout(years, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void HolidayEditor::ConnectControls() {
    connect(cmdAdd, &QPushButton::clicked, this, &HolidayEditor::addEntered);
    connect(cmdUpdate, &QPushButton::clicked, this, &HolidayEditor::replacePicked);
    connect(cmdDelete, &QPushButton::clicked, this, &HolidayEditor::deleteSelected);
    connect(OKButton, &QPushButton::clicked, this, &HolidayEditor::saveRules);
    connect(CancelButton, &QPushButton::clicked, this, &HolidayEditor::reject);
    connect(cmdStatutory, &QPushButton::clicked, this, &HolidayEditor::restoreStatutory);
    connect(lstHoliday, &QListWidget::itemClicked, this, &HolidayEditor::pickLine);
    // Enter on a line picks it as a click does.
    connect(lstHoliday, &QListWidget::itemActivated, this, &HolidayEditor::pickLine);
    connect(cboKind, &QComboBox::currentIndexChanged, this, &HolidayEditor::kindChosen);
    // Also when the program fills the boxes.
    connect(txtMonth, &QLineEdit::textChanged, this, &HolidayEditor::monthTyped);
    connect(txtDay, &QLineEdit::textChanged, this, &HolidayEditor::dayTyped);

    for (QLineEdit* box : {txtMonth, txtDay, txtWeek, txtHoliday, txtFromYear, txtToYear})
        box->installEventFilter(this);
}

bool HolidayEditor::load() {
    lstHoliday->clear();
    m_picked = nullptr;
    // Until the rules have been read, an empty list must not replace them.
    OKButton->setEnabled(false);
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
    OKButton->setEnabled(true);
    return true;
}

void HolidayEditor::showRules(const HolidayRules& rules) {
    lstHoliday->clear();
    m_picked = nullptr;
    // A row no line can hold (an unknown kind, a missing day or week) marks no day anywhere.
    for (const HolidayRule& r : rules) {
        if (CanListRule(r))
            AddLine(r);
    }
}

int HolidayEditor::PickedLine() const {
    return m_picked ? lstHoliday->row(m_picked) : -1;
}

void HolidayEditor::AddLine(const HolidayRule& rule) {
    lstHoliday->addItem(new RuleLineItem(rule));
}

void HolidayEditor::ShowBoxesOf(int kind) {
    const bool week = kind == kHolidayNthWeekday;
    const bool day = !week && kind != kHolidayEquinox;
    txtDay->setVisible(day);
    lblDay->setVisible(day);
    lblWeek->setVisible(week);
    txtWeek->setVisible(week);
    cboWeekday->setVisible(week);
}

HolidayInput HolidayEditor::Input() const {
    return {cboKind->currentIndex(),    txtMonth->text(),   txtDay->text(),      txtWeek->text(),
            cboWeekday->currentIndex(), txtHoliday->text(), txtFromYear->text(), txtToYear->text()};
}

bool HolidayEditor::CheckInput() {
    const HolidayInputProblem p = CheckHolidayInput(Input());
    if (p.field == HolidayField::None)
        return true;
    QWidget* const fields[] = {nullptr,    cboKind,    txtMonth,    txtDay,   txtWeek,
                               cboWeekday, txtHoliday, txtFromYear, txtToYear};
    WarnInput(fields[int(p.field)], p.message, windowTitle());
    return false;
}

void HolidayEditor::AddInputLine() {
    AddLine(RuleFromInput(Input()));
    m_picked = nullptr;
    txtMonth->clear();
    txtDay->clear();
    txtHoliday->clear();
    txtFromYear->clear();
    txtToYear->clear();
    cboKind->setCurrentIndex(-1);
    txtMonth->setFocus();
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
    const QList<QListWidgetItem*> selected = lstHoliday->selectedItems();
    if (selected.isEmpty()) {
        WarnInput(lstHoliday, QStringLiteral("削除する休日を選択して下さい。"), windowTitle());
        return;
    }
    for (QListWidgetItem* item : selected) {
        if (item == m_picked)
            m_picked = nullptr;
        delete item;
    }
    // The next line is not selected in its place: a second press must not delete it too.
    lstHoliday->setCurrentItem(nullptr);
    lstHoliday->clearSelection();
}

void HolidayEditor::saveRules() {
    HolidayRules rules;
    for (int i = 0; i < lstHoliday->count(); ++i) {
        if (const HolidayRule* r = RuleOf(lstHoliday->item(i)))
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
    cboKind->setCurrentIndex(r->kind);
    txtMonth->setText(TwoDigits(r->month));
    ShowBoxesOf(r->kind);
    if (r->kind == kHolidayNthWeekday) {
        txtDay->clear();
        txtWeek->setText(QString::number(r->week.value_or(0)));
        cboWeekday->setCurrentIndex(r->weekday.value_or(0));
    } else {
        txtDay->setText(r->day ? TwoDigits(*r->day) : QString());
        txtWeek->clear();
        cboWeekday->setCurrentIndex(0);
    }
    txtHoliday->setText(r->name);
    txtFromYear->setText(YearText(r->fromYear));
    txtToYear->setText(YearText(r->toYear));
    txtMonth->setFocus();
}

void HolidayEditor::kindChosen() {
    ShowBoxesOf(cboKind->currentIndex());
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
    OKButton->setEnabled(true);
    lstHoliday->setFocus();
}

void HolidayEditor::monthTyped() {
    if (txtMonth->text().size() < 2)
        return;
    if (!txtDay->isHidden())
        txtDay->setFocus();
    else if (!txtWeek->isHidden())
        txtWeek->setFocus();
}

void HolidayEditor::dayTyped() {
    if (txtDay->text().size() >= 2)
        cboKind->setFocus();
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
