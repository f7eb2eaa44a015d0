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

CellLabel::CellLabel(int index, QWidget* parent) : QLabel(parent), m_index(index) {
    // The one-pixel border is drawn by the cell itself; keep the text clear of it.
    setContentsMargins(1, 1, 1, 1);
}

void CellLabel::setLook(const CellLook& look) {
    if (look == m_look)
        return;
    m_look = look;
    // An opaque cell paints every pixel itself, so its parent need not paint underneath.
    setAttribute(Qt::WA_OpaquePaintEvent, look.opaque);
    update();
}

void CellLabel::paintEvent(QPaintEvent* e) {
    // The background is painted here rather than through the palette: changing a palette is
    // far dearer than a fill, and a month switch recolours many cells.
    {
        QPainter p(this);
        const QRect r = rect();
        if (m_look.opaque)
            p.fillRect(r.adjusted(1, 1, -1, -1), ColorFromBgr(m_look.color));
        // Solid fills are far cheaper than a stroked frame.
        const QColor border(Qt::black);
        p.fillRect(QRect(r.left(), r.top(), r.width(), 1), border);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), border);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), border);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), border);
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
