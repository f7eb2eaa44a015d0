#include "core/VersionUpNotice.h"

#include <QVBoxLayout>

VersionUpNotice::VersionUpNotice(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName(QStringLiteral("frmVersionUp"));
    setWindowTitle(QStringLiteral("Vaskelのﾊﾞｰｼﾞｮﾝｱｯﾌﾟ中..."));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(10);
    versionLabel = new QLabel(this);
    versionLabel->setObjectName(QStringLiteral("lblVersion"));
    durationNoteLabel = new QLabel(QStringLiteral("この処理には数分かかる場合があります。"), this);
    durationNoteLabel->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(versionLabel);
    layout->addWidget(durationNoteLabel);
    setMinimumWidth(420);
}
