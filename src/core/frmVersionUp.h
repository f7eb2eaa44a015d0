// The notice shown while an older database is being upgraded.
#pragma once

#include <QLabel>
#include <QWidget>

class frmVersionUp : public QWidget {
    Q_OBJECT
public:
    explicit frmVersionUp(QWidget* parent = nullptr);

    QLabel* lblVersion;
    QLabel* Label1;
};
