#include "components/TextBox.h"

#include "components/ShiftMask.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::forgetKeptText);
    m_nextPart.setSingleShot(true);
    connect(&m_nextPart, &QTimer::timeout, this, &TextBox::pasteATurn);
}

// The text is asked of the source once: a clipboard owner such as a password
// manager may hand it out only once, and a second request may find it gone.
void TextBox::insertFromMimeData(const QMimeData *source)
{
    const QString text = source->text();
    if (text.isNull())
        return;
    startInserting(text);
    pasteATurn();
}

void TextBox::insertText(const QString &text)
{
    startInserting(text);
    finishPaste();
}

// What goes into an empty box is kept as Text too, until something else
// changes the box: Enter after a big paste then copies nothing.
//
// The document keeps every text it ever held while undo can bring it back.
// A big paste into an empty box, or one over all of a box, starts the history
// afresh: Ctrl+Z takes that paste back and leaves the box empty, and pasting
// over a big paste again and again holds one text, not all of them.
void TextBox::startInserting(const QString &text)
{
    finishPaste();
    const QTextCursor selection = textCursor();
    const int length = document()->characterCount() - 1;
    const bool replacesAll = selection.selectionStart() == 0 && selection.selectionEnd() == length;
    if (replacesAll && qMax<qsizetype>(length, text.size()) > longestTextKeptForUndo)
        clear();
    m_paste = Paste{text, 0, {}};
    m_keptText = QString();
    m_textKept = document()->isEmpty();
    if (m_textKept)
        m_keptText.reserve(text.size());
}

void TextBox::forgetKeptText()
{
    if (!m_insertingPart) {
        m_textKept = false;
        m_keptText = QString();
    }
}

void TextBox::pasteATurn()
{
    insertPart(pastedPerTurn);
    if (m_paste)
        m_nextPart.start();
}

void TextBox::finishPaste()
{
    if (m_paste)
        insertPart(m_paste->text.size());
}

// Line breaks go in as line separators, and a long paragraph as several that
// Text joins again, so that a huge text goes in and lays out cheaply. A part
// ends after a whole "\r\n". The Unicode line and paragraph separators show
// as line breaks, so they are line breaks like the others: Text gives "\r\n"
// for each, whatever the box held before.
void TextBox::insertPart(qsizetype characters)
{
    Paste &paste = *m_paste;
    qsizetype end = qMin(paste.text.size(), paste.inserted + characters);
    if (end < paste.text.size() && paste.text.at(end - 1) == u'\r' && paste.text.at(end) == u'\n')
        ++end;
    QString part = paste.text.sliced(paste.inserted, end - paste.inserted);
    part.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    part.replace(u'\r', QChar::LineSeparator);
    part.replace(u'\n', QChar::LineSeparator);
    part.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    if (m_textKept)
        m_keptText += QString(part).replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    const QScopedValueRollback inserting(m_insertingPart, true);

    QTextCursor cursor = textCursor();
    if (paste.inserted == 0) {
        cursor.beginEditBlock();
        cursor.removeSelectedText();
    } else {
        cursor.joinPreviousEditBlock();
    }
    qsizetype written = 0;
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (paste.paragraph.continuesBefore(part.at(i))) {
            cursor.insertText(part.mid(written, i - written));
            cursor.insertBlock(ContinuedParagraphs::continuation());
            written = i;
        }
    }
    cursor.insertText(part.mid(written));
    cursor.endEditBlock();
    paste.inserted = end;
    if (end == paste.text.size()) {
        m_paste.reset();
        m_nextPart.stop();
    }
    setTextCursor(cursor);
}

QString TextBox::Text() const
{
    const_cast<TextBox *>(this)->finishPaste();
    if (m_textKept)
        return m_keptText;
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
    finishPaste();
    clear();
    insertText(text);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    finishPaste();
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

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    finishPaste();
    QPlainTextEdit::inputMethodEvent(event);
}

void TextBox::mousePressEvent(QMouseEvent *event)
{
    finishPaste();
    QPlainTextEdit::mousePressEvent(event);
}

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    finishPaste();
    QPlainTextEdit::contextMenuEvent(event);
}

void TextBox::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat()) {
        emit KeyUp(event->key(), ShiftMask(event->modifiers()));
    }
    QPlainTextEdit::keyReleaseEvent(event);
}
