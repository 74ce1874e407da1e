// Sending the input box with Enter and receiving the peer's text, both into
// the transcript.

#include "chat/Transcript.h"
#include "chat/WhileAway.h"
#include "chat/frmChat.h"

#include "components/accessibility/Announcer.h"
#include "components/core/Diagnostics.h"
#include "components/forms/MessageBox.h"
#include "components/network/StreamSocket.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <exception>

void frmChat::NewText_KeyPress(int &KeyAscii)
{
    qint16 savedState = StreamSocket::sckClosed;
    try {
        if (KeyAscii != 13)
            return;
        savedState = wsockData->State();
        const QString text = NewText->Text();
        if (text.isEmpty())
            return;
        wsockData->SendData(text);
        m_transcriptWriter->append(text, true);
        blnClearNewText = true;
        NewText->SetText(QString());
    } catch (const std::exception &error) {
        qCDebug(lcEvents) << "NewText_KeyPress:" << error.what();
        setStatus(QStringLiteral("Connection state: ") + SocketStateText(savedState));
        MsgBox(this, savedState == StreamSocket::sckConnected ? QStringLiteral("Operation canceled")
                                                              : QStringLiteral("Link to remote computer not established"));
    }
}

void frmChat::NewText_KeyUp(int, int)
{
    if (blnClearNewText) {
        blnClearNewText = false;
        NewText->SetText(QString());
    }
}

void frmChat::wsockData_DataArrival(qint32)
{
    const QString data = wsockData->GetData();
    m_transcriptWriter->append(data, false);
    m_announcer->announceArrival(data);
    showConnectionState(*wsockData);
    m_whileAway->arrived(m_peer, data);
}
