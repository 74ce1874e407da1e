#include "components/text/RichTextBox.h"

#include "components/text/ContinuedParagraphs.h"

#include <QColor>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

// How the document holds Text's line breaks. A "\r\n" is a line separator
// within a paragraph, or a paragraph break where it ends the inserted text or
// the paragraph is long; a lone "\n" or "\r" is a line separator marked as
// such. Few paragraphs keep a flood cheap to take in; short ones keep it
// cheap to lay out, and an entry that ends a paragraph is laid out alone.
using ContinuedParagraphs::LineFeedOnly;
using ContinuedParagraphs::LoneCarriageReturn;
using ContinuedParagraphs::continuesPrevious;

// A "\r\n" ends the paragraph once it is this long.
constexpr qsizetype paragraphBreakAfter = 512;

// One piece of text as it goes into the document.
struct Piece
{
    enum Kind { Text, LineFeed, CarriageReturn, Continuation };
    Kind kind;
    QString text;
};

QList<Piece> documentPieces(const QString &text)
{
    QList<Piece> pieces;
    QString current;
    current.reserve(text.size());
    const QChar *const end = text.constData() + text.size();
    const QChar *copied = text.constData();  // where the text not yet in current begins
    const auto copyUpTo = [&](const QChar *upTo) {
        current.append(copied, upTo - copied);
        copied = upTo;
    };
    const auto endPiece = [&](Piece::Kind kind) {
        pieces.append({Piece::Text, current});
        pieces.append({kind, QString(QChar::LineSeparator)});
        current.clear();
    };
    ContinuedParagraphs::Splitter paragraph;
    for (const QChar *c = copied; c < end; ++c) {
        if (paragraph.continuesBefore(*c)) {
            copyUpTo(c);
            endPiece(Piece::Continuation);
        }
        const char16_t u = c->unicode();
        if (u != u'\r' && u != u'\n')
            continue;
        copyUpTo(c);
        ++copied;
        if (u == u'\r' && c + 1 < end && c[1] == u'\n') {
            ++copied;
            ++c;
            if (paragraph.length() >= paragraphBreakAfter || c + 1 == end) {
                current += QChar::ParagraphSeparator;
                paragraph.restart();
            } else {
                current += QChar::LineSeparator;
            }
        } else {
            endPiece(u == u'\n' ? Piece::LineFeed : Piece::CarriageReturn);
        }
    }
    copyUpTo(end);
    pieces.append({Piece::Text, current});
    return pieces;
}

// Whether a line separator stands for "\r\n": two characters of Text.
bool isLineEnd(const QTextFragment &fragment)
{
    const QTextCharFormat format = fragment.charFormat();
    return !format.hasProperty(LineFeedOnly) && !format.hasProperty(LoneCarriageReturn);
}

// The "\r\n" line separators of a paragraph before a document position.
int lineEndsBefore(const QTextBlock &block, int position)
{
    int count = 0;
    for (auto it = block.begin(); !it.atEnd() && it.fragment().position() < position; ++it) {
        const QTextFragment fragment = it.fragment();
        if (isLineEnd(fragment))
            count += int(fragment.text().left(position - fragment.position()).count(QChar::LineSeparator));
    }
    return count;
}

int lineEndsIn(const QTextBlock &block)
{
    return lineEndsBefore(block, block.position() + block.length());
}

// Each paragraph's user state, less the top paragraph's, is how many more
// characters Text has than the document before the paragraph, less its number
// of paragraph breaks: the "\r\n" line separators in the paragraphs above,
// less two for every continued paragraph up to it. Counted from the given
// paragraph on.
void countTextOffsets(QTextBlock block)
{
    const QTextBlock previous = block.previous();
    int offset = previous.isValid() ? previous.userState() + lineEndsIn(previous) : 0;
    for (; block.isValid(); block = block.next()) {
        offset -= block.previous().isValid() && continuesPrevious(block) ? 2 : 0;
        block.setUserState(offset);
        offset += lineEndsIn(block);
    }
}

