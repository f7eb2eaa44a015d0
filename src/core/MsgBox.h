// Every message box of the program goes through MsgBox, so that tests can record what would
// be shown and choose the answer without a window.
#pragma once

#include <QString>

#include <functional>

class QColor;
class QWidget;

enum class MsgIcon { Critical, Warning, Information, Question, None };
enum class MsgButtons { OK, OKCancel }; // OKCancel has Cancel as its default button
enum class MsgResult { OK, Cancel };

struct MsgRecord {
    QString text;
    QString title;
    MsgIcon icon;
    MsgButtons buttons;
    bool waits = true; // false: shown without waiting for the answer (OpenMsgBox)
};

// Shows a modal message box over the active window and returns the answer. That window is
// asked to become the active one again when the box closes: not every window manager hands the
// focus back to the window under a closed box, and without one nobody does.
MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title);

// Shows a message box (OK only) without waiting for it: the caller goes on at once, and the
// box deletes itself when the user closes it. For reports that must not hold up the work that
// made them (the timer tick). Owned by owner, modeless, so it shows also while the owner is
// hidden in the tray. The box, or null when none is on screen (the hook).
QWidget* OpenMsgBox(QWidget* owner, const QString& text, MsgIcon icon, const QString& title);

// After a message box: puts the focus into field, so that typing goes on there. The field's
// window may not be active yet; the focus is placed again when its activation arrives, whatever
// the toolkit's own focus restore or the window's activation handling did in between. A line
// edit gets its whole text selected, as every line edit of the program does on entry.
void FocusAfterMessage(QWidget* field);
// Before a file is replaced: asks "指定ファイルが存在します。上書きしてよろしいですか？" when path
// names an existing file. False when the user declined; the focus is then back in field.
bool ConfirmReplace(const QString& path, QWidget* field, const QString& title);
// An input warning (warning icon, OK, titled with title), then the focus into field.
void WarnInput(QWidget* field, const QString& text, const QString& title);

// Replaces the real message box (tests); an empty function restores it.
using MsgBoxHook = std::function<MsgResult(const MsgRecord&)>;
void SetMsgBoxHook(MsgBoxHook hook);

// The colour and file choosers, replaceable the same way. A chooser returns false when the
// user cancelled.
using ColorChooserHook = std::function<bool(QColor& color)>;
using FileChooserHook =
    std::function<bool(bool save, const QString& title, const QString& filter, QString& path)>;
void SetColorChooserHook(ColorChooserHook hook);
void SetFileChooserHook(FileChooserHook hook);
bool ChooseColor(QWidget* parent, QColor& color);
bool ChooseFile(QWidget* parent, bool save, const QString& title, const QString& filter,
                QString& path);
