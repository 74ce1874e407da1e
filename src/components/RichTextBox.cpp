#include "components/RichTextBox.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Marks a line separator in the document that stands for a lone "\r".
constexpr int loneCarriageReturn = QTextFormat::UserProperty + 1;

// One piece of text as it goes into the document.
struct Piece
{
    QString text;
    bool loneCarriageReturn;
};

// Splits text into what the document holds: "\r\n" becomes a paragraph break,
// a lone "\n" a line separator, and a lone "\r" a line separator of its own
// piece, marked so that Text can give it back.
QList<Piece> documentPieces(const QString &text)
{
    QList<Piece> pieces;
    QString current;
    current.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            current += QChar::ParagraphSeparator;
            ++i;
        } else if (c == u'\n') {
            current += QChar::LineSeparator;
        } else if (c == u'\r') {
            pieces.append({current, false});
            pieces.append({QString(QChar::LineSeparator), true});
            current.clear();
        } else {
            current += c;
        }
    }
    pieces.append({current, false});
    return pieces;
}

}  // namespace

RichTextBox::RichTextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_selFormat.setFontWeight(QFont::Normal);
    m_selFormat.setForeground(QColor(Qt::black));
}

QString RichTextBox::Text() const
{
    QString text;
    text.reserve(TextLength());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin())
            text += QStringLiteral("\r\n");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QString piece = it.fragment().text();
            const bool cr = it.fragment().charFormat().hasProperty(loneCarriageReturn);
            text += piece.replace(QChar::LineSeparator, cr ? u'\r' : u'\n');
        }
    }
    return text;
}

void RichTextBox::SetText(const QString &text)
{
    document()->clear();
    SetSelText(text);
}

qsizetype RichTextBox::TextLength() const
{
    // Each paragraph break is one character in the document and two ("\r\n") in Text.
    const QTextDocument *doc = document();
    return (doc->characterCount() - 1) + (doc->blockCount() - 1);
}

// Finds the document position of a character offset into Text. A position
// inside a "\r\n" pair, at the end or past it counts as the end of its paragraph.
int RichTextBox::documentPosition(qsizetype offset) const
{
    const QTextDocument *doc = document();
    if (offset >= TextLength())
        return doc->characterCount() - 1;
    if (offset <= 0)
        return 0;
    // The last paragraph whose Text offset (position + paragraph number) is not past the offset.
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (doc->findBlockByNumber(middle).position() + middle <= offset)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    return static_cast<int>(qMin<qsizetype>(offset - low, block.position() + block.length() - 1));
}

qsizetype RichTextBox::textOffset(int position) const
{
    return position + document()->findBlock(position).blockNumber();
}

qsizetype RichTextBox::SelStart() const
{
    return textOffset(textCursor().selectionStart());
}

void RichTextBox::SetSelStart(qsizetype start)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(documentPosition(start));
    setTextCursor(cursor);
}

qsizetype RichTextBox::SelLength() const
{
    const QTextCursor cursor = textCursor();
    return textOffset(cursor.selectionEnd()) - textOffset(cursor.selectionStart());
}

void RichTextBox::SetSelLength(qsizetype length)
{
    QTextCursor cursor = textCursor();
    const qsizetype start = textOffset(cursor.selectionStart());
    cursor.setPosition(documentPosition(start));
    cursor.setPosition(documentPosition(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool RichTextBox::SelBold() const
{
    return m_selFormat.fontWeight() >= QFont::Bold;
}

void RichTextBox::SetSelBold(bool bold)
{
    QTextCharFormat change;
    change.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    applyToSelection(change);
}

quint32 RichTextBox::SelColor() const
{
    const QColor color = m_selFormat.foreground().color();
    return quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
}

void RichTextBox::SetSelColor(quint32 color)
{
    QTextCharFormat change;
    change.setForeground(QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    applyToSelection(change);
}

void RichTextBox::applyToSelection(const QTextCharFormat &change)
{
    m_selFormat.merge(change);
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        cursor.mergeCharFormat(change);
}

void RichTextBox::SetSelText(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (const Piece &piece : documentPieces(text)) {
        QTextCharFormat format = m_selFormat;
        if (piece.loneCarriageReturn)
            format.setProperty(loneCarriageReturn, true);
        cursor.insertText(piece.text, format);
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
}
