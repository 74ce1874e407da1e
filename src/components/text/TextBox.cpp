#include "components/text/TextBox.h"

#include "components/core/ShiftMask.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Every kind of line break as the box holds it: one line separator.
QString withLineSeparators(QString text)
{
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(u'\r', QChar::LineSeparator);
    text.replace(u'\n', QChar::LineSeparator);
    text.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    return text;
}

// Appends text with every kind of line break as "\r\n", as Text gives them.
void appendAsText(QString &to, QStringView text)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n' && c != QChar::LineSeparator && c != QChar::ParagraphSeparator)
            continue;
        to += text.sliced(run, i - run);
        to += QStringLiteral("\r\n");
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        run = i + 1;
    }
    to += text.sliced(run);
}

// A modifier pressed alone (the Ctrl of Ctrl+X, say) changes nothing in the box.
bool isModifierAlone(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

// The text with every kind of line break as "\r\n": the same text where it has no other.
QString asText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            ++i;
        } else if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            QString converted = text.first(i);
            appendAsText(converted, QStringView(text).sliced(i));
            return converted;
        }
    }
    return text;
}

}  // namespace

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_pastes(pastedPerTurn, [this](const PartsPerTurn::Part &part) { insertPart(part); }, this)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::forgetPastedText);
}

// The text is asked of the source once: a clipboard owner such as a password
// manager may hand it out only once, and a second request may find it gone.
void TextBox::insertFromMimeData(const QMimeData *source)
{
    const QString text = source->text();
    if (!text.isNull())
        queuePaste(text);
}

void TextBox::insertText(const QString &text)
{
    queuePaste(text);
    finishPaste();
}

// A box that was empty holds just what was pasted into it: Text is that text
// until anything else changes the box, so that Enter after a big paste
// copies nothing, even while the paste still goes in.
void TextBox::queuePaste(const QString &text)
{
    if (m_pastes.isEmpty() && document()->isEmpty())
        m_pastedText = asText(text);
    else
        m_pastedText.reset();
    m_pastes.enqueue(text);
}

void TextBox::finishPaste()
{
    m_pastes.finish();
}

void TextBox::beginPaste(const QString &text)
{
    if (m_pastedIntoHistory + text.size() > mostPastedForUndo)
        startHistoryAfresh();
    m_pastedIntoHistory += text.size();
    m_paragraph.restart();
}

// The document keeps every text it ever held while the history lasts, even
// what undo can no longer reach; it gives the memory back only when it is
// cleared. So the box is made anew with what it shows outside the selection
// the paste replaces, with no history: Ctrl+Z takes the paste back, but not
// what came before it, and pasting again and again holds one text, not all.
void TextBox::startHistoryAfresh()
{
    const QTextCursor selection = textCursor();
    const QString before = textBetween(0, selection.selectionStart());
    const QString after = textBetween(selection.selectionEnd(), document()->characterCount() - 1);
    clear();
    m_pastedIntoHistory = 0;
    if (before.isEmpty() && after.isEmpty())
        return;
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor = textCursor();
    m_paragraph.restart();
    insertLines(cursor, withLineSeparators(before));
    const int position = cursor.position();
    insertLines(cursor, withLineSeparators(after));
    cursor.setPosition(position);
    setTextCursor(cursor);
    document()->setUndoRedoEnabled(true);
}

void TextBox::forgetPastedText()
{
    if (!m_insertingPart)
        m_pastedText.reset();
}

// Line breaks go in as line separators, and a long paragraph as several that
// Text joins again, so that a huge text goes in and lays out cheaply. The
// Unicode line and paragraph separators show as line breaks, so they are line
// breaks like the others: Text gives "\r\n" for each, whatever the box held
// before. The parts of one paste are one edit, which one undo takes back.
void TextBox::insertPart(const PartsPerTurn::Part &paste)
{
    const QScopedValueRollback inserting(m_insertingPart, true);
    if (paste.isFirst())
        beginPaste(paste.text);

    QTextCursor cursor = textCursor();
    if (paste.isFirst()) {
        cursor.beginEditBlock();
        cursor.removeSelectedText();
    } else {
        cursor.joinPreviousEditBlock();
    }
    insertLines(cursor, withLineSeparators(paste.characters().toString()));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

// Lines whose breaks are line separators, a long paragraph as several.
void TextBox::insertLines(QTextCursor &cursor, const QString &text)
{
    qsizetype written = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (m_paragraph.continuesBefore(text.at(i))) {
            cursor.insertText(text.mid(written, i - written));
            cursor.insertBlock(ContinuedParagraphs::continuation());
            written = i;
        }
    }
    cursor.insertText(text.mid(written));
}

// Text of the document's characters from `from` to `to`.
QString TextBox::textBetween(int from, int to) const
{
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
        const int begin = qMax(from, block.position());
        if (begin == block.position() && begin > from && ContinuedParagraphs::breakBefore(block))
            text += QStringLiteral("\r\n");
        const int end = qMin(to, block.position() + block.length() - 1);
        text += block.text().mid(begin - block.position(), end - begin).replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    }
    return text;
}

// What a paste still has to put in counts as in already: it stands in place
// of the selection, which its first part replaces, or at the cursor.
QString TextBox::Text() const
{
    if (m_pastedText)
        return *m_pastedText;
    const int end = document()->characterCount() - 1;
    if (m_pastes.isEmpty())
        return textBetween(0, end);
    const QTextCursor cursor = textCursor();
    QString text = textBetween(0, cursor.selectionStart());
    const QString after = textBetween(cursor.selectionEnd(), end);
    text.reserve(text.size() + m_pastes.waitingCharacters() + after.size());
    for (const QStringView waiting : m_pastes.waitingTexts())
        appendAsText(text, waiting);
    return text + after;
}

// What a paste still had to put in is replaced too.
void TextBox::SetText(const QString &text)
{
    m_pastes.clear();
    clear();
    m_pastedIntoHistory = 0;
    insertText(text);
}

// The handler sees Text as it will be; the key itself acts after the paste.
void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (isModifierAlone(event)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QString typed;
    for (const QChar c : event->text()) {
        int keyAscii = c.unicode();
        emit KeyPress(keyAscii);
        if (keyAscii != 0)
            typed += QChar(char16_t(keyAscii));
    }
    finishPaste();
    // A handler changed or cancelled a character: what it left is typed instead of the key.
    if (typed != event->text()) {
        if (!isReadOnly())
            insertPlainText(typed);
        return;
    }
    // Ctrl+Y redoes too, as in most programs, besides the desktop's own key.
    if (event->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) && !isReadOnly()) {
        redo();
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
