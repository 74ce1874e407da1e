#pragma once

#include <QPixmap>

// The program's picture: a white block building with an arched purple door and
// a cyan top edge, a green and an olive tile floating above it, and a grey
// shadow at its lower right. 32 by 32 pixels, 16-colour palette, transparent around.
QPixmap BrindletIcon();
