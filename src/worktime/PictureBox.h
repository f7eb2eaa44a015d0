// A framed drawing surface that keeps what was drawn on it, in chart units (1/1440 inch).
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include <vector>

class PictureBox : public QFrame {
    Q_OBJECT
public:
    struct Box {
        int x1, y1, x2, y2; // chart units, both corners inclusive
        QColor color;
    };

    explicit PictureBox(QWidget* parent = nullptr);

    // Clears the drawing; the background stays.
    void Cls();
    // A filled box between two corners, each inside the box, in chart units from the top left
    // of the drawing area.
    void FillBox(int x1, int y1, int x2, int y2);

    void setBackColor(const QColor& color);
    QColor BackColor() const { return m_back; }
    void setForeColor(const QColor& color) { m_fore = color; }
    QColor ForeColor() const { return m_fore; }
    const std::vector<Box>& boxes() const { return m_boxes; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor m_back = QColor(0xFF, 0xFF, 0xFF);
    QColor m_fore = QColor(0, 0, 0);
    std::vector<Box> m_boxes;
};
