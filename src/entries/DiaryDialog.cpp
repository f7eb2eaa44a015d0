#include "entries/DiaryDialog.h"

#include "core/CodePageText.h"
#include "core/Colors.h"
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

DiaryDialog::DiaryDialog(const Program& program, const QDate& day, const QString& dayCellCaption,
                         const QColor& dayCellColor, QWidget* parent)
    : QDialog(parent), m_program(program), m_day(day), m_dayCellCaption(dayCellCaption),
      m_dayCellColor(dayCellColor) {
    PrepareDialog(this, "frmDiary", QStringLiteral("00月00日の日記"));
    setModal(true);

    dateLabel = new QLabel(this);
    dateLabel->setObjectName(QStringLiteral("lblDate"));
    dateLabel->setFont(ProportionalFont());
    dateLabel->setAutoFillBackground(true);
    dateLabel->setFixedSize(560, 24);

    diaryEdit = new QPlainTextEdit(this);
    diaryEdit->setObjectName(QStringLiteral("txtDiary"));
    diaryEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    diaryEdit->setTabChangesFocus(true);
    diaryEdit->setFixedSize(560, 200);
    LimitTextLength(diaryEdit, kDiaryMaxChars);

    oldDiaryTabs = new QTabWidget(this);
    oldDiaryTabs->setObjectName(QStringLiteral("tabOldDiary"));
    oldDiaryTabs->setFixedSize(560, 180);
    // All nine years in view at once.
    oldDiaryTabs->setUsesScrollButtons(false);
    for (int i = 0; i < kEarlierYears; ++i) {
        auto* box = new QPlainTextEdit(oldDiaryTabs);
        box->setObjectName(QStringLiteral("txtOldDiary%1").arg(i));
        box->setReadOnly(true);
        box->setTabChangesFocus(true);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        oldDiaryEdits[size_t(i)] = box;
        oldDiaryTabs->addTab(box, QStringLiteral("Tab %1").arg(i));
    }

    // No default button: Enter belongs to the entry.
    const OkCancelRow buttons = MakeNoDefaultOkCancelRow(this);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dateLabel);
    layout->addWidget(diaryEdit);
    layout->addWidget(oldDiaryTabs);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(diaryEdit, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, oldDiaryTabs);
    diaryEdit->setFocus();

    connect(okButton, &QPushButton::clicked, this, &DiaryDialog::save);
}

void DiaryDialog::ReadFailed(Connection& db) {
    // Closed before the message, so that nothing is held while it waits.
    const QString why = db.errorText();
    db.rollback();
    MsgBox(why, MsgButtons::OK, MsgIcon::Critical, windowTitle());
}

void DiaryDialog::load() {
    Db db = OpenDB(m_program);
    if (!db)
        return;
    // Everything is taken from the day itself, which may lie in the month after the
    // displayed one; the entry shown and the entry saved are then the same day's.
    const QDate day = m_day;
    oldDiaryTabs->setCurrentIndex(0);
    for (int i = kEarlierYears - 1; i >= 0; --i) {
        oldDiaryTabs->setCurrentIndex(i);
        oldDiaryTabs->setTabText(i, QString::number(day.year() - i - 1));
        const QDate earlier = SameDayYearsBack(day, i + 1);
        if (!earlier.isValid())
            continue; // no 29 February that year: nothing to look up
        const std::optional<DayText> old = ReadDay(*db, DayEntry::Diary, earlier);
        if (!old) {
            ReadFailed(*db);
            return;
        }
        if (old->exists)
            SetProgramText(oldDiaryEdits[size_t(i)], old->text);
    }
    const std::optional<DayText> stored = ReadDay(*db, DayEntry::Diary, day);
    if (!stored) {
        ReadFailed(*db);
        return;
    }
    if (stored->exists)
        SetProgramText(diaryEdit, stored->text);
    if (!CloseDB(*db))
        return;
    setWindowTitle(DiaryCaption(day));
    dateLabel->setText(DiaryHeading(day, m_dayCellCaption));
    QPalette p = dateLabel->palette();
    p.setColor(QPalette::Window, m_dayCellColor);
    p.setColor(QPalette::WindowText, Qt::black);
    dateLabel->setPalette(p);
}

void DiaryDialog::save() {
    const QString text = TypedText(diaryEdit);
    if (cp932Length(text) == 0) {
        WarnInput(diaryEdit, QStringLiteral("日記に何も書かれていません。"), windowTitle());
        return;
    }
    Db db = OpenDB(m_program);
    if (!db)
        return;
    const std::optional<DayText> stored = ReadDay(*db, DayEntry::Diary, m_day);
    if (!stored) {
        ReadFailed(*db);
        return;
    }
    if (!WriteDay(*db, DayEntry::Diary, m_day, text, stored->exists)) {
        UpdateFailed();
        return;
    }
    if (CloseDB(*db))
        accept();
}

void DiaryDialog::keyPressEvent(QKeyEvent* e) {
    if (!HandleEnterWithoutDefault(this, e))
        QDialog::keyPressEvent(e);
}
