#include "chat/Transcript.h"

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
        appendToTranscript(m_transcript, text, own);  // as it is, without a copy to queue
        return;
    }
    m_waiting.push_back({text + QStringLiteral("\r\n"), own});
    if (m_waiting.size() == 1)
        writeATurn();
}

void TranscriptWriter::writeATurn()
{
    for (qsizetype room = charactersPerTurn; room > 0 && !m_waiting.empty();) {
        Entry &entry = m_waiting.front();
        qsizetype end = qMin(entry.text.size(), entry.written + room);
        if (end < entry.text.size() && entry.text.at(end - 1) == u'\r' && entry.text.at(end) == u'\n')
            ++end;  // a "\r\n" stays one line break
        writeAtEnd(m_transcript, entry.text.sliced(entry.written, end - entry.written), entry.own, entry.written > 0);
        room -= end - entry.written;
        entry.written = end;
        if (end == entry.text.size())
            m_waiting.pop_front();
    }
    if (!m_waiting.empty())
        QTimer::singleShot(0, this, &TranscriptWriter::writeATurn);
}
