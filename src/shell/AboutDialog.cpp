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
    iconPicture = label("picIcon");
    iconPicture->setAccessibleName(QStringLiteral("Vaskel"));
    iconPicture->setFixedSize(48, 48);
    iconPicture->setScaledContents(true);
    const QIcon icon =
        owner && !owner->windowIcon().isNull() ? owner->windowIcon() : QApplication::windowIcon();
    iconPicture->setPixmap(icon.pixmap(48, 48));
    iconPicture->installEventFilter(this);
    titleLabel = label("lblTitle");
    QFont big = titleLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    titleLabel->setFont(big);
    versionLabel = label("lblVersion");
    commentsLabel = label("lblComments");
    descriptionLabel = label("lblDescription");
    commentsLabel->setWordWrap(true);
    descriptionLabel->setWordWrap(true);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setDefault(true);
    systemInfoButton = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    systemInfoButton->setObjectName(QStringLiteral("cmdSysInfo"));
    systemInfoButton->setAutoDefault(false);
    // Esc closes the box like OK: the dialog's reject.
    connect(okButton, &QPushButton::clicked, this, &AboutDialog::accept);
    connect(systemInfoButton, &QPushButton::clicked, this, &AboutDialog::startSystemInfo);

    auto* texts = new QVBoxLayout;
    texts->addWidget(titleLabel);
    texts->addWidget(versionLabel);
    texts->addSpacing(8);
    texts->addWidget(commentsLabel);
    texts->addWidget(descriptionLabel);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(iconPicture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addStretch();
    buttons->addWidget(systemInfoButton);
    auto* main = new QHBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(buttons);

    // The labels' texts come from the program's own version information.
    titleLabel->setText(QString::fromLatin1(kAppTitle));
    versionLabel->setText(VersionText(kVersionMajor, kVersionMinor));
    commentsLabel->setText(QString::fromUtf8(kComments));
    descriptionLabel->setText(QString::fromUtf8(kDescription));
    resize(440, 190);
    okButton->setFocus();
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
    if (watched == iconPicture && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        showIconMessage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
