#pragma once

#include "chat/frmChat.h"

#include <QPointer>


// Real chat windows on loopback: one listening on a port the system picks,
// and callers that dial it. The windows close when the object goes.
class ChatPair
{
public:
    ChatPair();
    ~ChatPair();

    // Starts listening through the toggle button, with the local port "0".
    void listen();
    // The port the listener listens on; 0 while it does not.
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
};

