#include "core/VersionUpNotice.h"

#include <QVBoxLayout>

VersionUpNotice::VersionUpNotice(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName(QStringLiteral("frmVersionUp"));
    setWindowTitle(QStringLiteral("Vaskelのﾊﾞｰｼﾞｮﾝｱｯﾌﾟ中..."));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(10);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    Label1 = new QLabel(QStringLiteral("この処理には数分かかる場合があります。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(lblVersion);
    layout->addWidget(Label1);
    setMinimumWidth(420);
}
