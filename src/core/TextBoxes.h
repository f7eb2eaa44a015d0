// Helpers of the text boxes.
#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

void SelectAllText(QLineEdit* box);
void SelectAllText(QPlainTextEdit* box);
// The text of a box exactly as typed, with "\n" between its lines. toPlainText() would also
// turn no-break spaces into plain ones.
QString TypedText(const QPlainTextEdit* box);
