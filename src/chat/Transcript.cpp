#include "chat/Transcript.h"

#include "components/CodePage.h"
#include "components/RichTextBox.h"

#include <QTimer>
#include <optional>

namespace {

constexpr quint32 black = 0x000000;
constexpr quint32 blue = 0xFF0000;  // 0x00BBGGRR

// Writes at the end in the entry's style: a new entry, or more of the newest.
void writeAtEnd(RichTextBox &transcript, const QString &text, bool own, bool extendsNewestEntry)
{
    std::optional<RichTextBox::KeptView> readersView;
    if (!own)
        readersView.emplace(transcript);
    transcript.SetSelLength(0);
    transcript.SetSelStart(transcript.TextLength());
    transcript.SetSelBold(own);
    transcript.SetSelColor(own ? black : blue);
    if (extendsNewestEntry)
        transcript.ExtendNewestEntry(text);
    else
        transcript.SetSelText(text);
}

QString shown(const QString &text, bool own)
{
    return own ? CodePage::asSent(text) : text;
}

// Where a part that would end at end ends: a "\r\n" stays one line break, and
// a surrogate pair one character.
qsizetype partEnd(const QString &text, qsizetype end)
{
    if (end == 0 || end >= text.size())
        return end;
    const QChar last = text.at(end - 1);
    const QChar next = text.at(end);
    const bool splitsLineBreak = last == u'\r' && next == u'\n';
    const bool splitsPair = last.isHighSurrogate() && next.isLowSurrogate();
    return splitsLineBreak || splitsPair ? end + 1 : end;
}

}  // namespace

void appendToTranscript(RichTextBox &transcript, const QString &text, bool own)
{
    writeAtEnd(transcript, text + QStringLiteral("\r\n"), own, false);
}

TranscriptWriter::TranscriptWriter(RichTextBox &transcript, QObject *parent)
    : QObject(parent)
    , m_transcript(transcript)
{
}

void TranscriptWriter::append(const QString &text, bool own)
{
    const bool fitsThisTurn = m_waiting.empty() && text.size() + 2 <= charactersPerTurn;
    if (fitsThisTurn) {
        appendToTranscript(m_transcript, shown(text, own), own);
        return;
    }
    m_waiting.push_back({text, own});
    if (m_waiting.size() == 1)
        writeATurn();
}

void TranscriptWriter::writeATurn()
{
    for (qsizetype room = charactersPerTurn; room > 0 && !m_waiting.empty();) {
        Entry &entry = m_waiting.front();
        const qsizetype end = partEnd(entry.text, qMin(entry.text.size(), entry.written + room));
        const bool ends = end == entry.text.size();
        QString part = shown(entry.text.sliced(entry.written, end - entry.written), entry.own);
        if (ends)
            part += QStringLiteral("\r\n");
        writeAtEnd(m_transcript, part, entry.own, entry.written > 0);
        room -= part.size();
        entry.written = end;
        if (ends)
            m_waiting.pop_front();
    }
    if (!m_waiting.empty())
        QTimer::singleShot(0, this, &TranscriptWriter::writeATurn);
}
