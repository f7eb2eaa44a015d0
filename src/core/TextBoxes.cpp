#include "core/TextBoxes.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

void SelectAllText(QLineEdit* box) {
    box->setSelection(0, int(box->text().size()));
}

void SelectAllText(QPlainTextEdit* box) {
    box->selectAll();
}

QString TypedText(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    // Only the document's own separators of paragraphs, lines and frames become line breaks.
    for (QChar& c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xfdd0: // beginning of a frame
        case 0xfdd1: // end of a frame
            c = u'\n';
            break;
        default:
            break;
        }
    }
    return text;
}
