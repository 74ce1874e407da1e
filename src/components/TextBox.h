#pragma once

#include <QPlainTextEdit>

// A multi-line text box. Text reports line breaks as "\r\n". KeyPress is
// raised with the character code of each character key before the box
// handles the key; KeyUp when a key is released.
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
};
