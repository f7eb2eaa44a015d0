#include "core/MsgBox.h"

#include "core/TextBoxes.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {
MsgBoxHook g_msgHook;
ColorChooserHook g_colorHook;
FileChooserHook g_fileHook;

const char* const kFocusGuardName = "vaskelFocusAfterMessage";

void PlaceFocus(QWidget* field) {
    field->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(field))
        SelectAllText(line);
}

// Waits for the next activation of a window and then puts the focus into one of its fields.
class FocusOnActivation : public QObject {
public:
    FocusOnActivation(QWidget* window, QWidget* field) : QObject(window), m_field(field) {
        setObjectName(QLatin1String(kFocusGuardName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        // The window is the active one by now; the toolkit restores the focus only after this
        // event, and then finds it already in the field.
        if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Hide) {
            if (e->type() == QEvent::WindowActivate && m_field && m_field->isVisible())
                PlaceFocus(m_field);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_field;
};

// Asks for the window the box was shown over to become active again.
void Reactivate(QWidget* window) {
    if (window && window->isVisible() && !window->isActiveWindow())
        window->activateWindow();
}
} // namespace

void SetMsgBoxHook(MsgBoxHook hook) {
    g_msgHook = std::move(hook);
}
void SetColorChooserHook(ColorChooserHook hook) {
    g_colorHook = std::move(hook);
}
void SetFileChooserHook(FileChooserHook hook) {
    g_fileHook = std::move(hook);
}

namespace {

void SetUpBox(QMessageBox& box, const QString& text, MsgIcon icon, const QString& title) {
    box.setWindowTitle(title);
    // The texts carry Windows line ends; a label wants plain line feeds.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (icon) {
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
}

} // namespace

QWidget* OpenMsgBox(QWidget* owner, const QString& text, MsgIcon icon, const QString& title) {
    if (g_msgHook) {
        g_msgHook(MsgRecord{text, title, icon, MsgButtons::OK, false});
        return nullptr;
    }
    auto* box = new QMessageBox(owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    SetUpBox(*box, text, icon, title);
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->show();
    return box;
}

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) {
    if (g_msgHook)
        return g_msgHook(MsgRecord{text, title, icon, buttons});

    const QPointer<QWidget> owner = QApplication::activeWindow();
    QMessageBox box(owner);
    SetUpBox(box, text, icon, title);
    if (buttons == MsgButtons::OKCancel) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(QStringLiteral("ｷｬﾝｾﾙ"), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        Reactivate(owner);
        return box.clickedButton() == cancel ? MsgResult::Cancel : MsgResult::OK;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    Reactivate(owner);
    return MsgResult::OK;
}

void FocusAfterMessage(QWidget* field) {
    if (!field)
        return;
    QWidget* window = field->window();
    if (!window->isVisible())
        return;
    // Only the latest message decides.
    for (QObject* old :
         window->findChildren<QObject*>(QLatin1String(kFocusGuardName), Qt::FindDirectChildrenOnly))
        delete old;
    // Also makes the field the window's focus child while another window is still active.
    PlaceFocus(field);
    if (window->isActiveWindow())
        return;
    new FocusOnActivation(window, field);
    window->activateWindow();
}

void WarnInput(QWidget* field, const QString& text, const QString& title) {
    MsgBox(text, MsgButtons::OK, MsgIcon::Warning, title);
    FocusAfterMessage(field);
}

bool ChooseColor(QWidget* parent, QColor& color) {
    if (g_colorHook)
        return g_colorHook(color);
    const QColor c = QColorDialog::getColor(color, parent);
    if (!c.isValid())
        return false;
    color = c;
    return true;
}

bool ChooseFile(QWidget* parent, bool save, const QString& title, const QString& filter,
                QString& path) {
    if (g_fileHook)
        return g_fileHook(save, title, filter, path);
    const QString chosen = save ? QFileDialog::getSaveFileName(parent, title, path, filter)
                                : QFileDialog::getOpenFileName(parent, title, path, filter);
    if (chosen.isEmpty())
        return false;
    path = chosen;
    return true;
}

bool ConfirmReplace(const QString& path, QWidget* field, const QString& title) {
    const QFileInfo target(path);
    if (!target.exists() || target.isDir() ||
        MsgBox(QStringLiteral("指定ファイルが存在します。上書きしてよろしいですか？"),
               MsgButtons::OKCancel, MsgIcon::Question, title) == MsgResult::OK)
        return true;
    FocusAfterMessage(field);
    return false;
}
