#include "components/StreamSocket.h"

#include "components/MessageBox.h"

#include <QWidget>

void StreamSocket::RaiseError(qint16 number, const QString &description)
{
    QString shownDescription = description;
    bool cancelDisplay = false;
    emit Error(number, shownDescription, 0, objectName(), QString(), 0, cancelDisplay);
    if (!cancelDisplay)
        MsgBox(qobject_cast<QWidget *>(parent()), shownDescription);
}
