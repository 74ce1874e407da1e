#include "components/desktop/DesktopNotification.h"

#include "components/core/Diagnostics.h"
#include "components/desktop/App.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QTimer>
#include <optional>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString &interface = service;
const QString defaultAction = QStringLiteral("default");

QDBusMessage methodCall(const QString &method)
{
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

void closeNotification(uint id)
{
    QDBusConnection::sessionBus().send(methodCall(QStringLiteral("CloseNotification")) << id);
}

// The notification as the Notifications service shows it.
class DBusNotification : public DesktopNotification
{
    Q_OBJECT

public:
    explicit DBusNotification(QObject *parent);
    ~DBusNotification() override;

    void show(const QString &summary, const QString &body) override;

private slots:
    void onActionInvoked(uint id, const QString &action);

private:
    struct Content
    {
        QString summary;
        QString body;
    };

    void sendWaiting();
    void onShown(uint id);

    QTimer m_pace;
    // What the service has not heard yet.
    std::optional<Content> m_waiting;
    // The service's id for the notification; 0 until its first answer.
    uint m_id = 0;
    bool m_answerAwaited = false;
};

}  // namespace

DesktopNotification *DesktopNotification::create(QObject *parent)
{
    return new DBusNotification(parent);
}

DBusNotification::DBusNotification(QObject *parent)
    : DesktopNotification(parent)
{
    m_pace.setSingleShot(true);
    m_pace.setInterval(updateInterval);
    connect(&m_pace, &QTimer::timeout, this, &DBusNotification::sendWaiting);
    QDBusConnection::sessionBus().connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                                          SLOT(onActionInvoked(uint, QString)));
}

DBusNotification::~DBusNotification()
{
    // A notification still on its way is closed when the service answers.
    if (m_id != 0)
        closeNotification(m_id);
}

void DBusNotification::show(const QString &summary, const QString &body)
{
    m_waiting = Content{summary, body};
    sendWaiting();
}

void DBusNotification::sendWaiting()
{
    if (!m_waiting || m_answerAwaited || m_pace.isActive())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_waiting.reset();
        return;
    }
    QDBusMessage notify = methodCall(QStringLiteral("Notify"));
    notify << App::Title() << m_id << App::DesktopFileName() << m_waiting->summary << m_waiting->body.toHtmlEscaped()
           << QStringList{defaultAction, QStringLiteral("Show")}
           << QVariantMap{{QStringLiteral("desktop-entry"), App::DesktopFileName()}} << -1;
    m_waiting.reset();
    m_answerAwaited = true;
    m_pace.start();
    // The answer may come after this object has gone; it is heard all the same.
    auto *answer = new QDBusPendingCallWatcher(bus.asyncCall(notify));
    connect(answer, &QDBusPendingCallWatcher::finished, answer, [answer, notification = QPointer(this)] {
        answer->deleteLater();
        const QDBusPendingReply<uint> reply = *answer;
        if (reply.isError())
            qCDebug(lcDesktop) << "the notification service answered:" << reply.error().message();
        const uint id = reply.isValid() ? reply.value() : 0;
        if (notification)
            notification->onShown(id);
        else if (id != 0)
            closeNotification(id);
    });
}

void DBusNotification::onShown(uint id)
{
    m_answerAwaited = false;
    m_id = id;
    sendWaiting();
}

void DBusNotification::onActionInvoked(uint id, const QString &action)
{
    if (id != 0 && id == m_id && action == defaultAction)
        emit activated();
}

#include "DesktopNotification_dbus.moc"
