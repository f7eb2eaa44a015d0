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

    searchTextLabel = new QLabel(QStringLiteral("検索したい文字を入力して下さい。"), this);
    searchTextLabel->setObjectName(QStringLiteral("lblSearchString"));
    searchTextEdit = new QLineEdit(this);
    searchTextEdit->setObjectName(QStringLiteral("txtSearchString"));
    searchButton = new QPushButton(QStringLiteral("検索"), this);
    searchButton->setObjectName(QStringLiteral("cmdSearch"));
    searchButton->setDefault(true);

    optionGroup = new QGroupBox(QStringLiteral("検索対象"), this);
    optionGroup->setObjectName(QStringLiteral("fmOption"));
    scheduleCheck = new QCheckBox(QStringLiteral("予定（&S）"), optionGroup);
    scheduleCheck->setObjectName(QStringLiteral("chkSchedule"));
    diaryCheck = new QCheckBox(QStringLiteral("日記（&D）"), optionGroup);
    diaryCheck->setObjectName(QStringLiteral("chkDiary"));
    anniversaryCheck = new QCheckBox(QStringLiteral("What Day（&W）"), optionGroup);
    anniversaryCheck->setObjectName(QStringLiteral("chkWhatDay"));
    for (QCheckBox* c : {scheduleCheck, diaryCheck, anniversaryCheck})
        c->setChecked(true);

    searchListLabel = new QLabel(QStringLiteral("【検索結果】"), this);
    searchListLabel->setObjectName(QStringLiteral("lblSearch"));
    searchList = new QListWidget(this);
    searchList->setObjectName(QStringLiteral("lstSearch"));
    searchList->setFont(FixedPitchFont());
    // Sorted by its line text: every search fills it in one batch in that order (the list's
    // own sorting would compare code points, not the code page's order).
    // Every line has the same width in the fixed-pitch font (a fixed number of bytes, two to a
    // full-width character) and one line's height: the list need not measure each of tens of
    // thousands of lines to lay them out.
    searchList->setUniformItemSizes(true);
    searchList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    searchList->setFixedSize(640, 260);

    const OkCancelRow buttons = MakeOkCancelRow(this, "cmdOK", "cmdCancel");
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    for (QPushButton* b : {searchButton, okButton, cancelButton})
        b->setFixedWidth(88);

    auto* options = new QHBoxLayout(optionGroup);
    options->addWidget(scheduleCheck);
    options->addWidget(diaryCheck);
    options->addWidget(anniversaryCheck);
    options->addStretch();
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchTextEdit, 1);
    searchRow->addWidget(searchButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(searchTextLabel);
    layout->addLayout(searchRow);
    layout->addWidget(optionGroup);
    layout->addWidget(searchListLabel);
    layout->addWidget(searchList);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(searchTextEdit, searchButton);
    setTabOrder(searchButton, scheduleCheck);
    setTabOrder(scheduleCheck, diaryCheck);
    setTabOrder(diaryCheck, anniversaryCheck);
    setTabOrder(anniversaryCheck, searchList);
    setTabOrder(searchList, okButton);
    setTabOrder(okButton, cancelButton);
    searchTextEdit->setFocus();

    searchTextEdit->installEventFilter(this);
    searchList->installEventFilter(this);
    connect(searchButton, &QPushButton::clicked, this, &SearchDialog::search);
    // The results are for reading only: OK does nothing.
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == searchTextEdit) {
            SelectAllText(searchTextEdit);
            searchButton->setDefault(true);
        } else if (watched == searchList) {
            okButton->setDefault(true);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SearchDialog::ShowLines(QStringList& lines) {
    // Tens of thousands of lines, each put into its sorted place one by one, would take
    // seconds: they are sorted once and the list takes them in one batch.
    SortLines(lines);
    searchList->addItems(lines);
    lines.clear();
}

void SearchDialog::SearchFailed(Connection& db) {
    db.rollback();
    unsetCursor();
    MsgBox(QStringLiteral("検索に失敗しました。"), MsgButtons::OK, MsgIcon::Critical,
           windowTitle());
}

void SearchDialog::search() {
    searchList->clear();
    const QString text = searchTextEdit->text();
    if (text.isEmpty()) {
        WarnInput(searchTextEdit, QStringLiteral("検索する文字を入力して下さい。"), windowTitle());
        return;
    }
    if (!scheduleCheck->isChecked() && !diaryCheck->isChecked() && !anniversaryCheck->isChecked()) {
        WarnInput(scheduleCheck, QStringLiteral("検索対象を選んで下さい。"), windowTitle());
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
        (!scheduleCheck->isChecked() || SearchDays(*db, DayEntry::Schedule, pattern,
                                                   [&lines](const QDate& d, const QString& t) {
                                                       lines << ScheduleSearchLine(d, t);
                                                   })) &&
        (!diaryCheck->isChecked() || SearchDays(*db, DayEntry::Diary, pattern,
                                                [&lines](const QDate& d, const QString& t) {
                                                    lines << DiarySearchLine(d, t);
                                                })) &&
        (!anniversaryCheck->isChecked() ||
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
    if (CloseDB(*db) && searchList->count() == 0) {
        MsgBox(QStringLiteral("検索文字を含んだ情報はありません。"), MsgButtons::OK,
               MsgIcon::Information, windowTitle());
        FocusAfterMessage(searchTextEdit);
        searchButton->setDefault(true);
    }
}
