#pragma once

#include <QString>

// The program's title and version.
namespace App {
inline QString Title() { return QStringLiteral(BRINDLET_TITLE); }
constexpr int Major = BRINDLET_VERSION_MAJOR;
constexpr int Minor = BRINDLET_VERSION_MINOR;
constexpr int Revision = BRINDLET_VERSION_REVISION;
}
