#pragma once

#include <QPlainTextEdit>

// A multi-line text box. Text reports line breaks as "\r\n". KeyPress is
// raised with the character code of each character key before the box
// handles the key; KeyUp when a key is released.
//
// KeyAscii is written back: a handler that sets it to 0 cancels the key, one
// that sets another code types that character instead. Only a direct
// connection (the default within the GUI thread) can write it back.
class TextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

    QString Text() const;
    void SetText(const QString &text);

signals:
    void KeyPress(int &KeyAscii);
    void KeyUp(int KeyCode, int Shift);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void insertText(QString text);
};
