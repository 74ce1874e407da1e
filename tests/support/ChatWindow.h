#pragma once

#include "about/frmAbout.h"
#include "chat/frmChat.h"
#include "components/forms/StatusBar.h"
#include "components/text/PartsPerTurn.h"
#include "components/text/TextBox.h"
#include "options/frmOptions.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

// The chat window's Options dialog, which it makes, hidden, as it opens.
inline frmOptions *optionsOf(const frmChat *chat)
{
    return chat->findChild<frmOptions *>();
}

// The About boxes open, or closed but not gone yet.
inline QList<frmAbout *> aboutBoxes()
{
    QList<frmAbout *> boxes;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *about = qobject_cast<frmAbout *>(window))
            boxes << about;
    }
    return boxes;
}

// The chat window's status line.
inline QString status(const frmChat *chat)
{
    return chat->sbarChat->Panels(1)->text();
}

// Enter pressed and released in the input box, as the keyboard sends it.
inline void pressEnter(frmChat *chat)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(chat->NewText, &press);
    QApplication::sendEvent(chat->NewText, &release);
}

// A line typed into the input box and sent with Enter.
inline void sendLine(frmChat *chat, const QString &text)
{
    chat->NewText->SetText(text);
    pressEnter(chat);
}

// Whether a paste is still going into the box a part each turn.
inline bool isPasting(TextBox *box)
{
    return !box->findChild<PartsPerTurn *>()->isEmpty();
}
