// Which of the program's windows a desktop window is, and the windows it keeps open once.
#pragma once

#include <QList>
#include <QWidget>

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWindow;

// The program's top-level widget shown in a desktop window, or null.
QWidget* WidgetOfWindow(QWindow* w);
// True when the window is one of the program's message boxes.
bool IsMessageBoxWindow(QWindow* w);
// True when the window is another window of the program that the user works in (not self,
// not a message box, a menu or a tooltip).
bool IsOtherProgramWindow(QWindow* w, const QWidget* self);

// Names a dialog just made and captions it (a null title leaves the caption to be set later),
// without the title bar's help button, which the program has no use for.
void PrepareDialog(QDialog* d, const char* objectName, const QString& title);

// OK and Cancel of a dialog, right-aligned on a row of their own; Cancel rejects the dialog.
struct OkCancelRow {
    QPushButton* ok;
    QPushButton* cancel;
    QHBoxLayout* row;
};
OkCancelRow MakeOkCancelRow(QDialog* d, const char* okName, const char* cancelName);

class QCheckBox;
// A check box with its control name, its caption, and the caption without the mnemonic as its
// accessible name.
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption, bool checked);

// Shows the window in front of the others with the keyboard in it.
void BringToFront(QWidget* w);
// Shows a dialog just made, which deletes itself when it closes: modal (returns once it has
// closed, and the dialog is gone) or modeless, in front.
void ShowNewDialog(QDialog* d, bool modal);
// Closes the dialog as Cancel would; false when there is none.
bool CancelDialog(QDialog* d);

// Which windows a look-up counts: each one from its making until it is deleted (a closed one
// waits for its deletion), or only one on the screen.
enum class Counted { UntilDeleted, WhileShown };

// The windows without an owner (those opened with a null owner).
QWidgetList OwnerlessWindows();
// Every window of the program, whoever owns it.
QWidgetList AllProgramWindows();

namespace ProgramWindowsDetail {
template <class T> T* FirstCounted(const QList<T*>& found, Counted counted) {
    for (T* w : found) {
        if (counted == Counted::UntilDeleted || w->isVisible())
            return w;
    }
    return nullptr;
}
template <class T> QList<T*> OfType(const QWidgetList& windows) {
    QList<T*> found;
    for (QWidget* w : windows) {
        if (T* t = qobject_cast<T*>(w))
            found.append(t);
    }
    return found;
}
} // namespace ProgramWindowsDetail

// The window of type T that owner keeps open, or null. A null owner looks among the windows
// opened without one.
template <class T> T* OpenWindowOf(QWidget* owner, Counted counted = Counted::UntilDeleted) {
    using namespace ProgramWindowsDetail;
    if (owner)
        return FirstCounted(owner->findChildren<T*>(QString(), Qt::FindDirectChildrenOnly),
                            counted);
    return FirstCounted(OfType<T>(OwnerlessWindows()), counted);
}

// The program's one window of type T whatever window owns it (one that moves from owner to
// owner), or null.
template <class T> T* ProgramWindowOf() {
    using namespace ProgramWindowsDetail;
    return FirstCounted(OfType<T>(AllProgramWindows()), Counted::UntilDeleted);
}

// Brings owner's open window of type T to the front, or shows the dialog that make() returns
// as ShowNewDialog does. The window left open, or null once a modal one has closed.
template <class T, class Make>
T* ShowOnce(QWidget* owner, bool modal, Make make, Counted counted = Counted::UntilDeleted) {
    if (T* open = OpenWindowOf<T>(owner, counted)) {
        BringToFront(open);
        return open;
    }
    T* made = make();
    ShowNewDialog(made, modal);
    return modal ? nullptr : made;
}

// Closes owner's window of type T on the screen as Cancel would; false when none is.
template <class T> bool CloseOpenWindow(QWidget* owner) {
    return CancelDialog(OpenWindowOf<T>(owner, Counted::WhileShown));
}
