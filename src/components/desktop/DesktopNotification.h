#pragma once

#include <QObject>
#include <QString>
#include <chrono>

// One notification on the desktop, through whatever service the system
// offers for it (DesktopNotification_dbus.cpp: the freedesktop.org
// Notifications service on the session bus), picked by the build: shown by
// the first show(), updated in place by the later ones, withdrawn when the
// object goes. Nothing waits for the service, and without one nothing happens
// at all.
class DesktopNotification : public QObject
{
    Q_OBJECT

public:
    // However often show() is called, the service hears at most one update in this time.
    static constexpr std::chrono::milliseconds updateInterval = std::chrono::seconds(1);

    // A notification of this system's service.
    static DesktopNotification *create(QObject *parent);

    // The body is plain text; whatever the service could read as markup is escaped.
    virtual void show(const QString &summary, const QString &body) = 0;

signals:
    // The user chose the notification itself (its default action).
    void activated();

protected:
    using QObject::QObject;
};
