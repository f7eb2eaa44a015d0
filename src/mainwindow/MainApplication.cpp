#include "mainwindow/MainApplication.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Vaskel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vaskel"));
    QApplication::setQuitOnLastWindowClosed(false);
}

void SetUpAppearance() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), font.family()});
    QApplication::setFont(font);
    // Toolbar images come from the desktop's icon theme, else from Adwaita, else our own.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}
