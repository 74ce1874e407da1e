#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>

// Work too big for one frame goes a part each turn of the event loop, so that
// the window goes on drawing meanwhile: texts are queued in order, and each
// turn hands at most partSize characters of them to the writer. A part never
// ends inside "\r\n", nor between the two halves of a surrogate pair. With a
// pace, two turns that write are at least that far apart, and texts queue
// meanwhile.
class PartsPerTurn : public QObject
{
    Q_OBJECT

public:
    // Characters begin to end of a queued text, and the tag it was queued with.
    struct Part
    {
        const QString &text;
        qsizetype begin;
        qsizetype end;
        int tag;

        bool isFirst() const { return begin == 0; }
        bool isLast() const { return end == text.size(); }
        QStringView characters() const { return QStringView(text).sliced(begin, end - begin); }
    };
    using Writer = std::function<void(const Part &)>;

    PartsPerTurn(qsizetype partSize, Writer writer, QObject *parent = nullptr,
                 std::chrono::milliseconds pace = std::chrono::milliseconds(0));

    // Queues a text. With nothing before it, a text of one part is written at
    // once, if the pace allows; a longer one begins on the next turn, so that
    // the turn that queued it stays short.
    void enqueue(const QString &text, int tag = 0);
    // Drops, oldest first, the waiting texts not begun yet that the newer
    // ones supersede: those after them count at least `characters`
    // characters, as `counted` counts a text and its tag (at most its size),
    // or `texts` texts.
    using Counted = std::function<qsizetype(const QString &text, int tag)>;
    void dropSuperseded(qint64 characters, qsizetype texts, const Counted &counted);
    // Writes all that waits, now.
    void finish();
    // Drops all that waits; the writer may call it.
    void clear();

    bool isEmpty() const { return m_waiting.empty(); }
    qint64 waitingCharacters() const { return m_waitingCharacters; }
    // What waits, each text from where the next part begins.
    QList<QStringView> waitingTexts() const;

    // Where a part that would end at `end` ends instead.
    static qsizetype partEnd(const QString &text, qsizetype end);

private:
    struct Waiting
    {
        QString text;
        int tag;
    };

    void write(qint64 characters);
    std::chrono::nanoseconds untilPaceAllows() const;
    void scheduleNextTurn();

    const qsizetype m_partSize;
    const Writer m_writer;
    std::deque<Waiting> m_waiting;
    qsizetype m_writtenOfFirst = 0;
    qint64 m_waitingCharacters = 0;
    const std::chrono::milliseconds m_pace;
    QElapsedTimer m_sinceWritten;
    QTimer m_nextTurn;
};
