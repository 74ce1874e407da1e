#pragma once

#include <QPlainTextEdit>
#include <QTextCharFormat>

// The transcript's rich-text box: plain text in character styles, entered only
// through a text cursor with an explicit format, never parsed as markup.
// Text reports exactly what was inserted: "\r\n" stands for a paragraph break,
// and a lone "\r" or "\n" is kept (shown as a line break within the paragraph).
// Positions count characters of Text. Appending and TextLength() cost the same
// however long the transcript has grown.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit RichTextBox(QWidget *parent = nullptr);

    // Keeps what the reader sees while it lives: their selection, and their
    // place in the text unless the view was at the end, which then follows
    // the end.
    class KeptView
    {
    public:
        explicit KeptView(RichTextBox &box);
        ~KeptView();
        Q_DISABLE_COPY_MOVE(KeptView)

    private:
        RichTextBox &m_box;
        int m_anchor;
        int m_position;
        int m_scroll;
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

protected:
    // What is copied is the selected part of Text, whatever paragraphs hold it.
    QMimeData *createMimeDataFromSelection() const override;

private:
    QString textBetween(int from, int to) const;
    int documentPosition(qsizetype textOffset) const;
    qsizetype textOffset(int documentPosition) const;
    void applyToSelection(const QTextCharFormat &change);

    QTextCharFormat m_selFormat;
};
