// Which of the program's windows a desktop window is.
#pragma once

class QWidget;
class QWindow;

// The program's top-level widget shown in a desktop window, or null.
QWidget* WidgetOfWindow(QWindow* w);
// True when the window is one of the program's message boxes.
bool IsMessageBoxWindow(QWindow* w);
// True when the window is another window of the program that the user works in (not self,
// not a message box, a menu or a tooltip).
bool IsOtherProgramWindow(QWindow* w, const QWidget* self);
