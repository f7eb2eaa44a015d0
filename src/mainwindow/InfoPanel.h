// The status bar's first panel: the selected date and its texts, which can be far wider than
// the window. It shows what fits and elides the rest, and never asks the window for more room.
#pragma once

#include <QLabel>

class InfoPanel : public QLabel {
    Q_OBJECT
public:
    explicit InfoPanel(QWidget* parent);

    // The whole text is also the tooltip and the accessible name, so nothing elided is lost.
    void setInfo(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int lineHeight() const;
};
