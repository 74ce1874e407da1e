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

private:
    int documentPosition(qsizetype textOffset) const;
    qsizetype textOffset(int documentPosition) const;
    void applyToSelection(const QTextCharFormat &change);

    QTextCharFormat m_selFormat;
};
