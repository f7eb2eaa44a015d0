#include "exchange/ExportDialog.h"

#include "core/DatabaseFiles.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/ProgramWindows.h"
#include "exchange/IcsFile.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* YearBox(QWidget* parent, const char* name, const char* accessible, int year) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(QString::fromUtf8(accessible));
    box->setRange(1, 9999);
    box->setValue(year);
    return box;
}

} // namespace

ExportDialog::ExportDialog(const Program& program, QWidget* owner)
    : QDialog(owner), m_program(program) {
    PrepareDialog(this, "frmExportIcs", QStringLiteral("iCalendar書き出し"));
    makeControls();
    layOutControls();
    connect(browseButton, &QPushButton::clicked, this, &ExportDialog::chooseFile);
    connect(okButton, &QPushButton::clicked, this, &ExportDialog::exportFile);
    connect(holidayCheck, &QCheckBox::toggled, fromYearBox, &QWidget::setEnabled);
    connect(holidayCheck, &QCheckBox::toggled, toYearBox, &QWidget::setEnabled);
    pathEdit->setText(QDir::toNativeSeparators(DefaultExportPath()));
    // Enter anywhere is OK; left to itself the window would make the button after the
    // focused one the default, and that is Cancel.
    okButton->setDefault(true);
    okButton->setFocus();
}

void ExportDialog::makeControls() {
    scheduleCheck = MakeCheckBox(this, "chkSchedule", "予定(&S)", true);
    // The diary is private: it leaves the program only when asked for.
    diaryCheck = MakeCheckBox(this, "chkDiary", "日記(&D)", false);
    anniversaryCheck = MakeCheckBox(this, "chkWhatDay", "記念日(&W)", true);
    holidayCheck = MakeCheckBox(this, "chkHoliday", "休日(&H)", false);
    const int year = m_program.clock().today().year();
    fromYearBox = YearBox(this, "txtFromYear", "開始年", year);
    toYearBox = YearBox(this, "txtToYear", "終了年", year + 1);
    fromYearBox->setEnabled(false);
    toYearBox->setEnabled(false);
    pathEdit = new QLineEdit(this);
    pathEdit->setObjectName(QStringLiteral("txtPath"));
    pathEdit->setAccessibleName(QStringLiteral("出力先"));
    pathEdit->setMinimumWidth(320);
    browseButton = new QPushButton(QStringLiteral("参照(&R)..."), this);
    browseButton->setObjectName(QStringLiteral("cmdFileSave"));
    browseButton->setAutoDefault(false);
}

void ExportDialog::layOutControls() {
    auto* what = new QGroupBox(QStringLiteral("書き出す内容"), this);
    what->setObjectName(QStringLiteral("fraContents"));
    auto* grid = new QGridLayout(what);
    grid->addWidget(scheduleCheck, 0, 0);
    grid->addWidget(diaryCheck, 1, 0);
    grid->addWidget(anniversaryCheck, 2, 0);
    grid->addWidget(holidayCheck, 3, 0);
    auto* years = new QHBoxLayout;
    years->addWidget(fromYearBox);
    years->addWidget(new QLabel(QStringLiteral("年から"), what));
    years->addWidget(toYearBox);
    years->addWidget(new QLabel(QStringLiteral("年まで"), what));
    years->addStretch();
    grid->addLayout(years, 3, 1);

    auto* where = new QGroupBox(QStringLiteral("出力先"), this);
    where->setObjectName(QStringLiteral("fraTarget"));
    auto* target = new QHBoxLayout(where);
    target->addWidget(pathEdit, 1);
    target->addWidget(browseButton);

    const OkCancelRow buttons = MakeOkCancelRow(this, "OKButton", "CancelButton");
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    auto* main = new QVBoxLayout(this);
    main->addWidget(what);
    main->addWidget(where);
    main->addLayout(buttons.row);
}

void ExportDialog::chooseFile() {
    QString path = pathEdit->text().isEmpty() ? DefaultExportPath() : pathEdit->text();
    if (!ChooseFile(this, true, windowTitle(),
                    QStringLiteral("iCalendarファイル (*.ics);;全てのファイル (*)"), path))
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".ics");
    pathEdit->setText(QDir::toNativeSeparators(path));
}

bool ExportDialog::checkInput() {
    if (!scheduleCheck->isChecked() && !diaryCheck->isChecked() && !anniversaryCheck->isChecked() &&
        !holidayCheck->isChecked()) {
        WarnInput(scheduleCheck, QStringLiteral("書き出す内容を選択して下さい。"), windowTitle());
        return false;
    }
    if (holidayCheck->isChecked() && fromYearBox->value() > toYearBox->value()) {
        WarnInput(toYearBox, QStringLiteral("終了年は開始年以降の年を入力して下さい。"),
                  windowTitle());
        return false;
    }
    if (pathEdit->text().trimmed().isEmpty()) {
        WarnInput(pathEdit, QStringLiteral("出力先を指定して下さい。"), windowTitle());
        return false;
    }
    return true;
}

void ExportDialog::exportFile() {
    if (!checkInput())
        return;
    const QString path = QDir::fromNativeSeparators(pathEdit->text().trimmed());
    const QString failed = QStringLiteral("iCalendarファイルの書き出しに失敗しました。\r\n");
    // Asked before any question: replacing the database would lose everything in it.
    if (IsDatabaseOrSideFile(m_program.databasePath(), path)) {
        MsgBox(failed + DatabaseFileRefusal(), MsgButtons::OK, MsgIcon::Critical, windowTitle());
        FocusAfterMessage(pathEdit);
        return;
    }
    if (!ConfirmReplace(path, pathEdit, windowTitle()))
        return;
    ExportChoice choice;
    choice.schedules = scheduleCheck->isChecked();
    choice.diaries = diaryCheck->isChecked();
    choice.anniversaries = anniversaryCheck->isChecked();
    choice.holidays = holidayCheck->isChecked();
    choice.holidaysFrom = fromYearBox->value();
    choice.holidaysTo = toYearBox->value();
    ExportCounts counts;
    QString error;
    if (!ExportCalendarFile(m_program, choice, path, &counts, &error)) {
        MsgBox(failed + error, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        FocusAfterMessage(pathEdit);
        return;
    }
    MsgBox(QStringLiteral("予定 %1件、日記 %2件、記念日 %3件、休日 %4件を書き出しました。")
               .arg(counts.schedules)
               .arg(counts.diaries)
               .arg(counts.anniversaries)
               .arg(counts.holidays),
           MsgButtons::OK, MsgIcon::Information, windowTitle());
    accept();
}

void OpenExportDialog(const Program& program, QWidget* owner, bool modal) {
    ShowOnce<ExportDialog>(
        owner, modal, [&program, owner] { return new ExportDialog(program, owner); },
        Counted::WhileShown);
}
