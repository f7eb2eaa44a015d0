#include "MsgBox.h"

#include "mdlVaskel.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
MsgBoxHook g_msgHook;
ColorChooserHook g_colorHook;
FileChooserHook g_fileHook;
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

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) {
    if (g_msgHook)
        return g_msgHook(MsgRecord{text, title, icon, buttons});

    QMessageBox box(QApplication::activeWindow());
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
    if (buttons == MsgButtons::OKCancel) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(QStringLiteral("ｷｬﾝｾﾙ"), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == cancel ? MsgResult::Cancel : MsgResult::OK;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return MsgResult::OK;
}

bool ChooseColor(QWidget* parent, quint32& bgr) {
    if (g_colorHook)
        return g_colorHook(bgr);
    const QColor c = QColorDialog::getColor(ColorFromBgr(bgr), parent);
    if (!c.isValid())
        return false;
    bgr = BgrFromColor(c);
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
