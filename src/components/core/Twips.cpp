#include "components/core/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {

constexpr float twipsPerInch = 1440.0f;

float twipsPerPixel(bool horizontal)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = !screen ? 96.0 : horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return twipsPerInch / static_cast<float>(std::round(dpi));
}

}  // namespace

float Twips::TwipsPerPixelX() { return twipsPerPixel(true); }
float Twips::TwipsPerPixelY() { return twipsPerPixel(false); }

int Twips::ToPixelsX(float twips) { return static_cast<int>(std::lround(twips / TwipsPerPixelX())); }
int Twips::ToPixelsY(float twips) { return static_cast<int>(std::lround(twips / TwipsPerPixelY())); }

float Twips::Left(const QWidget *control) { return control->x() * TwipsPerPixelX(); }
float Twips::Top(const QWidget *control) { return control->y() * TwipsPerPixelY(); }
float Twips::Width(const QWidget *control) { return control->width() * TwipsPerPixelX(); }
float Twips::Height(const QWidget *control) { return control->height() * TwipsPerPixelY(); }

void Twips::SetLeft(QWidget *control, float twips) { control->move(ToPixelsX(twips), control->y()); }
void Twips::SetTop(QWidget *control, float twips) { control->move(control->x(), ToPixelsY(twips)); }

bool Twips::SetWidth(QWidget *control, float twips)
{
    if (twips < 0)
        return false;
    control->resize(ToPixelsX(twips), control->height());
    return true;
}

bool Twips::SetHeight(QWidget *control, float twips)
{
    if (twips < 0)
        return false;
    control->resize(control->width(), ToPixelsY(twips));
    return true;
}

void Twips::Place(QWidget *control, float left, float top, float width, float height)
{
    control->setGeometry(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
}
