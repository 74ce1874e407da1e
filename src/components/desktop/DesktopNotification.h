#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <optional>

// One notification on the desktop, through the freedesktop.org Notifications
// service on the session bus: shown by the first show(), updated in place by
// the later ones, withdrawn when the object goes. Nothing waits for the
// service, and without a session bus or a service nothing happens at all.
class DesktopNotification : public QObject
{
    Q_OBJECT

public:
    // However often show() is called, the service hears at most one update in this time.
    static constexpr std::chrono::milliseconds updateInterval = std::chrono::seconds(1);

    explicit DesktopNotification(QObject *parent);
    ~DesktopNotification() override;

    // The body is plain text; whatever the service could read as markup is escaped.
    void show(const QString &summary, const QString &body);

signals:
    // The user chose the notification itself (its default action).
    void activated();

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
