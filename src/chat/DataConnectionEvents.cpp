// The data socket's connect, close and error events keep the caption and the
// status line in step with the conversation.

#include "chat/frmChat.h"

#include "components/forms/MessageBox.h"
#include "components/network/StreamSocket.h"

void frmChat::wsockData_Connect()
{
    showConversationStarted();
    showConnectionState(*wsockData);
}

void frmChat::wsockData_Close()
{
    ShowConversationClosed(QStringLiteral("The other side closed the conversation."));
}

void frmChat::wsockData_Error(qint16 Number, QString &Description, qint32, const QString &, const QString &, qint32,
                              bool &CancelDisplay)
{
    CancelDisplay = true;
    setStatus(QStringLiteral("Winsock Error #") + QString::number(Number) + QStringLiteral(" ") + Description);
    showConversationEnded(QStringLiteral("The connection failed: ") + Description);
    const quint64 failedConversation = m_conversationNumber;
    MsgBox(this, QStringLiteral("Winsock Error #") + QString::number(Number) + QStringLiteral("\r\n") + Description);
    // While the box was open a new peer may have been accepted: that one stays.
    if (m_conversationNumber == failedConversation)
        wsockData->Close();
}
