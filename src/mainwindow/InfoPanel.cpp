#include "mainwindow/InfoPanel.h"

#include "mainwindow/CellLabel.h"

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

int InfoPanel::lineHeight() const {
    // The height of one line as a label measures it, from a sample of the scripts the panel
    // shows rather than from the whole text: measuring that lays out every anniversary of the
    // day on every selection, and the bar would change its height with the texts.
    const int text = fontMetrics()
                         .boundingRect(QRect(0, 0, 2000, 2000), int(alignment()),
                                       QStringLiteral("2004/02/14:［年月日］Ag"))
                         .height();
    const QMargins m = contentsMargins();
    return text + m.top() + m.bottom() + 2 * margin();
}

QSize InfoPanel::sizeHint() const {
    return QSize(0, lineHeight());
}

QSize InfoPanel::minimumSizeHint() const {
    return QSize(0, lineHeight());
}

void InfoPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect();
    // Only the beginning that can show is elided; the rest would be measured for nothing.
    const QString shown = fontMetrics().elidedText(
        text().left(VisibleLength(text(), QFontMetricsF(font()), r.width())), Qt::ElideRight,
        r.width());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
