#include "components/PartsPerTurn.h"

PartsPerTurn::PartsPerTurn(qsizetype partSize, Writer writer, QObject *parent)
    : QObject(parent)
    , m_partSize(partSize)
    , m_writer(std::move(writer))
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
    if (text.size() <= m_partSize)
        write(m_partSize);
    else
        m_nextTurn.start();
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
        m_writer({first.text, begin, end, first.tag});
    }
    if (m_waiting.empty())
        m_nextTurn.stop();
    else
        m_nextTurn.start();
}
