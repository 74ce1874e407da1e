// On Windows the notification is the system tray's: a balloon, or a toast
// from Windows 10 on, beside the program's icon in the notification area.

#include "components/desktop/App.h"
#include "components/desktop/DesktopNotification.h"

#include <QSystemTrayIcon>
#include <QTimer>
#include <optional>

namespace {

class TrayNotification : public DesktopNotification
{
public:
    explicit TrayNotification(QObject *parent)
        : DesktopNotification(parent)
    {
        m_tray.setIcon(App::Icon());
        m_tray.setToolTip(App::Title());
        connect(&m_tray, &QSystemTrayIcon::messageClicked, this, &DesktopNotification::activated);
        // The icon stays once the balloon has gone; a click on it is the way back then.
        connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit activated();
        });
        m_pace.setSingleShot(true);
        m_pace.setInterval(updateInterval);
        connect(&m_pace, &QTimer::timeout, this, &TrayNotification::showWaiting);
    }

    // The balloon shows plain text: nothing in it is read as markup.
    void show(const QString &summary, const QString &body) override
    {
        m_waiting = {summary, body};
        showWaiting();
    }

private:
    void showWaiting()
    {
        if (!m_waiting || m_pace.isActive() || !QSystemTrayIcon::isSystemTrayAvailable())
            return;
        m_tray.show();
        m_tray.showMessage(m_waiting->first, m_waiting->second, App::Icon());
        m_waiting.reset();
        m_pace.start();
    }

    QSystemTrayIcon m_tray;  // hidden, and the balloon with it, when the object goes
    QTimer m_pace;
    std::optional<std::pair<QString, QString>> m_waiting;
};

}  // namespace

DesktopNotification *DesktopNotification::create(QObject *parent)
{
    return new TrayNotification(parent);
}
