#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <sys/resource.h>
#include <time.h>

// One wait of the event loop: how long it was, how much of it the main thread
// spent running, and the page faults it took meanwhile.
struct Stall
{
    double ms = 0;
    double runningMs = 0;
    long pageFaults = 0;

    // The main thread ran for most of it: the program's own work, not the
    // machine giving the core to another process.
    bool ownWork() const { return runningMs > ms / 2; }
};

// The waits of the event loop while the watch lives, measured by a repeating
// zero-interval timer: the longest one, the longest that was the program's
// own work, and how many frames the window could not have drawn.
class StallWatch
{
public:
    static constexpr double frameMs = 16;

    StallWatch()
    {
        m_tick.setInterval(0);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const Stall stall = sinceTick();
            m_missedFrames += qint64(stall.ms / frameMs);
            m_worst = longer(m_worst, stall);
            if (stall.ownWork())
                m_worstOwnWork = longer(m_worstOwnWork, stall);
            m_lastTick = now();
        });
        m_lastTick = now();
        m_start = m_lastTick;
        m_tick.start();
    }

    double worstMs() const { return worst().ms; }
    Stall worst() const { return longer(m_worst, sinceTick()); }
    Stall worstOwnWork() const
    {
        const Stall current = sinceTick();
        return current.ownWork() ? longer(m_worstOwnWork, current) : m_worstOwnWork;
    }
    // The share of the frames since the watch began in which the event loop
    // never came round, so that the window could not repaint.
    double missedFrameShare() const
    {
        const double frames = (now().wallNs - m_start.wallNs) / 1e6 / frameMs;
        return frames > 0 ? m_missedFrames / frames : 0;
    }

private:
    struct Clocks
    {
        qint64 wallNs;
        qint64 threadNs;
        long pageFaults;
    };

    static Clocks now()
    {
        timespec wall{}, thread{};
        clock_gettime(CLOCK_MONOTONIC, &wall);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &thread);
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return {wall.tv_sec * 1'000'000'000LL + wall.tv_nsec, thread.tv_sec * 1'000'000'000LL + thread.tv_nsec,
                usage.ru_minflt + usage.ru_majflt};
    }
    static Stall longer(const Stall &a, const Stall &b) { return b.ms > a.ms ? b : a; }

    Stall sinceTick() const
    {
        const Clocks clocks = now();
        return {(clocks.wallNs - m_lastTick.wallNs) / 1e6, (clocks.threadNs - m_lastTick.threadNs) / 1e6,
                clocks.pageFaults - m_lastTick.pageFaults};
    }

    QTimer m_tick;
    Clocks m_start{};
    Clocks m_lastTick{};
    Stall m_worst;
    Stall m_worstOwnWork;
    qint64 m_missedFrames = 0;
};
