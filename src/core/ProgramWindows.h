// Which of the program's windows a desktop window is.
#pragma once

class QDialog;
class QWidget;
class QWindow;

// The program's top-level widget shown in a desktop window, or null.
QWidget* WidgetOfWindow(QWindow* w);
// True when the window is one of the program's message boxes.
bool IsMessageBoxWindow(QWindow* w);
// True when the window is another window of the program that the user works in (not self,
// not a message box, a menu or a tooltip).
bool IsOtherProgramWindow(QWindow* w, const QWidget* self);

// Shows the window in front of the others with the keyboard in it.
void BringToFront(QWidget* w);
// Shows a dialog just made, which deletes itself when it closes: modal (returns once it has
// closed, and the dialog is gone) or modeless, in front.
void ShowNewDialog(QDialog* d, bool modal);
// Closes the dialog as Cancel would; false when there is none.
bool CancelDialog(QDialog* d);
