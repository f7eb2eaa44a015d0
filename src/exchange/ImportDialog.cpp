#include "exchange/ImportDialog.h"

#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/ProgramWindows.h"
#include "exchange/IcsFile.h"

#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDateEdit* DateBox(QWidget* parent, const char* name, const char* accessible, const QDate& d) {
    auto* box = new QDateEdit(d, parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(QString::fromUtf8(accessible));
    box->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    box->setCalendarPopup(true);
    return box;
}

// What the import will add, as the question and the closing message say it.
QString Counts(const ImportPlan& plan) {
    return QStringLiteral("予定 %1件、日記 %2件、記念日 %3件")
        .arg(plan.scheduleLines)
        .arg(plan.diaryEntries)
        .arg(plan.anniversaries.size());
}

// The first lines of what cannot be placed, for the question; the rest are counted.
QString NotPlaced(const ImportPlan& plan) {
    if (plan.notPlaced.isEmpty())
        return QString();
    constexpr int kShown = 10;
    QString text = QStringLiteral("\r\n\r\n読み込めない項目（%1件）:").arg(plan.notPlaced.size());
    for (const QString& line : plan.notPlaced.mid(0, kShown))
        text += QStringLiteral("\r\n") + line;
    if (plan.notPlaced.size() > kShown)
        text += QStringLiteral("\r\nほか %1 件").arg(plan.notPlaced.size() - kShown);
    return text;
}

} // namespace

ImportDialog::ImportDialog(const Program& program, QWidget* owner)
    : QDialog(owner), m_program(program) {
    PrepareDialog(this, "frmImportIcs", QStringLiteral("iCalendar読み込み"));
    makeControls();
    layOutControls();
    connect(browseButton, &QPushButton::clicked, this, &ImportDialog::chooseFile);
    connect(okButton, &QPushButton::clicked, this, &ImportDialog::importFile);
    // Enter anywhere is OK, whichever control has the focus when the window opens.
    okButton->setDefault(true);
    pathEdit->setFocus();
}

void ImportDialog::makeControls() {
    pathEdit = new QLineEdit(this);
    pathEdit->setObjectName(QStringLiteral("txtPath"));
    pathEdit->setAccessibleName(QStringLiteral("読み込むファイル"));
    pathEdit->setMinimumWidth(320);
    browseButton = new QPushButton(QStringLiteral("参照(&R)..."), this);
    browseButton->setObjectName(QStringLiteral("cmdFileOpen"));
    browseButton->setAutoDefault(false);
    const ImportOptions defaults = DefaultImportOptions(m_program.clock().today());
    fromDateEdit = DateBox(this, "txtFromDate", "展開の開始日", defaults.expandFrom);
    toDateEdit = DateBox(this, "txtToDate", "展開の終了日", defaults.expandTo);
}

void ImportDialog::layOutControls() {
    auto* source = new QGroupBox(QStringLiteral("読み込むファイル"), this);
    source->setObjectName(QStringLiteral("fraSource"));
    auto* file = new QHBoxLayout(source);
    file->addWidget(pathEdit, 1);
    file->addWidget(browseButton);

    auto* range = new QGroupBox(QStringLiteral("繰り返しの予定を展開する期間"), this);
    range->setObjectName(QStringLiteral("fraRange"));
    auto* dates = new QHBoxLayout(range);
    dates->addWidget(fromDateEdit);
    dates->addWidget(new QLabel(QStringLiteral("～"), range));
    dates->addWidget(toDateEdit);
    dates->addStretch();

    const OkCancelRow buttons = MakeOkCancelRow(this, "OKButton", "CancelButton");
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    auto* main = new QVBoxLayout(this);
    main->addWidget(source);
    main->addWidget(range);
    main->addLayout(buttons.row);
}

void ImportDialog::chooseFile() {
    QString path = pathEdit->text().isEmpty() ? DefaultExportPath() : pathEdit->text();
    if (ChooseFile(this, false, windowTitle(),
                   QStringLiteral("iCalendarファイル (*.ics *.ical *.ifb);;全てのファイル (*)"),
                   path))
        pathEdit->setText(QDir::toNativeSeparators(path));
}

bool ImportDialog::checkInput() {
    const QString path = pathEdit->text().trimmed();
    if (path.isEmpty() || !QFileInfo(QDir::fromNativeSeparators(path)).isFile()) {
        WarnInput(pathEdit, QStringLiteral("読み込むファイルを指定して下さい。"), windowTitle());
        return false;
    }
    if (fromDateEdit->date() > toDateEdit->date()) {
        WarnInput(toDateEdit, QStringLiteral("終了日は開始日以降の日付を入力して下さい。"),
                  windowTitle());
        return false;
    }
    return true;
}

void ImportDialog::importFile() {
    if (!checkInput())
        return;
    ImportOptions options = DefaultImportOptions(m_program.clock().today());
    options.expandFrom = fromDateEdit->date();
    options.expandTo = toDateEdit->date();
    ImportFile file;
    QString error;
    const QString path = QDir::fromNativeSeparators(pathEdit->text().trimmed());
    if (!PlanImportFile(m_program, path, options, file, &error)) {
        MsgBox(QStringLiteral("iCalendarファイルを読み込めません。\r\n") + error, MsgButtons::OK,
               MsgIcon::Critical, windowTitle());
        FocusAfterMessage(pathEdit);
        return;
    }
    if (file.plan.isEmpty()) {
        MsgBox(QStringLiteral("読み込む項目はありません。") + NotPlaced(file.plan), MsgButtons::OK,
               MsgIcon::Information, windowTitle());
        FocusAfterMessage(pathEdit);
        return;
    }
    // No transaction is open while the question waits: the writing plans anew in its own.
    if (MsgBox(Counts(file.plan) + QStringLiteral("を読み込みます。よろしいですか？") +
                   NotPlaced(file.plan),
               MsgButtons::OKCancel, MsgIcon::Question, windowTitle()) != MsgResult::OK) {
        FocusAfterMessage(okButton);
        return;
    }
    if (!ApplyImportFile(m_program, file, &error)) {
        MsgBox(QStringLiteral("データの更新に失敗しました。\r\n") + error, MsgButtons::OK,
               MsgIcon::Critical, windowTitle());
        return;
    }
    MsgBox(Counts(file.plan) + QStringLiteral("を読み込みました。"), MsgButtons::OK,
           MsgIcon::Information, windowTitle());
    accept();
}

void OpenImportDialog(const Program& program, QWidget* owner, bool modal) {
    ShowOnce<ImportDialog>(
        owner, modal, [&program, owner] { return new ImportDialog(program, owner); },
        Counted::WhileShown);
}
