#include "components/TextBox.h"

#include "components/ContinuedParagraphs.h"
#include "components/ShiftMask.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

// The text is asked of the source once: a clipboard owner such as a password
// manager may hand it out only once, and a second request may find it gone.
void TextBox::insertFromMimeData(const QMimeData *source)
{
    const QString text = source->text();
    if (!text.isNull())
        insertText(text);
}

// Line breaks go in as line separators, and a long paragraph as several that
// Text joins again, so that a huge text goes in and lays out cheaply.
void TextBox::insertText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(u'\r', QChar::LineSeparator);
    text.replace(u'\n', QChar::LineSeparator);
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    ContinuedParagraphs::Splitter paragraph;
    qsizetype inserted = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (paragraph.continuesBefore(text.at(i))) {
            cursor.insertText(text.mid(inserted, i - inserted));
            cursor.insertBlock(ContinuedParagraphs::continuation());
            inserted = i;
        }
    }
    cursor.insertText(text.mid(inserted));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

QString TextBox::Text() const
{
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (ContinuedParagraphs::breakBefore(block))
            text += QStringLiteral("\r\n");
        text += block.text().replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    }
    return text;
}

void TextBox::SetText(const QString &text)
{
    clear();
    insertText(text);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    QString typed;
    for (const QChar c : event->text()) {
        int keyAscii = c.unicode();
        emit KeyPress(keyAscii);
        if (keyAscii != 0)
            typed += QChar(char16_t(keyAscii));
    }
    // A handler changed or cancelled a character: what it left is typed instead of the key.
    if (typed != event->text()) {
        if (!isReadOnly())
            insertPlainText(typed);
        return;
    }
    // A paragraph the user begins never continues another.
    if (event->matches(QKeySequence::InsertParagraphSeparator) && !isReadOnly()) {
        QTextCursor cursor = textCursor();
        cursor.insertBlock(QTextBlockFormat());
        setTextCursor(cursor);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat()) {
        emit KeyUp(event->key(), ShiftMask(event->modifiers()));
    }
    QPlainTextEdit::keyReleaseEvent(event);
}
