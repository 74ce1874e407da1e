#include "components/accessibility/Announcer.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QWidget>

// An accessible object of the role notification, the window's in name only:
// no widget stands behind it and the window does not list it among its
// children. Screen readers speak a notification when it becomes showing,
// wherever the focus is; a name change alone is spoken only on the focus.
class Announcer::Notification : public QAccessibleObject
{
public:
    Notification(QObject *owner, QWidget *window)
        : QAccessibleObject(owner)
        , m_window(window)
    {
    }

    void setName(const QString &name) { m_name = name; }

    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_window); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text type) const override { return type == QAccessible::Name ? m_name : QString(); }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }

private:
    QWidget *m_window;
    QString m_name;
};

Announcer::Announcer(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_gathering.setSingleShot(true);
    m_gathering.setInterval(gatheringMs);
    connect(&m_gathering, &QTimer::timeout, this, &Announcer::speak);
    m_floodEnding.setSingleShot(true);
    m_floodEnding.setInterval(gatheringMs);
    connect(&m_floodEnding, &QTimer::timeout, this, [this] { m_arrivals = Arrivals::Counted; });
}

void Announcer::announceArrival(const QString &text)
{
    if (!QAccessible::isActive())
        return;
    switch (m_arrivals) {
    case Arrivals::Muted:
        m_floodEnding.start();
        return;
    case Arrivals::Cut:
        return;
    case Arrivals::Counted:
        break;
    }
    const qsizetype room = mostArrivalCharactersSpoken - m_arrivedLength;
    if (text.size() <= room) {
        m_arrivedLength += text.size();
        queue(text);
        return;
    }
    m_arrivals = Arrivals::Cut;
    queue(text.left(room) + moreArrived);
}

void Announcer::announce(const QString &text)
{
    if (QAccessible::isActive())
        queue(text);
}

void Announcer::queue(const QString &text)
{
    m_pending.append(text);
    if (!m_gathering.isActive())
        m_gathering.start();
}

void Announcer::speak()
{
    if (!m_notification) {
        m_notification = new Notification(this, m_window);
        QAccessible::registerAccessibleInterface(m_notification);  // owned by Qt from here on
    }
    m_notification->setName(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
    m_arrivedLength = 0;
    if (m_arrivals == Arrivals::Cut) {
        m_arrivals = Arrivals::Muted;
        m_floodEnding.start();
    }
    // The name change renews what a screen reader holds of the name; showing
    // is what makes it speak.
    QAccessibleEvent renamed(m_notification, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent shown(m_notification, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
