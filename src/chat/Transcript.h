#pragma once

#include "components/network/StreamSocket.h"
#include "components/text/PartsPerTurn.h"

#include <QObject>
#include <QString>

class RichTextBox;

// Writes text at the end of the transcript, as a new entry or as more of the
// newest: the user's own in bold black, the peer's in blue, the peer's keeping
// the reader's view.
void writeToTranscript(RichTextBox &transcript, const QString &text, bool own, bool extendsNewestEntry);

// Appends entries, each with a line break after it, in the order they come, but at
// most charactersPerTurn characters in one turn of the event loop, so that a
// long entry (a big paste sent) does not hold the window still. The entry goes
// in over several turns, as one entry, and those after it wait until it ends.
// A turn takes the largest arrival with its line break, so that an arrival
// with nothing before it goes in at once, as does a line the user types.
// The user's own text shows as the peer gets it, through the code page and
// back, a part at a time as it goes in.
//
// Parts go in at most once a frame; meanwhile entries queue, and those that
// the newer ones would push out of the transcript anyway never go in: a
// flood is taken as fast as it comes, and the transcript ends as it would
// have, with its newest entries.
class TranscriptWriter : public QObject
{
public:
    static constexpr qsizetype charactersPerTurn = StreamSocket::largestArrival + 2;
    static constexpr std::chrono::milliseconds frame{16};

    TranscriptWriter(RichTextBox &transcript, QObject *parent);

    void append(const QString &text, bool own);

private:
    void write(const PartsPerTurn::Part &entry);

    RichTextBox &m_transcript;
    enum Sender { Peer, Own };  // whose each entry is, its tag in the queue
    PartsPerTurn m_entries;
};
