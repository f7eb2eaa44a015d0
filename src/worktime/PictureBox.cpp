#include "worktime/PictureBox.h"

#include "core/Twips.h"
#include "worktime/WorkChart.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
// A corner's pixel: the pixel that contains the unit, so that a box one unit high still
// covers one pixel. This places a point, it does not round a length (TwipsToPixels).
int Pixel(int units) {
    return int(std::floor(double(units) / kTwipsPerPixel));
}
} // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::Cls() {
    m_boxes.clear();
    update();
}

void PictureBox::FillBox(int x1, int y1, int x2, int y2) {
    m_boxes.push_back(
        Box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), m_fore});
    update();
}

void PictureBox::setBackColor(const QColor& color) {
    if (m_back == color)
        return;
    m_back = color;
    update();
}

void PictureBox::paintEvent(QPaintEvent* e) {
    {
        QPainter p(this);
        const QRect area = contentsRect();
        p.fillRect(area, m_back);
        p.setClipRect(area);
        for (const Box& b : m_boxes) {
            const QPoint tl(area.left() + Pixel(b.x1), area.top() + Pixel(b.y1));
            const QPoint br(area.left() + Pixel(b.x2), area.top() + Pixel(b.y2));
            p.fillRect(QRect(tl, br), b.color);
        }
    }
    QFrame::paintEvent(e);
}
