// Windows asks a program to end by ending the session (log off, shut down, a
// restart after an update): Qt hears it as the application's request to
// commit its data. The windows close then, and what is queued for a peer goes
// out while the session still lasts; what is left when Windows ends the
// process is sent as a reset, never as an orderly end after part of a text.

#include "components/desktop/SystemEnd.h"

#include <QGuiApplication>
#include <QSessionManager>

SystemEnd::SystemEnd(QObject *parent)
    : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { onAsked(); });
}

SystemEnd::~SystemEnd() = default;
