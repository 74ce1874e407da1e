#include "components/TextBox.h"

#include "components/ShiftMask.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_pastes(pastedPerTurn, [this](const PartsPerTurn::Part &part) { insertPart(part); }, this)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::forgetKeptText);
}

// The text is asked of the source once: a clipboard owner such as a password
// manager may hand it out only once, and a second request may find it gone.
void TextBox::insertFromMimeData(const QMimeData *source)
{
    const QString text = source->text();
    if (!text.isNull())
        m_pastes.enqueue(text);
}

void TextBox::insertText(const QString &text)
{
    m_pastes.enqueue(text);
    finishPaste();
}

void TextBox::finishPaste()
{
    m_pastes.finish();
}

// What goes into an empty box is kept as Text too, until something else
// changes the box: Enter after a big paste then copies nothing.
//
// The document keeps every text it ever held while undo can bring it back.
// A big paste into an empty box, or one over all of a box, starts the history
// afresh: Ctrl+Z takes that paste back and leaves the box empty, and pasting
// over a big paste again and again holds one text, not all of them.
void TextBox::beginPaste(const QString &text)
{
    const QTextCursor selection = textCursor();
    const int length = document()->characterCount() - 1;
    const bool replacesAll = selection.selectionStart() == 0 && selection.selectionEnd() == length;
    if (replacesAll && qMax<qsizetype>(length, text.size()) > longestTextKeptForUndo)
        clear();
    m_keptText.reset();
    if (document()->isEmpty()) {
        m_keptText.emplace();
        m_keptText->reserve(text.size());
    }
    m_paragraph.restart();
}

void TextBox::forgetKeptText()
{
    if (!m_insertingPart)
        m_keptText.reset();
}

// Line breaks go in as line separators, and a long paragraph as several that
// Text joins again, so that a huge text goes in and lays out cheaply. The
// Unicode line and paragraph separators show as line breaks, so they are line
// breaks like the others: Text gives "\r\n" for each, whatever the box held
// before. The parts of one paste are one edit, which one undo takes back.
void TextBox::insertPart(const PartsPerTurn::Part &paste)
{
    if (paste.isFirst())
        beginPaste(paste.text);
    QString part = paste.characters().toString();
    part.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    part.replace(u'\r', QChar::LineSeparator);
    part.replace(u'\n', QChar::LineSeparator);
    part.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    if (m_keptText)
        *m_keptText += QString(part).replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    const QScopedValueRollback inserting(m_insertingPart, true);

    QTextCursor cursor = textCursor();
    if (paste.isFirst()) {
        cursor.beginEditBlock();
        cursor.removeSelectedText();
    } else {
        cursor.joinPreviousEditBlock();
    }
    qsizetype written = 0;
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (m_paragraph.continuesBefore(part.at(i))) {
            cursor.insertText(part.mid(written, i - written));
            cursor.insertBlock(ContinuedParagraphs::continuation());
            written = i;
        }
    }
    cursor.insertText(part.mid(written));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

QString TextBox::Text()
{
    finishPaste();
    if (m_keptText)
        return *m_keptText;
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
