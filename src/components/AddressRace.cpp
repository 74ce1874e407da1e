#include "components/AddressRace.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <netdb.h>
#include <sys/socket.h>
#include <thread>

void systemHostLookup(const QString &name, QObject *context, std::function<void(const QList<QHostAddress> &)> done)
{
    const QByteArray encodedName = QUrl::toAce(name);
    auto deliver = [receiver = QPointer<QObject>(context), done = std::move(done)](const QList<QHostAddress> &found) {
        if (receiver)
            done(found);
    };
    std::thread([encodedName, deliver = std::move(deliver)]() mutable {
        QList<QHostAddress> found;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG;
        addrinfo *results = nullptr;
        if (::getaddrinfo(encodedName.constData(), nullptr, &hints, &results) == 0) {
            for (const addrinfo *result = results; result; result = result->ai_next) {
                const QHostAddress address(result->ai_addr);
                if (!found.contains(address))
                    found << address;
            }
            ::freeaddrinfo(results);
        }
        if (QCoreApplication *application = QCoreApplication::instance())
            QMetaObject::invokeMethod(application, [deliver = std::move(deliver), found] { deliver(found); });
    }).detach();
}

QString hostOfText(const QString &text)
{
    const QString host = text.trimmed();
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        const QString inside = host.mid(1, host.size() - 2);
        if (QHostAddress(inside).protocol() == QAbstractSocket::IPv6Protocol)
            return inside;
    }
    return host;
}

namespace {

// The addresses in the order they are tried: the families take turns, the
// resolver's first choice first.
QList<QHostAddress> interleaved(const QList<QHostAddress> &addresses)
{
    if (addresses.isEmpty())
        return addresses;
    const auto firstFamily = addresses.first().protocol();
    QList<QHostAddress> first, other, order;
    for (const QHostAddress &address : addresses)
        (address.protocol() == firstFamily ? first : other) << address;
    for (qsizetype i = 0; i < qMax(first.size(), other.size()); ++i) {
        if (i < first.size())
            order << first[i];
        if (i < other.size())
            order << other[i];
    }
    return order;
}

}  // namespace

AddressRace::AddressRace(const QString &host, quint16 port, std::chrono::milliseconds stagger,
                         const HostLookup &lookup, QObject *parent)
    : QObject(parent)
    , m_host(hostOfText(host))
    , m_port(port)
    , m_lookup(lookup)
{
    m_stagger.setSingleShot(true);
    m_stagger.setInterval(stagger);
    connect(&m_stagger, &QTimer::timeout, this, &AddressRace::dialNext);
}

void AddressRace::start()
{
    const QHostAddress literal(m_host);
    if (!literal.isNull()) {
        race({literal});
        return;
    }
    m_lookup(m_host, this, [this](const QList<QHostAddress> &addresses) {
        if (addresses.isEmpty()) {
            emit lost(QAbstractSocket::HostNotFoundError, QStringLiteral("Host not found"));
            return;
        }
        race(addresses);
    });
}

void AddressRace::race(const QList<QHostAddress> &addresses)
{
    m_waiting = interleaved(addresses);
    emit resolved();
    dialNext();
}

void AddressRace::dialNext()
{
    m_stagger.stop();
    if (m_waiting.isEmpty())
        return;
    auto *attempt = new QTcpSocket(this);
    m_attempts << attempt;
    m_lastTried = attempt;
    // Queued: Qt may report an attempt's outcome inside connectToHost itself.
    connect(attempt, &QAbstractSocket::connected, this, [this, attempt] { onAttemptConnected(attempt); },
            Qt::QueuedConnection);
    connect(attempt, &QAbstractSocket::errorOccurred, this, [this, attempt] { onAttemptFailed(attempt); },
            Qt::QueuedConnection);
    attempt->connectToHost(m_waiting.takeFirst(), m_port);
    if (!m_waiting.isEmpty())
        m_stagger.start();
}

void AddressRace::onAttemptConnected(QTcpSocket *attempt)
{
    if (!m_attempts.contains(attempt) || attempt->state() != QAbstractSocket::ConnectedState)
        return;
    m_attempts.removeOne(attempt);
    for (QTcpSocket *loser : std::as_const(m_attempts))
        loser->abort();
    m_waiting.clear();
    m_stagger.stop();
    attempt->disconnect(this);
    attempt->setParent(nullptr);
    emit won(attempt);
}

void AddressRace::onAttemptFailed(QTcpSocket *attempt)
{
    if (!m_attempts.contains(attempt))
        return;
    m_attempts.removeOne(attempt);
    if (attempt == m_lastTried) {
        m_lastError = attempt->error();
        m_lastErrorText = attempt->errorString();
    }
    attempt->deleteLater();
    if (!m_waiting.isEmpty()) {
        dialNext();
        return;
    }
    if (m_attempts.isEmpty())
        emit lost(m_lastError, m_lastErrorText);
}
