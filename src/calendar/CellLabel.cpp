#include "CellLabel.h"

#include "mdlVaskel.h"

#include <QMouseEvent>
#include <QPainter>

void ApplyLook(QLabel* label, const CellLook& look) {
    label->setAutoFillBackground(look.opaque);
    if (look.opaque) {
        QPalette p = label->palette();
        p.setColor(QPalette::Window, ColorFromBgr(look.color));
        label->setPalette(p);
    }
}

CellLabel::CellLabel(int index, QWidget* parent) : QLabel(parent), m_index(index) {}

void CellLabel::setLook(const CellLook& look) {
    if (look == m_look)
        return;
    m_look = look;
    update();
}

void CellLabel::paintEvent(QPaintEvent* e) {
    // The background is painted here rather than through the palette: changing a palette is
    // far dearer than a fill, and a month switch recolours many cells.
    if (m_look.opaque) {
        QPainter p(this);
        p.fillRect(rect(), ColorFromBgr(m_look.color));
    }
    QLabel::paintEvent(e);
}

void CellLabel::setCaption(const QString& text) {
    if (text != this->text())
        setText(text);
}

void CellLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        emit clicked(m_index);
    else if (e->button() == Qt::RightButton)
        emit rightPressed(m_index);
    e->accept();
}

void CellLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        emit doubleClicked(m_index);
    e->accept();
}
