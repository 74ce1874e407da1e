#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QWidget;

// Has a screen reader speak what changes away from the focus: text arriving
// in a transcript, a new status line. Texts that come close together are
// spoken as one announcement a moment after the first, and arrivals beyond a
// few hundred characters are cut with a short note; arrivals after a cut one
// are not spoken until they pause. Nothing is shown, and nothing is done while no
// assistive technology is active.
class Announcer : public QObject
{
    Q_OBJECT

public:
    static constexpr int gatheringMs = 300;
    static constexpr qsizetype mostArrivalCharactersSpoken = 400;  // in one announcement
    static inline const QString moreArrived = QStringLiteral("… and more");

    explicit Announcer(QWidget *window);

    // Text that arrived; counted against the length one announcement speaks.
    void announceArrival(const QString &text);
    // A short message, such as a new status; never cut.
    void announce(const QString &text);
private:
    class Notification;

    void queue(const QString &text);
    void speak();

    // What becomes of text that arrives: counted into the next announcement;
    // left out, as the next announcement is cut already; or left out until
    // arrivals pause, as a cut announcement has been spoken.
    enum class Arrivals { Counted, Cut, Muted };

    QWidget *m_window;
    Notification *m_notification = nullptr;
    QTimer m_gathering;  // runs while texts wait in m_pending
    QTimer m_floodEnding;  // runs while Muted
    QStringList m_pending;
    qsizetype m_arrivedLength = 0;  // of the arrivals in m_pending
    Arrivals m_arrivals = Arrivals::Counted;
};
