#pragma once

#include <QProxyStyle>

// The desktop's style, but under a dark theme the outlines of option buttons
// and of box frames, which some themes draw barely lighter than the window,
// take a colour halfway between the window and its text: at least 3:1
// against the window, whatever the theme. Light themes are left as they are.
class ContrastStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
