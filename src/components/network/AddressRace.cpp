#include "components/network/AddressRace.h"

#include "components/core/Diagnostics.h"
#include "components/network/SocketErrors.h"
#include "components/network/SystemSocket.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <thread>

void systemHostLookup(const QString &name, QObject *context, std::function<void(const QList<QHostAddress> &)> done)
{
    const QByteArray encodedName = QUrl::toAce(name);
    auto deliver = [receiver = QPointer<QObject>(context), done = std::move(done)](const QList<QHostAddress> &found) {
        if (receiver)
            done(found);
    };
    std::thread([encodedName, deliver = std::move(deliver)]() mutable {
        const QList<QHostAddress> found = SystemSocket::lookUp(encodedName);
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

// One address, dialled once on a socket of the system's own. Qt's socket
// would dial the same address again by itself when the peer resets the
// connection before Qt has looked at it, and a listening peer would see a
// conversation begin twice for one Connect.
class Dial : public QObject
{
public:
    using Done = std::function<void(Dial *, int errorNumber)>;

    Dial(const QHostAddress &address, quint16 port, QObject *parent, Done done)
        : QObject(parent)
        , m_address(address)
        , m_done(std::move(done))
    {
        const SystemSocket::Dialling dialling = SystemSocket::dial(address, port);
        m_descriptor = dialling.descriptor;
        if (!dialling.inProgress) {
            finishLater(dialling.error);
            return;
        }
        m_answered = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
        connect(m_answered, &QSocketNotifier::activated, this, [this] {
            m_answered->setEnabled(false);
            finish(SystemSocket::dialOutcome(m_descriptor));
        });
    }

    // The notifier goes before the socket it watches.
    ~Dial() override
    {
        delete m_answered;
        if (m_descriptor != SystemSocket::none)
            SystemSocket::close(m_descriptor);
    }

    // The connected descriptor; the caller closes it from now on.
    SystemSocket::Descriptor take() { return std::exchange(m_descriptor, SystemSocket::none); }

private:
    void finish(int errorNumber)
    {
        if (errorNumber != 0)
            qCDebug(lcNetwork) << "dialling" << m_address << "failed:" << errorNumber
                               << SocketErrors::text(errorNumber).description;
        m_done(this, errorNumber);
    }

    void finishLater(int errorNumber)
    {
        QMetaObject::invokeMethod(this, [this, errorNumber] { finish(errorNumber); }, Qt::QueuedConnection);
    }

    const QHostAddress m_address;
    const Done m_done;
    SystemSocket::Descriptor m_descriptor = SystemSocket::none;
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
            qCDebug(lcNetwork) << "no address found for" << m_host;
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
                          [this](Dial *done, int errorNumber) { onDialed(done, errorNumber); });
    m_dials << dial;
    m_lastTried = dial;
    m_timeout.start();
    if (!m_waiting.isEmpty())
        m_stagger.start();
}

void AddressRace::onDialed(Dial *dial, int errorNumber)
{
    m_dials.removeOne(dial);
    if (errorNumber == 0) {
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
        m_lastError = errorNumber;
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
    m_lastError = SocketErrors::timedOut;
    if (!m_waiting.isEmpty())
        dialNext();
    else
        emit lost(m_lastError);
}
