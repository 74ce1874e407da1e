#pragma once

#include "components/text/ContinuedParagraphs.h"
#include "components/text/PartsPerTurn.h"

#include <QPlainTextEdit>
#include <optional>

// A multi-line text box. Text reports line breaks as "\r\n". KeyPress is
// raised with the character code of each character key before the box
// handles the key; KeyUp when a key is released.
//
// KeyAscii is written back: a handler that sets it to 0 cancels the key, one
// that sets another code types that character instead. Only a direct
// connection (the default within the GUI thread) can write it back.
//
// A big paste goes in a part each turn of the event loop, as one edit that
// one undo takes back, so that the window goes on drawing meanwhile. Every
// key but a modifier alone, click and edit first put in what is left of it,
// and Text counts it as in: the box behaves as if the paste had gone in at
// once. SetText replaces it with the rest.
class TextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    static constexpr qsizetype pastedPerTurn = 128 * 1024;
    // The undo history keeps at most this many pasted characters, or one
    // longer paste: a paste that would take it further starts it afresh.
    static constexpr qsizetype mostPastedForUndo = 1024 * 1024;

    explicit TextBox(QWidget *parent = nullptr);

    // Counts what is left of a paste as in already.
    QString Text() const;
    void SetText(const QString &text);

signals:
    void KeyPress(int &KeyAscii);
    void KeyUp(int KeyCode, int Shift);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void insertText(const QString &text);
    void queuePaste(const QString &text);
    void finishPaste();
    void beginPaste(const QString &text);
    void startHistoryAfresh();
    void forgetPastedText();
    void insertPart(const PartsPerTurn::Part &paste);
    void insertLines(QTextCursor &cursor, const QString &text);
    QString textBetween(int from, int to) const;

    PartsPerTurn m_pastes;
    ContinuedParagraphs::Splitter m_paragraph;  // of the paste going in
    // Characters the pastes since the undo history began have put in.
    qsizetype m_pastedIntoHistory = 0;
    bool m_insertingPart = false;
    // What was pasted into the empty box: its Text, until anything else changes the box.
    std::optional<QString> m_pastedText;
};
