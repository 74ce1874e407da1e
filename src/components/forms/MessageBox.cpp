#include "components/forms/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

MsgBoxResult MsgBox(QWidget *owner, const QString &prompt, MsgBoxButtons buttons, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::NoButton, owner ? owner->window() : nullptr);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    QAbstractButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    if (buttons == vbOKCancel)
        box.addButton(QMessageBox::Cancel);
    else
        box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == ok ? vbOK : vbCancel;
}
