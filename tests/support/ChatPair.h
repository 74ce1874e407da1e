#pragma once

#include "chat/frmChat.h"

#include <QPointer>


// Real chat windows on loopback: one listening on a free port, and callers
// that dial it. The windows close when the object goes.
class ChatPair
{
public:
    ChatPair();
    ~ChatPair();

    // Starts listening on a free port of 127.0.0.1 through the toggle button.
    void listen();
    quint16 port() const;
    // A window set up to connect to the listener; it is not connected yet.
    frmChat *newCaller();
    // Clicks the caller's Connect and waits until both ends are connected.
    bool connect(frmChat *caller);
    // Raw peers dial the listener all at once. True when, once they are all
    // answered, exactly one of them still has a conversation; the peers then go.
    bool burstOfRequests(int count);

    QPointer<frmChat> listener;
    QList<QPointer<frmChat>> callers;

private:
    quint16 m_port = 0;
};

