#pragma once

#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTextCursor>
#include <deque>
#include <limits>
#include <optional>

// The transcript's rich-text box: plain text in character styles, entered only
// through a text cursor with an explicit format, never parsed as markup.
// Text reports exactly what was inserted: "\r\n", a lone "\r" and a lone "\n"
// each come back as they went in, all shown as line breaks. Positions count
// characters of Text. Appending and TextLength() cost the same however long
// the transcript has grown. The positions follow every change of the text,
// whether it came through these operations or through QPlainTextEdit's own.
//
// An entry is text added at the end. Beyond MaxLength characters or
// MaxEntries entries, SetSelText lets the oldest entries leave from the top,
// whole, until three quarters of the bound are left, at a cost per character
// that does not grow with the transcript. The newest entry always stays.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit RichTextBox(QWidget *parent = nullptr);

    // The text with every line break, "\r\n" or a lone "\r", as one "\n", as
    // the rest of the desktop (the clipboard, a notification) wants it.
    static QString withDesktopLineBreaks(QString text);

    // The most characters and entries the box keeps; the oldest entries
    // leave from the top. Without a bound it keeps everything.
    void SetMaxLength(qsizetype characters);
    void SetMaxEntries(qsizetype entries);
    qsizetype MaxLength() const { return m_maxLength; }
    qsizetype MaxEntries() const { return m_maxEntries; }

    // Keeps what the reader sees while it lives: their selection, and their
    // place in the text unless the view was at the end, which then follows
    // the end. Meanwhile the Sel operations work on a selection of their own,
    // so that nothing scrolls or lays out the text they pass over.
    class KeptView
    {
    public:
        explicit KeptView(RichTextBox &box);
        ~KeptView();
        Q_DISABLE_COPY_MOVE(KeptView)

    private:
        RichTextBox &m_box;
        QTextCursor m_topBlock;  // the paragraph at the top of the view
        int m_linesIntoTopBlock;
        bool m_atEnd;
    };

    QString Text() const;
    void SetText(const QString &text);
    qsizetype TextLength() const;

    qsizetype SelStart() const;
    void SetSelStart(qsizetype start);
    qsizetype SelLength() const;
    void SetSelLength(qsizetype length);
    void SetSelBold(bool bold);
    // Colours are 24-bit values laid out as 0x00BBGGRR.
    void SetSelColor(quint32 color);
    // Replaces the selection with text in the selection's style.
    void SetSelText(const QString &text);
    // As SetSelText with the selection at the end, but the text goes on the
    // newest entry rather than starting one: an entry added a part at a time.
    void ExtendNewestEntry(const QString &text);

protected:
    // What is copied is the selected part of Text, whatever paragraphs hold it.
    QMimeData *createMimeDataFromSelection() const override;

private:
    QString textBetween(int from, int to) const;
    int documentPosition(qsizetype textOffset) const;
    qsizetype textOffset(int documentPosition) const;
    QTextCursor selection() const;
    void setSelection(const QTextCursor &cursor);
    void applyToSelection(const QTextCharFormat &change);
    void trimToBounds();
    void followChange(int position, int removed, int added);
    enum class Entry { New, ExtendsNewest };
    void replaceSelection(const QString &text, Entry entry);

    QTextCharFormat m_selFormat;
    // The Sel operations' selection while a KeptView lives, apart from the view's.
    std::optional<QTextCursor> m_keptViewSelection;
    qsizetype m_maxLength = std::numeric_limits<qsizetype>::max();
    qsizetype m_maxEntries = std::numeric_limits<qsizetype>::max();
    qint64 m_textLength = 0;            // as of the last change of the document
    std::deque<qint64> m_entryStarts;   // Text offsets, oldest first
};
