#include "shell/BackupDialog.h"

#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/DatabaseFiles.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/ProgramWindows.h"
#include "shell/ShellHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kBackupFilter = "バックアップファイル(*.dat)|*.dat|全てのファイル(*.*)|*.*";

} // namespace

QString DefaultBackupPath(const QString& folder, const QDate& day) {
    const QDir dir(folder);
    const QString stem = QStringLiteral("Vaskel") + day.toString(QStringLiteral("yyyyMMdd"));
    QString path = dir.filePath(stem + QStringLiteral(".dat"));
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem + QLatin1Char('_') + QString::number(n) + QStringLiteral(".dat"));
    return path;
}

bool CopyDatabase(const Program& program, const QString& target,
                  const std::function<void()>& whileLocked) {
    const QString database = program.databasePath();
    if (IsDatabaseOrSideFile(database, target))
        return false;
    struct stat dbStat {};
    if (::stat(QFile::encodeName(database).constData(), &dbStat) != 0)
        return false;
    // The copy is as private as the database (the diary is in it), and the user can always
    // write it; never wider than the database's own permissions for anyone else.
    const mode_t mode = (dbStat.st_mode & 0777) | S_IRUSR | S_IWUSR;

    // Opening reads the file in a transaction: the read lock is held until the rollback, and
    // the engine sees every committed page, also those still in another tool's write-ahead log.
    Db db = program.openDatabase();
    if (!db)
        return false;

    // A fresh, exclusively created file beside the target takes its name only when complete;
    // until then it is removed on any failure.
    QTemporaryFile temp(QFileInfo(target).absoluteDir().filePath(
        QStringLiteral(".%1.XXXXXX.tmp").arg(QFileInfo(target).fileName())));
    // Set through the open file: the umask narrows nothing.
    if (!temp.open() || ::fchmod(temp.handle(), mode) != 0)
        return false;
    const QByteArray tempPath = QFile::encodeName(temp.fileName());

    sqlite3* out = nullptr;
    bool ok =
        sqlite3_open_v2(tempPath.constData(), &out, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_backup* backup = sqlite3_backup_init(out, "main", db->handle(), "main");
        ok = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        ok = sqlite3_backup_finish(backup) == SQLITE_OK && ok;
        // A copy of a database in write-ahead-log mode would be one too; the copy is a single
        // self-contained file.
        ok = ok && sqlite3_exec(out, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr) ==
                       SQLITE_OK;
    }
    if (sqlite3_close(out) != SQLITE_OK)
        ok = false;
    if (whileLocked)
        whileLocked();
    db->rollback();
    // On the disk before the rename publishes it, so that a power cut cannot leave it empty.
    if (!ok || ::fsync(temp.handle()) != 0)
        return false;
    if (::rename(tempPath.constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    temp.setAutoRemove(false);
    return true;
}

// ---------------------------------------------------------------- the dialog

BackupDialog::BackupDialog(const Program& program, QWidget* owner)
    : QDialog(owner), m_program(program) {
    PrepareDialog(this, "frmBackUp", QStringLiteral("Vaskelの情報をﾊﾞｯｸｱｯﾌﾟします"));

    infoLabel = new QLabel(this);
    infoLabel->setObjectName(QStringLiteral("lblInfo"));
    targetGroup = new QGroupBox(this);
    targetGroup->setObjectName(QStringLiteral("Frame1"));
    pathEdit = new QLineEdit(targetGroup);
    pathEdit->setObjectName(QStringLiteral("txtPath"));
    pathEdit->setAccessibleName(QStringLiteral("バックアップ出力先"));
    pathEdit->setMinimumWidth(340);
    browseButton = new QPushButton(targetGroup);
    browseButton->setObjectName(QStringLiteral("cmdFileSave"));
    browseButton->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as"),
                                           style()->standardIcon(QStyle::SP_DialogSaveButton)));
    browseButton->setAccessibleName(QStringLiteral("Vaskel情報のﾊﾞｯｸｱｯﾌﾟ"));
    browseButton->setToolTip(QStringLiteral("Vaskel情報のﾊﾞｯｸｱｯﾌﾟ"));
    const OkCancelRow buttons = MakeOkCancelRow(this, "OKButton", "CancelButton");
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    browseButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    okButton->setDefault(true);
    connect(browseButton, &QPushButton::clicked, this, &BackupDialog::chooseTarget);
    connect(okButton, &QPushButton::clicked, this, &BackupDialog::backUp);

    auto* frame = new QHBoxLayout(targetGroup);
    frame->addWidget(pathEdit, 1);
    frame->addWidget(browseButton);
    auto* main = new QVBoxLayout(this);
    main->addWidget(infoLabel);
    main->addWidget(targetGroup);
    main->addLayout(buttons.row);

    // Opening: the message and the first free default name of today.
    infoLabel->setText(QString::fromLatin1(kAppTitle) +
                       QStringLiteral("のデータバックアップを行います。"));
    pathEdit->setText(
        QDir::toNativeSeparators(DefaultBackupPath(m_program.folder(), m_program.clock().today())));
}

void OpenBackupDialog(const Program& program, QWidget* owner, bool modal) {
    ShowOnce<BackupDialog>(
        owner, modal, [&program, owner] { return new BackupDialog(program, owner); },
        Counted::WhileShown);
}

void BackupDialog::chooseTarget() {
    QString path = pathEdit->text().isEmpty() ? QStringLiteral("Vaskel.dat") : pathEdit->text();
    if (!ChooseFile(this, true, QStringLiteral("Vaskel情報のﾊﾞｯｸｱｯﾌﾟ"),
                    QtFileFilter(QString::fromUtf8(kBackupFilter)), path))
        return;
    // The chooser's default extension.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dat");
    pathEdit->setText(path);
}

void BackupDialog::backUp() {
    const QString path = pathEdit->text();
    if (TrimBlanks(path).isEmpty()) {
        WarnInput(pathEdit, QStringLiteral("バックアップ出力先を指定して下さい。"), windowTitle());
        return;
    }
    const QString failed = QStringLiteral("バックアップ処理中にエラーが発生しました。");
    // Overwriting the database with itself would destroy it, and a copy named like one of the
    // engine's side files would be taken for a journal and deleted; no question is asked.
    const QString database = m_program.databasePath();
    if (IsDatabaseOrSideFile(database, path)) {
        MsgBox(failed, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        FocusAfterMessage(pathEdit);
        return;
    }
    if (!ConfirmReplace(path, pathEdit, windowTitle()))
        return;
    if (!CopyDatabase(m_program, path)) {
        MsgBox(failed, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        return;
    }
    cancelButton->setFocus();
    MsgBox(QStringLiteral("バックアップが正常に終了しました。"), MsgButtons::OK,
           MsgIcon::Information, windowTitle());
    FocusAfterMessage(cancelButton);
}
