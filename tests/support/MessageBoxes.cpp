#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>

MessageBoxes::MessageBoxes()
{
    m_poll.setInterval(0);
    connect(&m_poll, &QTimer::timeout, this, &MessageBoxes::answerOpenBox);
    m_poll.start();
}

void MessageBoxes::answerOpenBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    Seen record{box->windowTitle(), box->text(), {}, whenShown ? whenShown() : QString(),
                box->windowHandle()->transientParent()};
    for (QAbstractButton *button : box->buttons())
        record.buttons << button->text().remove(u'&');
    seen << record;
    const QMessageBox::StandardButton answer = answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
    box->button(answer)->click();
}