void insertPiece(QTextCursor &cursor, const Piece &piece, QTextCharFormat format)
{
    switch (piece.kind) {
    case Piece::LineFeed:
    case Piece::CarriageReturn:
        format.setProperty(piece.kind == Piece::LineFeed ? LineFeedOnly : LoneCarriageReturn, true);
        cursor.insertText(piece.text, format);
        return;
    case Piece::Continuation:
        cursor.insertBlock(ContinuedParagraphs::continuation(), format);
        return;
    case Piece::Text:
        // A paragraph break takes the format of the paragraph it splits;
        // after a continued paragraph the next one starts plain.
        qsizetype text = 0;
        if (continuesPrevious(cursor.block())) {
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
    countTextOffsets(document()->firstBlock());
    connect(document(), &QTextDocument::contentsChange, this, &RichTextBox::followChange);
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
        if (block.position() > from && !continuesPrevious(block))
            text += QStringLiteral("\r\n");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = qMax(from, fragment.position());
            const int end = qMin(to, fragment.position() + fragment.length());
            if (start >= end)
                continue;
            QString piece = fragment.text().mid(start - fragment.position(), end - start);
            const QTextCharFormat format = fragment.charFormat();
            text += piece.replace(QChar::LineSeparator, format.hasProperty(LineFeedOnly)         ? QStringLiteral("\n")
                                                        : format.hasProperty(LoneCarriageReturn) ? QStringLiteral("\r")
                                                                                                 : QStringLiteral("\r\n"));
        }
    }
    return text;
}

QString RichTextBox::withDesktopLineBreaks(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

// On the desktop's clipboard every line break is one "\n", whichever way it
// came in, so that a paste into a terminal or an editor shows no stray "\r".
QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(withDesktopLineBreaks(textBetween(cursor.selectionStart(), cursor.selectionEnd())));
    return data;
}

namespace {

// A cursor at a position that moves with the text before it, not with text
// inserted right at it.
QTextCursor trackedPosition(QTextDocument *document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setKeepPositionOnInsert(true);
    return cursor;
}

}  // namespace

RichTextBox::KeptView::KeptView(RichTextBox &box)
    : m_box(box)
{
    const QScrollBar *scroll = box.verticalScrollBar();
    const QTextBlock top = box.document()->findBlockByLineNumber(scroll->value());
    m_topBlock = trackedPosition(box.document(), top.position());
    m_linesIntoTopBlock = scroll->value() - top.firstLineNumber();
    m_atEnd = scroll->value() == scroll->maximum();
    box.m_keptViewSelection = box.textCursor();
}

RichTextBox::KeptView::~KeptView()
{
    m_box.m_keptViewSelection.reset();
    QScrollBar *scroll = m_box.verticalScrollBar();
    const QTextBlock top = m_box.document()->findBlock(m_topBlock.position());
    scroll->setValue(m_atEnd ? scroll->maximum() : top.firstLineNumber() + m_linesIntoTopBlock);
}

QTextCursor RichTextBox::selection() const
{
    return m_keptViewSelection ? *m_keptViewSelection : textCursor();
}

void RichTextBox::setSelection(const QTextCursor &cursor)
{
    if (m_keptViewSelection)
        m_keptViewSelection = cursor;
    else
        setTextCursor(cursor);
}

void RichTextBox::SetText(const QString &text)
{
    document()->clear();
    SetSelText(text);
}

// Whatever changed the document, these operations or the text edit's own, the
// paragraphs' offsets are counted again from the change on, and the entries
// move with the text. Text added at the end is a new entry.
void RichTextBox::followChange(int position, int, int added)
{
    const int end = document()->characterCount() - 1;
    position = qMin(position, end);
    QTextBlock first = document()->firstBlock();
    const QTextBlock second = first.next();
    if (position == 0 && added == 0 && second.isValid()) {
        // Text left from the top: the paragraphs below keep their counts, and
        // the top one's is where they go on from.
        first.setUserState(second.userState() - lineEndsIn(first) + (continuesPrevious(second) ? 2 : 0));
    } else {
        countTextOffsets(document()->findBlock(position));
    }
    const qint64 start = textOffset(position);
    const qint64 addedText = textOffset(qMin(position + added, end)) - start;
    const qint64 length = TextLength();
    const qint64 removedText = m_textLength - length + addedText;
    if (removedText == 0 && start == m_textLength && addedText > 0) {
        m_entryStarts.push_back(start);
    } else if (removedText != addedText) {
        // Entries that began in the replaced text are gone; those after it move.
        const auto gone = std::lower_bound(m_entryStarts.begin(), m_entryStarts.end(), start + (removedText == 0));
        const auto moved = std::lower_bound(gone, m_entryStarts.end(), start + removedText);
        for (auto entry = moved; entry != m_entryStarts.end(); ++entry)
            *entry += addedText - removedText;
        m_entryStarts.erase(gone, moved);
    }
    m_textLength = length;
}

