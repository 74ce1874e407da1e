#pragma once

#include <QFrame>

// A picture box that reports mouse buttons and moves with the position in
// twips of its own coordinates. Button masks: 1 left, 2 right, 4 middle;
// shift masks: 1 Shift, 2 Ctrl, 4 Alt. While a button that went down on the
// box stays down, the box keeps receiving moves, also outside it.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

signals:
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseMove(int Button, int Shift, float X, float Y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
