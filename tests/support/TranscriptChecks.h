#pragma once

#include "components/RichTextBox.h"

#include <QStringList>
#include <QTextCursor>

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
