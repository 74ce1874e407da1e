#pragma once

class QWidget;

// Geometry in twips (1/1440 inch), the unit of every window and control
// position. A write rounds to whole pixels; a read reports the pixels times
// the twips per pixel, so rounding carries into whatever is computed next.
namespace Twips {

float TwipsPerPixelX();
float TwipsPerPixelY();

float Left(const QWidget *control);
float Top(const QWidget *control);
float Width(const QWidget *control);
float Height(const QWidget *control);

void SetLeft(QWidget *control, float twips);
void SetTop(QWidget *control, float twips);
// A negative width or height is refused: the control stays as it was, and the result is false.
bool SetWidth(QWidget *control, float twips);
bool SetHeight(QWidget *control, float twips);

// Places a control by its design geometry.
void Place(QWidget *control, float left, float top, float width, float height);

int ToPixelsX(float twips);
int ToPixelsY(float twips);

}  // namespace Twips
