#include "entries/SearchDialog.h"

#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/LineOrder.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "core/TextBoxes.h"
#include "entries/EntryLines.h"
#include "entries/EntryStore.h"
#include "entries/EntryWidgets.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

SearchDialog::SearchDialog(const Program& program, QWidget* parent)
    : QDialog(parent), m_program(program) {
    PrepareDialog(this, "frmSearch", QStringLiteral("検索"));
    setModal(true);

    lblSearchString = new QLabel(QStringLiteral("検索したい文字を入力して下さい。"), this);
    lblSearchString->setObjectName(QStringLiteral("lblSearchString"));
    txtSearchString = new QLineEdit(this);
    txtSearchString->setObjectName(QStringLiteral("txtSearchString"));
    cmdSearch = new QPushButton(QStringLiteral("検索"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setDefault(true);

    fmOption = new QGroupBox(QStringLiteral("検索対象"), this);
    fmOption->setObjectName(QStringLiteral("fmOption"));
    chkSchedule = new QCheckBox(QStringLiteral("予定（&S）"), fmOption);
    chkSchedule->setObjectName(QStringLiteral("chkSchedule"));
    chkDiary = new QCheckBox(QStringLiteral("日記（&D）"), fmOption);
    chkDiary->setObjectName(QStringLiteral("chkDiary"));
    chkWhatDay = new QCheckBox(QStringLiteral("What Day（&W）"), fmOption);
    chkWhatDay->setObjectName(QStringLiteral("chkWhatDay"));
    for (QCheckBox* c : {chkSchedule, chkDiary, chkWhatDay})
        c->setChecked(true);

    lblSearch = new QLabel(QStringLiteral("【検索結果】"), this);
    lblSearch->setObjectName(QStringLiteral("lblSearch"));
    lstSearch = new QListWidget(this);
    lstSearch->setObjectName(QStringLiteral("lstSearch"));
    lstSearch->setFont(FixedPitchFont());
    // Sorted by its line text: every search fills it in one batch in that order (the list's
    // own sorting would compare code points, not the code page's order).
    // Every line has the same width in the fixed-pitch font (a fixed number of bytes, two to a
    // full-width character) and one line's height: the list need not measure each of tens of
    // thousands of lines to lay them out.
    lstSearch->setUniformItemSizes(true);
    lstSearch->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lstSearch->setFixedSize(640, 260);

    const OkCancelRow buttons = MakeOkCancelRow(this, "cmdOK", "cmdCancel");
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    for (QPushButton* b : {cmdSearch, cmdOK, cmdCancel})
        b->setFixedWidth(88);

    auto* options = new QHBoxLayout(fmOption);
    options->addWidget(chkSchedule);
    options->addWidget(chkDiary);
    options->addWidget(chkWhatDay);
    options->addStretch();
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(txtSearchString, 1);
    searchRow->addWidget(cmdSearch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSearchString);
    layout->addLayout(searchRow);
    layout->addWidget(fmOption);
    layout->addWidget(lblSearch);
    layout->addWidget(lstSearch);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtSearchString, cmdSearch);
    setTabOrder(cmdSearch, chkSchedule);
    setTabOrder(chkSchedule, chkDiary);
    setTabOrder(chkDiary, chkWhatDay);
    setTabOrder(chkWhatDay, lstSearch);
    setTabOrder(lstSearch, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    txtSearchString->setFocus();

    txtSearchString->installEventFilter(this);
    lstSearch->installEventFilter(this);
    connect(cmdSearch, &QPushButton::clicked, this, &SearchDialog::search);
    // The results are for reading only: OK does nothing.
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtSearchString) {
            SelectAllText(txtSearchString);
            cmdSearch->setDefault(true);
        } else if (watched == lstSearch) {
            cmdOK->setDefault(true);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SearchDialog::ShowLines(QStringList& lines) {
    // Tens of thousands of lines, each put into its sorted place one by one, would take
    // seconds: they are sorted once and the list takes them in one batch.
    SortLines(lines);
    lstSearch->addItems(lines);
    lines.clear();
}

void SearchDialog::SearchFailed(Connection& db) {
    db.rollback();
    unsetCursor();
    MsgBox(QStringLiteral("検索に失敗しました。"), MsgButtons::OK, MsgIcon::Critical,
           windowTitle());
}

void SearchDialog::search() {
    lstSearch->clear();
    const QString text = txtSearchString->text();
    if (text.isEmpty()) {
        WarnInput(txtSearchString, QStringLiteral("検索する文字を入力して下さい。"), windowTitle());
        return;
    }
    if (!chkSchedule->isChecked() && !chkDiary->isChecked() && !chkWhatDay->isChecked()) {
        WarnInput(chkSchedule, QStringLiteral("検索対象を選んで下さい。"), windowTitle());
        return;
    }
    setCursor(Qt::WaitCursor);
    Db db = OpenDB(m_program);
    if (!db) {
        unsetCursor();
        return;
    }
    // The text is matched literally: the pattern characters a user may type are escaped.
    const QString pattern = ContainsPattern(text);
    QStringList lines;
    const bool read =
        (!chkSchedule->isChecked() || SearchDays(*db, DayEntry::Schedule, pattern,
                                                 [&lines](const QDate& d, const QString& t) {
                                                     lines << ScheduleSearchLine(d, t);
                                                 })) &&
        (!chkDiary->isChecked() || SearchDays(*db, DayEntry::Diary, pattern,
                                              [&lines](const QDate& d, const QString& t) {
                                                  lines << DiarySearchLine(d, t);
                                              })) &&
        (!chkWhatDay->isChecked() ||
         SearchAnniversaries(*db, pattern, [&lines](const Anniversary& a) {
             lines << WhatDaySearchLine(a.month, a.day, a.text);
         }));
    if (!read) {
        // What was read before the failure is listed.
        ShowLines(lines);
        SearchFailed(*db);
        return;
    }
    ShowLines(lines);
    unsetCursor();
    if (CloseDB(*db) && lstSearch->count() == 0) {
        MsgBox(QStringLiteral("検索文字を含んだ情報はありません。"), MsgButtons::OK,
               MsgIcon::Information, windowTitle());
        FocusAfterMessage(txtSearchString);
        cmdSearch->setDefault(true);
    }
}
