#pragma once

#include <QObject>
#include <QString>

// A TCP stream socket the windows drive: calls return at once and throw
// ComponentError when they cannot be carried out; outcomes arrive later as
// signals: ConnectionRequest, Connected (an outgoing connection is made),
// DataArrival, Closed (the peer closed the connection) and Error.
class StreamSocket : public QObject
{
    Q_OBJECT

public:
    enum : qint16 {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckConnectionPending = 3,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };

    using QObject::QObject;

    virtual qint16 State() const = 0;
    virtual void SetRemoteHost(const QString &host) = 0;
    virtual void SetRemotePort(qint32 port) = 0;
    // The peer of the connection this socket carries, or carried last: its
    // address (an IPv4 one dotted) and its port. Empty and 0 before any.
    virtual QString RemoteHostIP() const = 0;
    virtual qint32 RemotePort() const = 0;
    virtual void SetLocalPort(qint32 port) = 0;
    virtual void Connect() = 0;
    virtual void Listen() = 0;
    virtual void Accept(qint32 requestID) = 0;
    virtual void Close() = 0;
    virtual void SendData(const QString &text) = 0;
    virtual QString GetData() = 0;

    // The most characters one DataArrival hands over, so that a flooding peer
    // cannot hold up the program with one huge piece of text.
    static constexpr qsizetype largestArrival = 128 * 1024;

signals:
    void ConnectionRequest(qint32 requestID);
    void Connected();
    void DataArrival(qint32 bytesTotal);
    void Closed();
    // Description and CancelDisplay are written back: a handler may reword the
    // description, and sets CancelDisplay to true once it has shown the error.
    // The socket never shows a window of its own. Only a direct connection
    // (the default within the GUI thread) can write them back; a queued one
    // cannot carry references.
    void Error(qint16 Number, QString &Description, qint32 Scode, const QString &Source,
               const QString &HelpFile, qint32 HelpContext, bool &CancelDisplay);

protected:
    void RaiseError(qint16 number, const QString &description)
    {
        QString shownDescription = description;
        bool cancelDisplay = false;
        emit Error(number, shownDescription, 0, objectName(), QString(), 0, cancelDisplay);
    }
};
