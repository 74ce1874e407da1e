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
    // Keeps what changes in widget as text goes into it (text, caret, scroll
    // bars) from screen readers while the focus is elsewhere: they would not
    // speak it, and in a flood it buries the announcements.
    static void hushEditsAwayFromFocus(QWidget *widget);

private:
    class Notification;

    void queue(const QString &text);
    void speak();

    QWidget *m_window;
    Notification *m_notification = nullptr;
    QTimer m_gathering;
    QTimer m_floodEnding;
    QStringList m_pending;
    qsizetype m_arrivedLength = 0;
    bool m_cut = false;
    bool m_flooding = false;
};
