#pragma once

#include <chrono>

class QTcpSocket;

// How a connection ends once its socket has let go of it.

// Lets a connection send what is still queued, then closes and frees it; at
// the latest after the linger time. The program does not end before: its last
// window may be gone while the peer still reads. A dial still resolving or
// connecting ends at once: nothing of it may reach the far side.
void closeGracefully(QTcpSocket *socket, std::chrono::milliseconds linger);

// Ends a connection at once. If it still had data to send, the peer is sent a
// reset: an orderly close would pass the cut-off text off as complete.
void discard(QTcpSocket *socket);
