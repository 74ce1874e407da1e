// The queue that hands big texts on a part each turn of the event loop.
#include "components/text/PartsPerTurn.h"

#include <QTest>

namespace {

struct Written
{
    QString characters;
    int tag;
    bool first;
    bool last;
    bool operator==(const Written &) const = default;
};

}  // namespace

class tst_PartsPerTurn : public QObject
{
    Q_OBJECT

    QList<Written> m_written;
    std::function<void(const PartsPerTurn::Part &)> m_alsoOnWrite = [](const PartsPerTurn::Part &) {};
    PartsPerTurn m_parts{4, [this](const PartsPerTurn::Part &part) {
                             m_written.append({part.characters().toString(), part.tag, part.isFirst(), part.isLast()});
                             m_alsoOnWrite(part);
                         }};

private slots:
    void init()
    {
        m_parts.clear();
        m_written.clear();
        m_alsoOnWrite = [](const PartsPerTurn::Part &) {};
    }

    // A part ends neither inside CR LF nor between the halves of a surrogate
    // pair; a text of one part goes at once, a longer one from the next turn.
    void partsEndBetweenWholeCharactersAndLineBreaks()
    {
        m_parts.enqueue(QStringLiteral("ab"), 1);
        QCOMPARE(m_written, QList<Written>({{"ab", 1, true, true}}));
        m_written.clear();
        const QString text = QStringLiteral("abc\r\ndef\U0001F600gh");
        m_parts.enqueue(text, 2);
        QVERIFY(m_written.isEmpty());
        QCOMPARE(m_parts.waitingCharacters(), text.size());
        QTRY_COMPARE(m_written.size(), 3);
        QCOMPARE(m_written, QList<Written>({{"abc\r\n", 2, true, false},
                                            {QStringLiteral("def\U0001F600"), 2, false, false},
                                            {"gh", 2, false, true}}));
        QCOMPARE(m_parts.waitingCharacters(), 0);
    }

    // What was cleared leaves no trace: the next text is written from its start.
    void clearForgetsThePlaceInTheTextGoingOut()
    {
        m_alsoOnWrite = [this](const PartsPerTurn::Part &) { m_parts.clear(); };
        m_parts.enqueue(QString(12, u'a'));
        QTRY_COMPARE(m_written.size(), 1);  // a part of it, in a turn
        QCOMPARE(m_parts.waitingCharacters(), 0);
        m_alsoOnWrite = [](const PartsPerTurn::Part &) {};
        m_parts.enqueue(QStringLiteral("next"), 3);
        QCOMPARE(m_written.last(), Written({"next", 3, true, true}));
    }

    // With a pace, a text that comes within it of the last write waits for
    // it; texts that newer ones supersede go, but never one already going in.
    void aPaceQueuesAndTheSupersededGo()
    {
        const auto record = [this](const PartsPerTurn::Part &part) {
            m_written.append({part.characters().toString(), part.tag, part.isFirst(), part.isLast()});
        };
        PartsPerTurn paced(4, record, nullptr, std::chrono::hours(1));
        paced.enqueue(QStringLiteral("ab"), 1);
        paced.enqueue(QStringLiteral("cd"), 2);  // within the pace: waits
        QCOMPARE(m_written.size(), 1);
        QCOMPARE(paced.waitingCharacters(), 2);

        m_written.clear();
        PartsPerTurn slow(4, record, nullptr, std::chrono::hours(1));
        slow.enqueue(QString(8, u'a'), 1);
        QTRY_COMPARE(m_written.size(), 1);  // its first part is in; the next waits for the pace
        for (int tag = 2; tag <= 5; ++tag)
            slow.enqueue(QString(3, u'b'), tag);
        const auto size = [](const QString &text, int) { return text.size(); };
        slow.dropSuperseded(6, 10, size);
        QCOMPARE(slow.waitingCharacters(), 4 + 6);
        slow.dropSuperseded(6, 10, [](const QString &text, int) { return text.size() / 2; });
        QCOMPARE(slow.waitingCharacters(), 4 + 6);  // counted as half, two are not yet enough
        slow.dropSuperseded(100, 1, size);
        slow.finish();
        QCOMPARE(m_written, QList<Written>({{"aaaa", 1, true, false}, {"aaaa", 1, false, true}, {"bbb", 5, true, true}}));
    }

    // finish writes everything in order, an empty text as one empty part;
    // a writer that clears the queue stops it there.
    void finishWritesAllInOrderUnlessTheWriterClears()
    {
        m_parts.enqueue(QString(9, u'a'), 1);
        m_parts.enqueue(QString(), 2);
        m_parts.enqueue(QStringLiteral("b"), 3);
        m_parts.finish();
        QCOMPARE(m_written, QList<Written>({{QString(9, u'a'), 1, true, true}, {"", 2, true, true}, {"b", 3, true, true}}));

        m_written.clear();
        m_alsoOnWrite = [this](const PartsPerTurn::Part &part) {
            if (part.tag == 2)
                m_parts.clear();
        };
        m_parts.enqueue(QString(9, u'a'), 1);
        m_parts.enqueue(QStringLiteral("cd"), 2);
        m_parts.enqueue(QStringLiteral("e"), 3);
        m_parts.finish();
        QCOMPARE(m_written.size(), 2);
        QCOMPARE(m_parts.waitingCharacters(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(m_written.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_PartsPerTurn)
#include "tst_partsperturn.moc"
