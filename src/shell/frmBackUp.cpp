#include "frmBackUp.h"

#include "MsgBox.h"
#include "ProgramWindows.h"
#include "ShellHelpers.h"
#include "mdlVaskel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

namespace {

QPointer<frmBackUp> g_instance;

const char* const kBackupFilter = "バックアップファイル(*.dat)|*.dat|全てのファイル(*.*)|*.*";

std::filesystem::path FsPath(const QString& p) {
    return std::filesystem::path(QFile::encodeName(p).toStdString());
}

} // namespace

QString DefaultBackupPath(const QString& folder, const QDate& day) {
    const QDir dir(folder);
    const QString stem = QStringLiteral("Vaskel") + day.toString(QStringLiteral("yyyyMMdd"));
    QString path = dir.filePath(stem + QStringLiteral(".dat"));
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem + QLatin1Char('_') + QString::number(n) + QStringLiteral(".dat"));
    return path;
}

bool SameFile(const QString& a, const QString& b) {
    std::error_code ec;
    return std::filesystem::equivalent(FsPath(a), FsPath(b), ec);
}

bool CopyDatabase(const QString& database, const QString& target,
                  const std::function<void()>& whileLocked) {
    if (SameFile(database, target))
        return false;
    // Opening reads the file in a transaction: the read lock is held until the rollback.
    Db db = Connection::open(database);
    if (!db)
        return false;
    // The bytes are read through the engine's own handle of the file: a second handle of
    // ours would, once closed, drop the engine's lock with it.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db->handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        return false;
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int n = int(std::min<sqlite3_int64>(buffer.size(), size - offset));
        if (file->pMethods->xRead(file, buffer.data(), n, offset) != SQLITE_OK)
            return false;
        if (out.write(buffer.constData(), n) != n)
            return false;
        offset += n;
    }
    if (whileLocked)
        whileLocked();
    db->rollback();
    if (!out.commit())
        return false;
    // An existing target's permissions carry over to the copy; it must end up writable.
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOwner |
                                      QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    return true;
}

// ---------------------------------------------------------------- the dialog

frmBackUp::frmBackUp(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmBackUp"));
    setWindowTitle(QStringLiteral("Vaskelの情報をﾊﾞｯｸｱｯﾌﾟします"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (!g_instance)
        g_instance = this;

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    txtPath = new QLineEdit(Frame1);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setAccessibleName(QStringLiteral("バックアップ出力先"));
    txtPath->setMinimumWidth(340);
    cmdFileSave = new QPushButton(Frame1);
    cmdFileSave->setObjectName(QStringLiteral("cmdFileSave"));
    cmdFileSave->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as"),
                                          style()->standardIcon(QStyle::SP_DialogSaveButton)));
    cmdFileSave->setAccessibleName(QStringLiteral("Vaskel情報のﾊﾞｯｸｱｯﾌﾟ"));
    cmdFileSave->setToolTip(QStringLiteral("Vaskel情報のﾊﾞｯｸｱｯﾌﾟ"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    cmdFileSave->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    OKButton->setDefault(true);
    connect(cmdFileSave, &QPushButton::clicked, this, &frmBackUp::cmdFileSave_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmBackUp::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmBackUp::CancelButton_Click);

    auto* frame = new QHBoxLayout(Frame1);
    frame->addWidget(txtPath, 1);
    frame->addWidget(cmdFileSave);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* main = new QVBoxLayout(this);
    main->addWidget(lblInfo);
    main->addWidget(Frame1);
    main->addLayout(buttons);

    // Opening: the message and the first free default name of today.
    lblInfo->setText(QString::fromLatin1(kAppTitle) +
                     QStringLiteral("のデータバックアップを行います。"));
    txtPath->setText(QDir::toNativeSeparators(DefaultBackupPath(AppPath(), Today())));
}

frmBackUp::~frmBackUp() = default;

frmBackUp* frmBackUp::Instance() {
    return g_instance && g_instance->isVisible() ? g_instance.data() : nullptr;
}

void frmBackUp::Open(QWidget* owner, bool modal) {
    if (frmBackUp* d = Instance())
        BringToFront(d);
    else
        ShowNewDialog(new frmBackUp(owner), modal);
}

bool frmBackUp::CloseOpen() {
    return CancelDialog(Instance());
}

void frmBackUp::cmdFileSave_Click() {
    QString path = txtPath->text().isEmpty() ? QStringLiteral("Vaskel.dat") : txtPath->text();
    if (!ChooseFile(this, true, QStringLiteral("Vaskel情報のﾊﾞｯｸｱｯﾌﾟ"),
                    QtFileFilter(QString::fromUtf8(kBackupFilter)), path))
        return;
    // The chooser's default extension.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dat");
    txtPath->setText(path);
}

void frmBackUp::OKButton_Click() {
    const QString path = txtPath->text();
    if (TrimBlanks(path).isEmpty()) {
        WarnInput(txtPath, QStringLiteral("バックアップ出力先を指定して下さい。"), windowTitle());
        return;
    }
    const QString failed = QStringLiteral("バックアップ処理中にエラーが発生しました。");
    // Overwriting the database with itself would destroy it; no question is asked for that.
    if (SameFile(path, DatabasePath())) {
        MsgBox(failed, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        FocusAfterMessage(txtPath);
        return;
    }
    const QFileInfo target(path);
    if (target.exists() && !target.isDir() &&
        MsgBox(QStringLiteral("指定ファイルが存在します。上書きしてよろしいですか？"),
               MsgButtons::OKCancel, MsgIcon::Question, windowTitle()) == MsgResult::Cancel) {
        FocusAfterMessage(txtPath);
        return;
    }
    if (!CopyDatabase(DatabasePath(), path)) {
        MsgBox(failed, MsgButtons::OK, MsgIcon::Critical, windowTitle());
        return;
    }
    CancelButton->setFocus();
    MsgBox(QStringLiteral("バックアップが正常に終了しました。"), MsgButtons::OK,
           MsgIcon::Information, windowTitle());
    FocusAfterMessage(CancelButton);
}

void frmBackUp::CancelButton_Click() {
    reject();
}
