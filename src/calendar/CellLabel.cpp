#include "CellLabel.h"

#include "mdlVaskel.h"

#include <QMouseEvent>

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
    ApplyLook(this, look);
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
