#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QTcpSocket;

// Looks a host name up and hands its addresses, in the resolver's order, to
// `done` from the event loop of `context`'s thread, never inside the call;
// not at all once `context` is gone. An empty list: the name is not known.
using HostLookup = std::function<void(const QString &name, QObject *context,
                                      std::function<void(const QList<QHostAddress> &)> done)>;

// The system's resolver, on a thread of its own that nobody waits for: a
// lookup that never answers holds up neither a Close nor the program's end.
void systemHostLookup(const QString &name, QObject *context, std::function<void(const QList<QHostAddress> &)> done);

// The host part of what a user typed: blanks around it go, and an IPv6
// address may stand in brackets, as in a URL.
QString hostOfText(const QString &text);

class Dial;

// Dials the addresses of a host as Happy Eyeballs does: the next address, of
// the other family first, is dialled as soon as the one before fails or when
// it has not answered within the stagger, while the earlier ones go on. Each
// address is dialled once. The first connection wins and the others are
// closed before it is handed on. An address that has not answered within
// `timeout` has failed. The outcome (won, notFound, lost) is signalled from
// the event loop, never inside start(); resolved may be, for an address.
class AddressRace : public QObject
{
    Q_OBJECT

public:
    AddressRace(const QString &host, quint16 port, std::chrono::milliseconds stagger, std::chrono::milliseconds timeout,
                const HostLookup &lookup, QObject *parent);
    ~AddressRace() override;

    void start();

signals:
    void resolved();
    // The winner, parented to nobody: the receiver takes it.
    void won(QTcpSocket *socket);
    // The name is not known.
    void notFound();
    // Every address failed; the error number (SocketErrors.h) of the last address tried.
    void lost(int errorNumber);

private:
    void race(const QList<QHostAddress> &addresses);
    void dialNext();
    void onDialed(Dial *dial, int errorNumber);
    void onTimedOut();

    const QString m_host;
    const quint16 m_port;
    const HostLookup m_lookup;
    QList<QHostAddress> m_waiting;
    QList<Dial *> m_dials;
    Dial *m_lastTried = nullptr;
    int m_lastError = 0;
    QTimer m_stagger;
    QTimer m_timeout;
};
