#pragma once

#include <QString>

// Gives a window's control (or socket) its name, the one tests and
// assistive technologies find it by, as it is made.
template <typename Control>
Control *named(Control *control, const QString &name)
{
    control->setObjectName(name);
    return control;
}
