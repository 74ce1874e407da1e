// Windows asks a program to end by ending the session (log off, shut down, a
// restart after an update): Qt hears it as the application's request to
// commit its data. The windows close then, and what is queued for a peer goes
// out while the session still lasts; what is left when Windows ends the
// process is sent as a reset, never as an orderly end after part of a text.

#include "components/desktop/SystemEnd.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QWindow>

// Windows asks the top-level windows first, then tells them that the session
// ends, and Qt hears that as the application's end: the lingering connections
// go then, those with data left by a reset. The chat window is gone by then,
// so a window that never shows stays to hear it.
SystemEnd::SystemEnd(QObject *parent)
    : QObject(parent)
{
    auto *listener = new QWindow;
    listener->create();
    m_listener = listener;
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { onAsked(); });
}

SystemEnd::~SystemEnd()
{
    delete m_listener;
}
