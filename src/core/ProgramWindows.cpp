#include "core/ProgramWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

QWidget* WidgetOfWindow(QWindow* w) {
    if (!w)
        return nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == w)
            return top;
    }
    return nullptr;
}

bool IsMessageBoxWindow(QWindow* w) {
    return qobject_cast<QMessageBox*>(WidgetOfWindow(w)) != nullptr;
}

bool IsOtherProgramWindow(QWindow* w, const QWidget* self) {
    QWidget* top = WidgetOfWindow(w);
    if (!top || top == self || qobject_cast<QMessageBox*>(top))
        return false;
    const Qt::WindowType type = top->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

void BringToFront(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

void ShowNewDialog(QDialog* d, bool modal) {
    d->setAttribute(Qt::WA_DeleteOnClose);
    if (modal)
        d->exec();
    else
        BringToFront(d);
}

bool CancelDialog(QDialog* d) {
    if (!d)
        return false;
    d->reject();
    return true;
}

QWidgetList OwnerlessWindows() {
    QWidgetList found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->parentWidget())
            found.append(w);
    }
    return found;
}

QWidgetList AllProgramWindows() {
    return QApplication::topLevelWidgets();
}

void PrepareDialog(QDialog* d, const char* objectName, const QString& title) {
    d->setObjectName(QString::fromLatin1(objectName));
    if (!title.isNull())
        d->setWindowTitle(title);
    d->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption, bool checked) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(QString::fromUtf8(caption).remove(QLatin1Char('&')));
    box->setChecked(checked);
    return box;
}

OkCancelRow MakeOkCancelRow(QDialog* d, const char* okName, const char* cancelName) {
    auto* ok = new QPushButton(QStringLiteral("OK"), d);
    ok->setObjectName(QString::fromLatin1(okName));
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), d);
    cancel->setObjectName(QString::fromLatin1(cancelName));
    QObject::connect(cancel, &QPushButton::clicked, d, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return {ok, cancel, row};
}
