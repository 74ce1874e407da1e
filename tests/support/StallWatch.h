#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The longest time the event loop kept a repeating zero-interval timer
// waiting while the watch lived: how long the window could not answer.
class StallWatch
{
public:
    StallWatch()
    {
        m_tick.setInterval(0);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            m_worstMs = qMax(m_worstMs, sinceTickMs());
            m_sinceTick.restart();
        });
        m_sinceTick.start();
        m_tick.start();
    }
    double worstMs() const { return qMax(m_worstMs, sinceTickMs()); }

private:
    double sinceTickMs() const { return m_sinceTick.nsecsElapsed() / 1e6; }

    QTimer m_tick;
    QElapsedTimer m_sinceTick;
    double m_worstMs = 0;
};
