#include "components/text/PartsPerTurn.h"

using namespace std::chrono_literals;

PartsPerTurn::PartsPerTurn(qsizetype partSize, Writer writer, QObject *parent, std::chrono::milliseconds pace)
    : QObject(parent)
    , m_partSize(partSize)
    , m_writer(std::move(writer))
    , m_pace(pace)
{
    m_nextTurn.setSingleShot(true);
    connect(&m_nextTurn, &QTimer::timeout, this, [this] { write(m_partSize); });
}

qsizetype PartsPerTurn::partEnd(const QString &text, qsizetype end)
{
    if (end == 0 || end >= text.size())
        return end;
    const QChar last = text.at(end - 1);
    const QChar next = text.at(end);
    const bool splitsLineBreak = last == u'\r' && next == u'\n';
    const bool splitsPair = last.isHighSurrogate() && next.isLowSurrogate();
    return splitsLineBreak || splitsPair ? end + 1 : end;
}

void PartsPerTurn::enqueue(const QString &text, int tag)
{
    m_waiting.push_back({text, tag});
    m_waitingCharacters += text.size();
    if (m_waiting.size() > 1)
        return;
    if (text.size() <= m_partSize && untilPaceAllows() == 0ns)
        write(m_partSize);
    else
        scheduleNextTurn();
}

std::chrono::nanoseconds PartsPerTurn::untilPaceAllows() const
{
    if (!m_sinceWritten.isValid())
        return 0ns;
    return qMax(m_pace - std::chrono::nanoseconds(m_sinceWritten.nsecsElapsed()), 0ns);
}

void PartsPerTurn::scheduleNextTurn()
{
    m_nextTurn.start(std::chrono::ceil<std::chrono::milliseconds>(untilPaceAllows()));
}

void PartsPerTurn::dropSuperseded(qint64 characters, qsizetype texts, const Counted &counted)
{
    // Counted is never more than a text's size: a short queue has nothing to drop.
    if (m_waitingCharacters < characters && qsizetype(m_waiting.size()) < texts)
        return;
    qint64 newerCharacters = 0;
    qsizetype newer = 0;
    auto kept = m_waiting.end();
    while (kept != m_waiting.begin() && newerCharacters < characters && newer < texts) {
        --kept;
        newerCharacters += counted(kept->text, kept->tag);
        ++newer;
    }
    if (newerCharacters < characters && newer < texts)
        return;
    const auto first = m_waiting.begin() + (m_writtenOfFirst > 0 ? 1 : 0);  // the text going in stays
    if (first >= kept)
        return;
    for (auto dropped = first; dropped != kept; ++dropped)
        m_waitingCharacters -= dropped->text.size();
    m_waiting.erase(first, kept);
}

void PartsPerTurn::finish()
{
    write(m_waitingCharacters);
}

QList<QStringView> PartsPerTurn::waitingTexts() const
{
    QList<QStringView> texts;
    for (const Waiting &waiting : m_waiting)
        texts << QStringView(waiting.text).sliced(texts.isEmpty() ? m_writtenOfFirst : 0);
    return texts;
}

void PartsPerTurn::clear()
{
    m_waiting.clear();
    m_writtenOfFirst = 0;
    m_waitingCharacters = 0;
    m_nextTurn.stop();
}

// An empty text still goes to the writer, as one empty part.
void PartsPerTurn::write(qint64 characters)
{
    while (!m_waiting.empty() && (characters > 0 || m_waiting.front().text.isEmpty())) {
        const Waiting first = m_waiting.front();  // shares the text; the writer may clear the queue
        const qsizetype begin = m_writtenOfFirst;
        const qsizetype end = partEnd(first.text, qMin<qint64>(first.text.size(), begin + characters));
        characters -= end - begin;
        m_waitingCharacters -= end - begin;
        m_writtenOfFirst = end;
        if (end == first.text.size()) {
            m_waiting.pop_front();
            m_writtenOfFirst = 0;
        }
        m_sinceWritten.start();
        m_writer({first.text, begin, end, first.tag});
    }
    if (m_waiting.empty())
        m_nextTurn.stop();
    else
        scheduleNextTurn();
}
