// The notice shown while an older database is being upgraded.
#pragma once

#include <QLabel>
#include <QWidget>

class VersionUpNotice : public QWidget {
    Q_OBJECT
public:
    explicit VersionUpNotice(QWidget* parent = nullptr);

    QLabel* versionLabel;
    QLabel* durationNoteLabel;
};
