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

    lblDate = new QLabel(this);
    lblDate->setObjectName(QStringLiteral("lblDate"));
    lblDate->setFont(ProportionalFont());
    lblDate->setAutoFillBackground(true);
    lblDate->setFixedSize(560, 24);

    txtDiary = new QPlainTextEdit(this);
    txtDiary->setObjectName(QStringLiteral("txtDiary"));
    txtDiary->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDiary->setTabChangesFocus(true);
    txtDiary->setFixedSize(560, 200);
    LimitTextLength(txtDiary, kDiaryMaxChars);

    tabOldDiary = new QTabWidget(this);
    tabOldDiary->setObjectName(QStringLiteral("tabOldDiary"));
    tabOldDiary->setFixedSize(560, 180);
    // All nine years in view at once.
    tabOldDiary->setUsesScrollButtons(false);
    for (int i = 0; i < kEarlierYears; ++i) {
        auto* box = new QPlainTextEdit(tabOldDiary);
        box->setObjectName(QStringLiteral("txtOldDiary%1").arg(i));
        box->setReadOnly(true);
        box->setTabChangesFocus(true);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        txtOldDiary[size_t(i)] = box;
        tabOldDiary->addTab(box, QStringLiteral("Tab %1").arg(i));
    }

    // No default button: Enter belongs to the entry.
    const OkCancelRow buttons = MakeNoDefaultOkCancelRow(this);
    OKButton = buttons.ok;
    CancelButton = buttons.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDate);
    layout->addWidget(txtDiary);
    layout->addWidget(tabOldDiary);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtDiary, OKButton);
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, tabOldDiary);
    txtDiary->setFocus();

    connect(OKButton, &QPushButton::clicked, this, &DiaryDialog::save);
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
    tabOldDiary->setCurrentIndex(0);
    for (int i = kEarlierYears - 1; i >= 0; --i) {
        tabOldDiary->setCurrentIndex(i);
        tabOldDiary->setTabText(i, QString::number(day.year() - i - 1));
        const QDate earlier = SameDayYearsBack(day, i + 1);
        if (!earlier.isValid())
            continue; // no 29 February that year: nothing to look up
        const std::optional<DayText> old = ReadDay(*db, DayEntry::Diary, earlier);
        if (!old) {
            ReadFailed(*db);
            return;
        }
        if (old->exists)
            SetProgramText(txtOldDiary[size_t(i)], old->text);
    }
    const std::optional<DayText> stored = ReadDay(*db, DayEntry::Diary, day);
    if (!stored) {
        ReadFailed(*db);
        return;
    }
    if (stored->exists)
        SetProgramText(txtDiary, stored->text);
    if (!CloseDB(*db))
        return;
    setWindowTitle(DiaryCaption(day));
    lblDate->setText(DiaryHeading(day, m_dayCellCaption));
    QPalette p = lblDate->palette();
    p.setColor(QPalette::Window, m_dayCellColor);
    p.setColor(QPalette::WindowText, Qt::black);
    lblDate->setPalette(p);
}

void DiaryDialog::save() {
    const QString text = TypedText(txtDiary);
    if (cp932Length(text) == 0) {
        WarnInput(txtDiary, QStringLiteral("日記に何も書かれていません。"), windowTitle());
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