void RichTextBox::SetMaxLength(qsizetype characters)
{
    m_maxLength = characters;
    trimToBounds();
}

void RichTextBox::SetMaxEntries(qsizetype entries)
{
    m_maxEntries = entries;
    trimToBounds();
}

qsizetype RichTextBox::TextLength() const
{
    return textOffset(document()->characterCount() - 1);
}

// Finds the document position of a character offset into Text. A position
// inside a "\r\n" pair, at the end or past it counts as the end of its line.
int RichTextBox::documentPosition(qsizetype offset) const
{
    const QTextDocument *doc = document();
    if (offset <= 0)
        return 0;
    if (offset >= TextLength())
        return doc->characterCount() - 1;
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
    qsizetype rest = offset - textOffset(block.position());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const bool lineEnds = isLineEnd(fragment);
        const QString text = fragment.text();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int width = lineEnds && text.at(i) == QChar::LineSeparator ? 2 : 1;
            if (rest < width)
                return int(fragment.position() + i);
            rest -= width;
        }
    }
    return block.position() + block.length() - 1;
}

qsizetype RichTextBox::textOffset(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    const int base = document()->firstBlock().userState();
    return position + block.blockNumber() + (block.userState() - base) + lineEndsBefore(block, position);
}

qsizetype RichTextBox::SelStart() const
{
    return textOffset(selection().selectionStart());
}

void RichTextBox::SetSelStart(qsizetype start)
{
    QTextCursor cursor = selection();
    const int position = documentPosition(start);
    if (cursor.hasSelection() || cursor.position() != position) {
        cursor.setPosition(position);
        setSelection(cursor);
    }
}

qsizetype RichTextBox::SelLength() const
{
    const QTextCursor cursor = selection();
    return textOffset(cursor.selectionEnd()) - textOffset(cursor.selectionStart());
}

void RichTextBox::SetSelLength(qsizetype length)
{
    QTextCursor cursor = selection();
    if (length == 0 && !cursor.hasSelection())
        return;
    const qsizetype start = textOffset(cursor.selectionStart());
    cursor.setPosition(documentPosition(start));
    cursor.setPosition(documentPosition(start + length), QTextCursor::KeepAnchor);
    setSelection(cursor);
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
    QTextCursor cursor = selection();
    if (cursor.hasSelection())
        cursor.mergeCharFormat(change);
}

void RichTextBox::SetSelText(const QString &text)
{
    replaceSelection(text, Entry::New);
}

void RichTextBox::ExtendNewestEntry(const QString &text)
{
    replaceSelection(text, Entry::ExtendsNewest);
}

// Text put at the end is a new entry, unless it extends the newest one.
void RichTextBox::replaceSelection(const QString &text, Entry entry)
{
    const std::size_t entriesBefore = m_entryStarts.size();
    QTextCursor cursor = selection();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (const Piece &piece : documentPieces(text))
        insertPiece(cursor, piece, m_selFormat);
    cursor.endEditBlock();
    setSelection(cursor);
    if (entry == Entry::ExtendsNewest && entriesBefore > 0 && m_entryStarts.size() == entriesBefore + 1)
        m_entryStarts.pop_back();
    trimToBounds();
}

// Entries leave a quarter of the bound at a time: the document copies all of
// its text once some of it has gone, so that the copy happens seldom.
void RichTextBox::trimToBounds()
{
    if (m_entryStarts.empty())
        return;
    qint64 cut = 0;
    const qint64 length = TextLength();
    if (length > m_maxLength) {
        const qint64 excess = length - m_maxLength * 3 / 4;
        // The oldest entry that begins far enough down; the newest always stays.
        const auto entry = std::lower_bound(m_entryStarts.begin(), m_entryStarts.end(), excess);
        cut = entry == m_entryStarts.end() ? m_entryStarts.back() : *entry;
    }
    const auto entries = qsizetype(m_entryStarts.size());
    if (entries > m_maxEntries)
        cut = qMax(cut, m_entryStarts[entries - qMax<qsizetype>(1, m_maxEntries * 3 / 4)]);
    if (cut <= 0)
        return;
    QTextCursor top(document());
    top.setPosition(documentPosition(cut), QTextCursor::KeepAnchor);
    top.removeSelectedText();
}
