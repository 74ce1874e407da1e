#pragma once

#include <QChar>

// Laying out a paragraph costs time that grows with its length, and with the
// square of it where it has no place to wrap. So the text boxes hold a long
// paragraph as several, the later ones continuing the first, and their Text
// joins them again: an unbroken run goes on in a continued paragraph after
// longestUnbrokenRun characters, and a paragraph after a blank once it is
// longestParagraph characters long.
class ParagraphLength
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
    void restart() { *this = ParagraphLength(); }

private:
    qsizetype m_length = 0;
    qsizetype m_run = 0;  // characters since the last blank
    bool m_afterBlank = false;
};
