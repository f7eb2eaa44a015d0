// Small widget helpers shared by the day-entry windows.
#pragma once

#include "core/Fonts.h"
#include "core/ProgramWindows.h"

#include <QString>

class QDialog;
class QKeyEvent;
class QPlainTextEdit;

// For windows without a default button: Enter presses the button that has the focus and
// nothing else. True when the key was Enter and has been dealt with.
bool HandleEnterWithoutDefault(QDialog* dialog, QKeyEvent* e);
// OK and Cancel (OKButton, CancelButton) of such a window: neither is a default button.
OkCancelRow MakeNoDefaultOkCancelRow(QDialog* dialog);

// Keeps the user from typing or pasting more than maxChars characters into the box; only
// what the user adds is cut.
void LimitTextLength(QPlainTextEdit* box, int maxChars);
// Puts a stored text into a box whole, whatever its length limit.
void SetProgramText(QPlainTextEdit* box, const QString& text);
