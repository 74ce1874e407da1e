#include "chat/Transcript.h"

#include "components/text/CodePage.h"
#include "components/text/RichTextBox.h"

#include <optional>

namespace {

constexpr quint32 black = 0x000000;
constexpr quint32 blue = 0xFF0000;  // 0x00BBGGRR

QString shown(const QString &text, bool own)
{
    return own ? CodePage::asSent(text) : text;
}

}  // namespace

void writeToTranscript(RichTextBox &transcript, const QString &text, bool own, bool extendsNewestEntry)
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

TranscriptWriter::TranscriptWriter(RichTextBox &transcript, QObject *parent)
    : QObject(parent)
    , m_transcript(transcript)
    , m_entries(charactersPerTurn, [this](const PartsPerTurn::Part &part) { write(part); }, this, frame)
{
}

// An own text may show shorter than it is (a surrogate pair as one "?"), but
// never below half of it.
void TranscriptWriter::append(const QString &text, bool own)
{
    m_entries.enqueue(text, own ? Own : Peer);
    m_entries.dropSuperseded(m_transcript.MaxLength(), m_transcript.MaxEntries(),
                             [](const QString &entry, int sender) { return sender == Own ? entry.size() / 2 : entry.size(); });
}

void TranscriptWriter::write(const PartsPerTurn::Part &entry)
{
    const bool own = entry.tag == Own;
    const bool whole = entry.isFirst() && entry.isLast();  // most entries: no copy of a part
    QString part = shown(whole ? entry.text : entry.characters().toString(), own);
    if (entry.isLast())
        part += QStringLiteral("\r\n");
    writeToTranscript(m_transcript, part, own, !entry.isFirst());
}
