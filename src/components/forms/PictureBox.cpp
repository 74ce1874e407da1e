#include "components/forms/PictureBox.h"

#include "components/core/ShiftMask.h"
#include "components/core/Twips.h"

#include <QMouseEvent>

namespace {

int buttonMask(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

}  // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    emit MouseDown(buttonMask(event->button()), ShiftMask(event->modifiers()), float(at.x()) * Twips::TwipsPerPixelX(),
                   float(at.y()) * Twips::TwipsPerPixelY());
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    emit MouseMove(buttonMask(event->buttons()), ShiftMask(event->modifiers()), float(at.x()) * Twips::TwipsPerPixelX(),
                   float(at.y()) * Twips::TwipsPerPixelY());
}
