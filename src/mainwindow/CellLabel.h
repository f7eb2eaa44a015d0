// A label of the month grid: a real label (so that screen readers read it), with the tag,
// colour state and mouse events the grid needs.
#pragma once

#include "calendar/MonthData.h"

#include <QFontMetricsF>
#include <QLabel>

class CellLabel : public QLabel {
    Q_OBJECT
public:
    CellLabel(int index, QWidget* parent);

    int index() const { return m_index; }
    const QString& tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    const CellLook& look() const { return m_look; }
    // Changes text and background only when they differ: a month switch touches 84 labels.
    void setLook(const CellLook& look);
    void setCaption(const QString& text);

signals:
    void clicked(int index);
    void doubleClicked(int index);
    void rightPressed(int index);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int m_index;
    QString m_tag;
    CellLook m_look{false, 0xFFFFFF};
};

// How much of a one-line text to lay out so that everything a label of this width shows is
// drawn: the whole text, or a beginning that surely covers the width.
qsizetype VisibleLength(const QString& text, const QFontMetricsF& fm, qreal width);

// Gives a plain label the background of a look.
void ApplyLook(QLabel* label, const CellLook& look);
