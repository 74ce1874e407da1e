#pragma once

#include "chat/Transcript.h"
#include "components/text/RichTextBox.h"

#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>

// Appends a whole entry and its line break at once, as the chat window's
// writer does a part at a time.
inline void appendToTranscript(RichTextBox &transcript, const QString &text, bool own)
{
    writeToTranscript(transcript, text + QStringLiteral("\r\n"), own, false);
}

// The character format of the transcript's character at a Text offset.
inline QTextCharFormat formatAt(RichTextBox &box, qsizetype offset)
{
    box.SetSelStart(offset);
    box.SetSelLength(1);
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(cursor.selectionEnd());
    return cursor.charFormat();
}

// What a transcript bounded to `bound` characters keeps of the entries
// appended to it: past the bound the oldest leave until three quarters of it
// are left; the newest stays.
inline void keepNewestEntries(QStringList &entries, qsizetype bound)
{
    qsizetype length = entries.join(QString()).size();
    if (length <= bound)
        return;
    while (entries.size() > 1 && length > bound * 3 / 4)
        length -= entries.takeFirst().size();
}

// The transcript's newest line with any text in it, found without copying
// the whole text.
inline QString newestLine(const RichTextBox &box)
{
    for (QTextBlock block = box.document()->lastBlock(); block.isValid(); block = block.previous()) {
        const QStringList lines = block.text().split(QChar::LineSeparator, Qt::SkipEmptyParts);
        if (!lines.isEmpty())
            return lines.last();
    }
    return {};
}
