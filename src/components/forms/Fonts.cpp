#include "components/forms/Fonts.h"

QFont DesignFont(const QString &family, qreal points, QFont::Weight weight)
{
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}
