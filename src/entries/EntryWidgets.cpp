#include "entries/EntryWidgets.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace {
const char* const kProgramFill = "vaskelProgramFill";
} // namespace

bool HandleEnterWithoutDefault(QDialog* dialog, QKeyEvent* e) {
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)
        return false;
    if (auto* button = qobject_cast<QPushButton*>(dialog->focusWidget())) {
        if (button->isEnabled())
            button->click();
    }
    e->accept();
    return true;
}

OkCancelRow MakeNoDefaultOkCancelRow(QDialog* dialog) {
    const OkCancelRow buttons = MakeOkCancelRow(dialog, "OKButton", "CancelButton");
    for (QPushButton* b : {buttons.ok, buttons.cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setFixedWidth(88);
    }
    return buttons;
}

void LimitTextLength(QPlainTextEdit* box, int maxChars) {
    // Where the last change put its text, so that only the newly added characters are cut.
    auto last = std::make_shared<std::pair<int, int>>(0, 0);
    QObject::connect(box->document(), &QTextDocument::contentsChange, box,
                     [last](int pos, int, int added) {
                         *last = {pos, added};
                     });
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, maxChars, last] {
        if (box->property(kProgramFill).toBool())
            return;
        const int length = box->document()->characterCount() - 1;
        const int excess = qMin(length - maxChars, last->second);
        if (excess <= 0)
            return;
        int end = last->first + last->second;
        int start = end - excess;
        // Never leave half of a character that takes two UTF-16 units.
        const QString text = box->toPlainText();
        if (start > 0 && start < text.size() && text.at(start).isLowSurrogate())
            --start;
        end = qMin(end, int(text.size()));
        QTextCursor c(box->document());
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        *last = {0, 0};
        c.removeSelectedText();
        box->setTextCursor(c);
    });
}

void SetProgramText(QPlainTextEdit* box, const QString& text) {
    box->setProperty(kProgramFill, true);
    box->setPlainText(text);
    box->setProperty(kProgramFill, false);
}
