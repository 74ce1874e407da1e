#include "components/RichTextBox.h"

#include <QColor>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Marks a line separator in the document that stands for a lone "\r".
constexpr int loneCarriageReturn = QTextFormat::UserProperty + 1;
// Marks a paragraph that continues the one before it in Text, with no break.
constexpr int continuesPrevious = QTextFormat::UserProperty + 2;

// Laying out a paragraph with no place to wrap costs the square of its
// length, so a longer unbroken run goes on in a paragraph of its own.
constexpr qsizetype longestUnbrokenRun = 1024;

// One piece of text as it goes into the document.
struct Piece
{
    enum Kind { Text, LoneCarriageReturn, Continuation };
    Kind kind;
    QString text;
};

// Splits text into what the document holds: "\r\n" becomes a paragraph break,
// a lone "\n" a line separator, a lone "\r" a marked line separator, and an
// unbroken run too long to lay out cheaply a continued paragraph.
QList<Piece> documentPieces(const QString &text)
{
    QList<Piece> pieces;
    QString current;
    current.reserve(text.size());
    qsizetype run = 0;
    const auto endPiece = [&](Piece::Kind kind) {
        pieces.append({Piece::Text, current});
        pieces.append({kind, QString(QChar::LineSeparator)});
        current.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            current += QChar::ParagraphSeparator;
            ++i;
        } else if (c == u'\n') {
            current += QChar::LineSeparator;
        } else if (c == u'\r') {
            endPiece(Piece::LoneCarriageReturn);
        } else {
            if (run == longestUnbrokenRun)
                endPiece(Piece::Continuation);
            current += c;
        }
        run = c.isSpace() ? 0 : run == longestUnbrokenRun ? 1 : run + 1;
    }
    pieces.append({Piece::Text, current});
    return pieces;
}

bool isContinuation(const QTextBlock &block)
{
    return block.blockFormat().hasProperty(continuesPrevious);
}

// Each paragraph's user state counts the continued paragraphs up to it.
void countContinuations(QTextBlock block)
{
    int count = block.previous().isValid() ? block.previous().userState() : 0;
    for (; block.isValid(); block = block.next()) {
        count += isContinuation(block) ? 1 : 0;
        block.setUserState(count);
    }
}

void insertPiece(QTextCursor &cursor, const Piece &piece, QTextCharFormat format)
{
    switch (piece.kind) {
    case Piece::LoneCarriageReturn:
        format.setProperty(loneCarriageReturn, true);
        cursor.insertText(piece.text, format);
        return;
    case Piece::Continuation: {
        QTextBlockFormat continuation;
        continuation.setProperty(continuesPrevious, true);
        cursor.insertBlock(continuation, format);
        return;
    }
    case Piece::Text:
        // A paragraph break takes the format of the paragraph it splits;
        // after a continued paragraph the next one starts plain.
        qsizetype text = 0;
        if (isContinuation(cursor.block())) {
            const qsizetype firstBreak = piece.text.indexOf(QChar::ParagraphSeparator);
            if (firstBreak >= 0) {
                cursor.insertText(piece.text.left(firstBreak), format);
                cursor.insertBlock(QTextBlockFormat(), format);
                text = firstBreak + 1;
            }
        }
        cursor.insertText(piece.text.mid(text), format);
        return;
    }
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
    countContinuations(document()->firstBlock());
}

QString RichTextBox::Text() const
{
    return textBetween(0, document()->characterCount() - 1);
}

// The part of Text between two document positions.
QString RichTextBox::textBetween(int from, int to) const
{
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        // The break that ends the paragraph before, if it lies in the range.
        if (block.position() > from && !isContinuation(block))
            text += QStringLiteral("\r\n");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = qMax(from, fragment.position());
            const int end = qMin(to, fragment.position() + fragment.length());
            if (start >= end)
                continue;
            QString piece = fragment.text().mid(start - fragment.position(), end - start);
            const bool cr = fragment.charFormat().hasProperty(loneCarriageReturn);
            text += piece.replace(QChar::LineSeparator, cr ? u'\r' : u'\n');
        }
    }
    return text;
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

RichTextBox::KeptView::KeptView(RichTextBox &box)
    : m_box(box)
    , m_anchor(box.textCursor().anchor())
    , m_position(box.textCursor().position())
    , m_scroll(box.verticalScrollBar()->value())
    , m_atEnd(m_scroll == box.verticalScrollBar()->maximum())
{
}

RichTextBox::KeptView::~KeptView()
{
    QTextCursor selection = m_box.textCursor();
    const int end = m_box.document()->characterCount() - 1;
    selection.setPosition(qMin(m_anchor, end));
    selection.setPosition(qMin(m_position, end), QTextCursor::KeepAnchor);
    m_box.setTextCursor(selection);
    QScrollBar *scroll = m_box.verticalScrollBar();
    scroll->setValue(m_atEnd ? scroll->maximum() : m_scroll);
}

void RichTextBox::SetText(const QString &text)
{
    document()->clear();
    countContinuations(document()->firstBlock());
    SetSelText(text);
}

qsizetype RichTextBox::TextLength() const
{
    // Each paragraph break is one character in the document and two ("\r\n")
    // in Text, or none where the paragraph only continues an unbroken run.
    const QTextDocument *doc = document();
    return (doc->characterCount() - 1) + (doc->blockCount() - 1) - 2 * doc->lastBlock().userState();
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
    // The last paragraph whose Text offset is not past the offset.
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (textOffset(doc->findBlockByNumber(middle).position()) <= offset)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    const qsizetype intoBlock = offset - textOffset(block.position());
    return static_cast<int>(block.position() + qMin<qsizetype>(intoBlock, block.length() - 1));
}

qsizetype RichTextBox::textOffset(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    return position + block.blockNumber() - 2 * block.userState();
}

qsizetype RichTextBox::SelStart() const
{
    return textOffset(textCursor().selectionStart());
}

void RichTextBox::SetSelStart(qsizetype start)
{
    QTextCursor cursor = textCursor();
    const int position = documentPosition(start);
    if (cursor.hasSelection() || cursor.position() != position) {
        cursor.setPosition(position);
        setTextCursor(cursor);
    }
}

qsizetype RichTextBox::SelLength() const
{
    const QTextCursor cursor = textCursor();
    return textOffset(cursor.selectionEnd()) - textOffset(cursor.selectionStart());
}

void RichTextBox::SetSelLength(qsizetype length)
{
    QTextCursor cursor = textCursor();
    if (length == 0 && !cursor.hasSelection())
        return;
    const qsizetype start = textOffset(cursor.selectionStart());
    cursor.setPosition(documentPosition(start));
    cursor.setPosition(documentPosition(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void RichTextBox::SetSelBold(bool bold)
{
    QTextCharFormat change;
    change.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    applyToSelection(change);
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
    const QTextBlock firstChanged = cursor.block();
    for (const Piece &piece : documentPieces(text))
        insertPiece(cursor, piece, m_selFormat);
    cursor.endEditBlock();
    countContinuations(firstChanged.isValid() ? firstChanged : document()->firstBlock());
    setTextCursor(cursor);
}
