// The listening socket: every incoming connection is accepted on the data
// socket, replacing the conversation in progress.

#include "chat/frmChat.h"

#include "components/forms/MessageBox.h"
#include "components/network/StreamSocket.h"

#include <QCoreApplication>

void frmChat::wsockListener_ConnectionRequest(qint32 requestID)
{
    if (wsockData->State() != StreamSocket::sckClosed) {
        const quint64 conversation = m_conversationNumber;
        wsockData->Close();
        QCoreApplication::processEvents();
        // A newer request accepted while the events ran keeps the conversation;
        // this older one is left unaccepted, and the listener closes it.
        if (wsockData->State() != StreamSocket::sckClosed)
            return;
        // The user ended the session meanwhile (Disconnect, Options OK): a
        // stranger must not get the next line typed.
        if (m_conversationNumber != conversation || wsockListener->State() != StreamSocket::sckListening) {
            ShowConversationClosed();
            return;
        }
    }
    wsockData->Accept(requestID);
    ++m_conversationNumber;
    showConnectionState(*wsockListener);
    showConversationStarted();
}

void frmChat::wsockListener_Error(qint16 Number, QString &Description, qint32, const QString &, const QString &, qint32,
                                  bool &CancelDisplay)
{
    CancelDisplay = true;
    MsgBox(this, QStringLiteral("Attempt to listen on port ") + strLocalPort + QStringLiteral(" failed. Error #")
           + QString::number(Number) + QStringLiteral("\r\n") + Description);
    setStatus(QStringLiteral("Winsock Error #") + QString::number(Number) + QStringLiteral(" ") + Description);
    wsockListener->Close();
}
