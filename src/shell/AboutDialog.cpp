#include "shell/AboutDialog.h"

#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/ProgramWindows.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

ProgramStarter g_starter;

// System-information programs of the common desktops, the most informative first.
const char* const kSysInfoTools[] = {
    "hardinfo",          "kinfocenter", "gnome-system-monitor", "mate-system-monitor",
    "xfce4-taskmanager", "lxtask"};

const char* const kComments = "カレンダーと予定・日記の管理";
const char* const kDescription =
    "月ごとのカレンダーで予定・日記・記念日・休日を管理し、稼働時間を記録します。";

} // namespace

QString VersionText(int major, int minor) {
    return QStringLiteral("ver.%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

QString FindSysInfoTool() {
    for (const char* name : kSysInfoTools) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void SetProgramStarter(ProgramStarter starter) {
    g_starter = std::move(starter);
}

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
    PrepareDialog(this, "frmAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

    const auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    picIcon = label("picIcon");
    picIcon->setAccessibleName(QStringLiteral("Vaskel"));
    picIcon->setFixedSize(48, 48);
    picIcon->setScaledContents(true);
    const QIcon icon =
        owner && !owner->windowIcon().isNull() ? owner->windowIcon() : QApplication::windowIcon();
    picIcon->setPixmap(icon.pixmap(48, 48));
    picIcon->installEventFilter(this);
    lblTitle = label("lblTitle");
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = label("lblVersion");
    lblComments = label("lblComments");
    lblDescription = label("lblDescription");
    lblComments->setWordWrap(true);
    lblDescription->setWordWrap(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    // Esc closes the box like OK: the dialog's reject.
    connect(cmdOK, &QPushButton::clicked, this, &AboutDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutDialog::startSystemInfo);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblComments);
    texts->addWidget(lblDescription);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addStretch();
    buttons->addWidget(cmdSysInfo);
    auto* main = new QHBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(buttons);

    // The labels' texts come from the program's own version information.
    lblTitle->setText(QString::fromLatin1(kAppTitle));
    lblVersion->setText(VersionText(kVersionMajor, kVersionMinor));
    lblComments->setText(QString::fromUtf8(kComments));
    lblDescription->setText(QString::fromUtf8(kDescription));
    resize(440, 190);
    cmdOK->setFocus();
}

void OpenAboutDialog(QWidget* owner, bool modal) {
    ShowOnce<AboutDialog>(
        owner, modal, [owner] { return new AboutDialog(owner); }, Counted::WhileShown);
}

void AboutDialog::startSystemInfo() {
    const QString tool = FindSysInfoTool();
    const bool started =
        !tool.isEmpty() && (g_starter ? g_starter(tool) : QProcess::startDetached(tool, {}));
    if (!started)
        MsgBox(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), MsgButtons::OK, MsgIcon::None,
               QString::fromLatin1(kAppTitle));
}

void AboutDialog::showIconMessage() {
    MsgBox(QStringLiteral("（*゜・゜）ンッ？バグ探し？"), MsgButtons::OK, MsgIcon::Question,
           windowTitle());
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picIcon && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        showIconMessage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
