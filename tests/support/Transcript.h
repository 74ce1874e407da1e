#pragma once

#include "components/RichTextBox.h"

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
