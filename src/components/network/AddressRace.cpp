#include "components/network/AddressRace.h"

#include <QCoreApplication>
#include <QNetworkInterface>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

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

struct SocketAddress
{
    sockaddr_storage storage{};
    socklen_t size = 0;
};

SocketAddress socketAddress(const QHostAddress &address, quint16 port)
{
    SocketAddress result;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto &ipv4 = reinterpret_cast<sockaddr_in &>(result.storage);
        ipv4.sin_family = AF_INET;
        ipv4.sin_port = htons(port);
        ipv4.sin_addr.s_addr = htonl(address.toIPv4Address());
        result.size = sizeof ipv4;
    } else {
        auto &ipv6 = reinterpret_cast<sockaddr_in6 &>(result.storage);
        ipv6.sin6_family = AF_INET6;
        ipv6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&ipv6.sin6_addr, &bytes, sizeof bytes);
        bool numbered = false;
        ipv6.sin6_scope_id = address.scopeId().toUInt(&numbered);
        if (!numbered && !address.scopeId().isEmpty())
            ipv6.sin6_scope_id = QNetworkInterface::interfaceIndexFromName(address.scopeId());
        result.size = sizeof ipv6;
    }
    return result;
}

}  // namespace

// One address, dialled once on a socket of the system's own. Qt's socket
// would dial the same address again by itself when the peer resets the
// connection before Qt has looked at it, and a listening peer would see a
// conversation begin twice for one Connect.
class Dial : public QObject
{
public:
    using Done = std::function<void(Dial *, int systemError)>;

    Dial(const QHostAddress &address, quint16 port, QObject *parent, Done done)
        : QObject(parent)
        , m_done(std::move(done))
    {
        m_descriptor = ::socket(address.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6,
                                SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const SocketAddress to = socketAddress(address, port);
        if (m_descriptor < 0 || ::connect(m_descriptor, reinterpret_cast<const sockaddr *>(&to.storage), to.size) == 0) {
            finishLater(m_descriptor < 0 ? errno : 0);
        } else if (errno != EINPROGRESS) {
            finishLater(errno);
        } else {
            m_answered = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
            connect(m_answered, &QSocketNotifier::activated, this, [this] {
                m_answered->setEnabled(false);
                int error = 0;
                socklen_t size = sizeof error;
                ::getsockopt(m_descriptor, SOL_SOCKET, SO_ERROR, &error, &size);
                m_done(this, error);
            });
        }
    }

    // The notifier goes before the socket it watches.
    ~Dial() override
    {
        delete m_answered;
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

    // The connected descriptor; the caller closes it from now on.
    int take() { return std::exchange(m_descriptor, -1); }

private:
    void finishLater(int error)
    {
        QMetaObject::invokeMethod(this, [this, error] { m_done(this, error); }, Qt::QueuedConnection);
    }

    const Done m_done;
    int m_descriptor = -1;
    QSocketNotifier *m_answered = nullptr;
};

AddressRace::AddressRace(const QString &host, quint16 port, std::chrono::milliseconds stagger,
                         std::chrono::milliseconds timeout, const HostLookup &lookup, QObject *parent)
    : QObject(parent)
    , m_host(hostOfText(host))
    , m_port(port)
    , m_lookup(lookup)
{
    m_stagger.setSingleShot(true);
    m_stagger.setInterval(stagger);
    connect(&m_stagger, &QTimer::timeout, this, &AddressRace::dialNext);
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeout);
    connect(&m_timeout, &QTimer::timeout, this, &AddressRace::onTimedOut);
}

// The dials go with the race, closing their sockets at once.
AddressRace::~AddressRace() = default;

void AddressRace::start()
{
    const QHostAddress literal(m_host);
    if (!literal.isNull()) {
        race({literal});
        return;
    }
    m_lookup(m_host, this, [this](const QList<QHostAddress> &addresses) {
        if (addresses.isEmpty()) {
            emit notFound();
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
    auto *dial = new Dial(m_waiting.takeFirst(), m_port, this,
                          [this](Dial *done, int systemError) { onDialed(done, systemError); });
    m_dials << dial;
    m_lastTried = dial;
    m_timeout.start();
    if (!m_waiting.isEmpty())
        m_stagger.start();
}

void AddressRace::onDialed(Dial *dial, int systemError)
{
    m_dials.removeOne(dial);
    if (systemError == 0) {
        qDeleteAll(std::exchange(m_dials, {}));
        m_waiting.clear();
        m_stagger.stop();
        m_timeout.stop();
        auto *socket = new QTcpSocket;
        socket->setSocketDescriptor(dial->take());
        dial->deleteLater();
        emit won(socket);
        return;
    }
    if (dial == m_lastTried)
        m_lastError = systemError;
    dial->deleteLater();
    if (!m_waiting.isEmpty()) {
        dialNext();
    } else if (m_dials.isEmpty()) {
        m_timeout.stop();
        emit lost(m_lastError);
    }
}

// The addresses still dialling have had their time; the next is tried, if any.
void AddressRace::onTimedOut()
{
    qDeleteAll(std::exchange(m_dials, {}));
    m_lastError = ETIMEDOUT;
    if (!m_waiting.isEmpty())
        dialNext();
    else
        emit lost(m_lastError);
}
