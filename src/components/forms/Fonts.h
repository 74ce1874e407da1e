#pragma once

#include <QFont>

// The windows' fonts by family, size in points and weight. Where Verdana is
// not installed it falls back to DejaVu Sans at the same size and weight.
QFont DesignFont(const QString &family, qreal points, QFont::Weight weight = QFont::Normal);
