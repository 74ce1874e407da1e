// The toggle button: connect, listen or disconnect, by its caption.

#include "chat/WhileAway.h"
#include "chat/frmChat.h"

#include "components/accessibility/Announcer.h"
#include "components/core/Conversion.h"
#include "components/core/Diagnostics.h"
#include "components/forms/MessageBox.h"
#include "components/forms/StatusBar.h"
#include "components/network/StreamSocket.h"
#include "components/text/TextBox.h"
#include "options/frmOptions.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <exception>

void frmChat::cmdConnect_Click()
{
    const QString caption = cmdConnect->text();
    try {
        if (caption == QLatin1String("Connect"))
            connectBranch();
        else if (caption == QLatin1String("Listen"))
            listenBranch();
        else if (caption == QLatin1String("Disconnect"))
            disconnectBranch();
    } catch (const std::exception &error) {
        qCDebug(lcEvents) << "cmdConnect_Click:" << error.what();
        reportConnectFailure();
    }
}

void frmChat::connectBranch()
{
    if (strRemotePort.isEmpty() || strRemoteHost.isEmpty())
        return;
    wsockData->SetRemoteHost(strRemoteHost);
    wsockData->SetRemotePort(TextToLong(strRemotePort));
    wsockData->Connect();
    ++m_conversationNumber;
    setButtonCaption(QStringLiteral("Disconnect"));
    strMode = QStringLiteral("Connect");
}

void frmChat::listenBranch()
{
    if (!strLocalPort.isEmpty()) {
        wsockListener->SetLocalPort(TextToLong(strLocalPort));
        wsockListener->Listen();
        setButtonCaption(QStringLiteral("Disconnect"));
    }
    strMode = QStringLiteral("Connect");
}

void frmChat::disconnectBranch()
{
    if (!CloseAllConnections())
        MsgBox(this, QStringLiteral("Error trying to disconnect"));
    strMode = QStringLiteral("Close");
    setButtonCaption(m_options->optionConnect->isChecked() ? QStringLiteral("Connect") : QStringLiteral("Listen"));
    ShowConversationClosed();
}

void frmChat::ShowConversationClosed(const QString &how)
{
    setWindowTitle(strCaption);
    showConnectionState(*wsockData);
    showConversationEnded(how);
}

void frmChat::showConnectionState(const StreamSocket &socket)
{
    setStatus(QStringLiteral("Connection ") + SocketStateText(socket.State()));
}

// Every branch fails the same way: the data socket's state in the status line
// and a message box naming the remote host and port.
void frmChat::reportConnectFailure()
{
    setStatus(QStringLiteral("Connection state: ") + SocketStateText(wsockData->State()));
    MsgBox(this, QStringLiteral("Error connecting to host ") + strRemoteHost + QStringLiteral("\r\nOn port ") + strRemotePort
               + QStringLiteral("\r\nWinsock State = ") + QString::number(wsockData->State()),
           vbOKOnly, QStringLiteral("Error Connecting"));
}

bool frmChat::CloseAllConnections()
{
    ++m_conversationNumber;
    try {
        if (wsockData->State() != StreamSocket::sckClosed)
            wsockData->Close();
        if (wsockListener->State() != StreamSocket::sckClosed)
            wsockListener->Close();
        return true;
    } catch (const std::exception &error) {
        qCDebug(lcEvents) << "CloseAllConnections:" << error.what();
        return false;
    }
}

QString frmChat::SocketStateText(qint32 state)
{
    static const char *const texts[] = {
        "Closed",         "Open",          "Listening",  "Pending",   "Resolving Host",
        "Host Resolved",  "Connecting",    "Connected",  "Peer is closing the connection", "Error",
    };
    if (state < 0 || state >= qint32(std::size(texts)))
        return QStringLiteral("Winsock State Undetermined");
    return QString::fromLatin1(texts[state]);
}

// A screen reader does not speak the focused button's new caption by itself.
void frmChat::setButtonCaption(const QString &caption)
{
    if (cmdConnect->hasFocus() && cmdConnect->text() != caption)
        m_announcer->announce(caption);
    cmdConnect->setText(caption);
}

void frmChat::setStatus(const QString &text)
{
    QLabel *const status = sbarChat->Panels(1);
    if (status->text() != text)
        m_announcer->announce(text);
    status->setText(text);
}

// A conversation has begun, dialled out or accepted: the caption says so, and
// typing goes to the input box, so that a space does not press "Disconnect",
// now or when the user comes back to a window in the background. Only the
// toggle button gives up the focus; the window is neither raised nor activated.
// A button held down keeps it: losing the focus would let go of the press, and
// the user's click on "Disconnect" would come to nothing.
void frmChat::showConversationStarted()
{
    setWindowTitle(strCaption + QStringLiteral(" (connected)"));
    if (focusWidget() == cmdConnect && !cmdConnect->isDown())
        NewText->setFocus(Qt::OtherFocusReason);
    m_peer = wsockData->RemoteHostIP() + QStringLiteral(", port ") + QString::number(wsockData->RemotePort());
    describePeer(QStringLiteral("The other side is ") + m_peer);
    m_whileAway->conversationStarted();
}

void frmChat::showConversationEnded(const QString &how)
{
    if (m_peer.isEmpty())
        return;
    describePeer(QStringLiteral("The conversation with ") + m_peer + QStringLiteral(" has ended"));
    m_whileAway->conversationEnded(m_peer, how);
    m_peer.clear();
}

// The status bar names the peer to the mouse and to screen readers.
void frmChat::describePeer(const QString &text)
{
    QLabel *const status = sbarChat->Panels(1);
    status->setToolTip(text);
    status->setAccessibleDescription(QStringLiteral("Connection status. ") + text);
}
