#include "InfoPanel.h"

#include <QPainter>
#include <QStyle>

InfoPanel::InfoPanel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void InfoPanel::setInfo(const QString& text) {
    setText(text);
    setToolTip(text);
    setAccessibleName(text);
}

QSize InfoPanel::sizeHint() const {
    return QSize(0, QLabel::sizeHint().height());
}

QSize InfoPanel::minimumSizeHint() const {
    return QSize(0, QLabel::minimumSizeHint().height());
}

void InfoPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
