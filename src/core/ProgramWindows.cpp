#include "ProgramWindows.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

QWidget* WidgetOfWindow(QWindow* w) {
    if (!w)
        return nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == w)
            return top;
    }
    return nullptr;
}

bool IsMessageBoxWindow(QWindow* w) {
    return qobject_cast<QMessageBox*>(WidgetOfWindow(w)) != nullptr;
}

bool IsOtherProgramWindow(QWindow* w, const QWidget* self) {
    QWidget* top = WidgetOfWindow(w);
    if (!top || top == self || qobject_cast<QMessageBox*>(top))
        return false;
    const Qt::WindowType type = top->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}
