#pragma once

#include <QChar>
#include <QTextBlock>
#include <QTextFormat>

// How the two text boxes hold their Text in a document.
//
// Laying out a paragraph costs time that grows with its length, and with the
// square of it where it has no place to wrap. So the boxes hold a long
// paragraph as several, the later ones continuing the first, and their Text
// joins them again: an unbroken run goes on in a continued paragraph after
// longestUnbrokenRun characters, and a paragraph after a blank once it is
// longestParagraph characters long.
//
// Every property either box sets is listed here, so that no two mean the same.
// QTextBlock::userState belongs to the transcript, which counts its Text
// offsets in it.
namespace ContinuedParagraphs {

enum Property {
    ContinuesPrevious = QTextFormat::UserProperty + 1,   // a paragraph with no break before it in Text
    LineFeedOnly = QTextFormat::UserProperty + 2,        // a line separator that stands for "\n"
    LoneCarriageReturn = QTextFormat::UserProperty + 3,  // a line separator that stands for "\r"
};

// The split: counts a paragraph's characters and tells where a continued one begins.
class Splitter
{
public:
    static constexpr qsizetype longestUnbrokenRun = 1024;
    static constexpr qsizetype longestParagraph = 4096;

    // Counts the paragraph's next character; true when a continued paragraph
    // begins with it.
    bool continuesBefore(QChar c)
    {
        const bool blank = c.isSpace();
        const bool continues = (!blank && m_run >= longestUnbrokenRun) || (m_afterBlank && m_length >= longestParagraph);
        if (continues)
            m_length = m_run = 0;
        ++m_length;
        m_run = blank ? 0 : m_run + 1;
        m_afterBlank = blank;
        return continues;
    }

    qsizetype length() const { return m_length; }

    // A new paragraph begins.
    void restart() { *this = Splitter(); }

private:
    qsizetype m_length = 0;
    qsizetype m_run = 0;  // characters since the last blank
    bool m_afterBlank = false;
};

// The format of a paragraph that continues the one before it.
inline QTextBlockFormat continuation()
{
    QTextBlockFormat format;
    format.setProperty(ContinuesPrevious, true);
    return format;
}

inline bool continuesPrevious(const QTextBlock &block)
{
    return block.blockFormat().hasProperty(ContinuesPrevious);
}

// The join: whether Text has a line break between this paragraph and the one before.
inline bool breakBefore(const QTextBlock &block)
{
    return block.previous().isValid() && !continuesPrevious(block);
}

}  // namespace ContinuedParagraphs
