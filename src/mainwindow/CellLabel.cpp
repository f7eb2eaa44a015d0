#include "mainwindow/CellLabel.h"

#include "core/Colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// Texts up to this length are drawn whole, as a plain label draws them.
constexpr qsizetype kShortText = 32;

bool HasRightToLeft(const QString& text) {
    for (const QChar c : text) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
        case QChar::DirFSI:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirLRI:
        case QChar::DirPDF:
        case QChar::DirPDI:
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace

qsizetype VisibleLength(const QString& text, const QFontMetricsF& fm, qreal width) {
    if (text.size() <= kShortText || HasRightToLeft(text))
        return text.size();
    // Characters are measured one by one, which can overstate what shaping makes of them
    // (kerning, ligatures): four times the width is kept, and a few characters more so that
    // no cluster is cut at the end. Marks and characters outside the basic plane count as no
    // width, which only keeps more.
    const qreal enough = 4 * width;
    qreal sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            sum += fm.horizontalAdvance(c);
        if (sum >= enough)
            return std::min(text.size(), i + 1 + 16);
    }
    return text.size();
}

void ApplyLook(QLabel* label, const CellLook& look) {
    label->setAutoFillBackground(look.opaque);
    if (look.opaque) {
        QPalette p = label->palette();
        p.setColor(QPalette::Window, look.color);
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
            p.fillRect(r.adjusted(1, 1, -1, -1), m_look.color);
        // Solid fills are far cheaper than a stroked frame.
        const QColor border(Qt::black);
        p.fillRect(QRect(r.left(), r.top(), r.width(), 1), border);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), border);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), border);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), border);
    }
    // A one-line caption longer than the cell (a day with dozens of anniversaries) is cut at
    // the cell's edge anyway; laying out only its beginning makes a month switch much cheaper.
    // Drawn as a plain-text label draws its text; the label's text itself stays whole.
    const QString& all = text();
    if (wordWrap() || textFormat() != Qt::PlainText || all.size() <= kShortText ||
        !(alignment() & Qt::AlignLeft) || margin() != 0 || indent() < 0) {
        QLabel::paintEvent(e);
        return;
    }
    // The text's rectangle as a label lays it out: the indent on the aligned sides.
    QRect lr = contentsRect();
    lr.setLeft(lr.left() + indent());
    if (alignment() & Qt::AlignTop)
        lr.setTop(lr.top() + indent());
    if (alignment() & Qt::AlignBottom)
        lr.setBottom(lr.bottom() - indent());
    const qsizetype n = VisibleLength(all, QFontMetricsF(font()), lr.width());
    if (n == all.size()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    QStyleOption opt;
    opt.initFrom(this);
    style()->drawItemText(&p, lr, int(alignment()) | Qt::TextForceLeftToRight, opt.palette,
                          isEnabled(), all.left(n), foregroundRole());
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
