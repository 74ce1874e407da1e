#include "components/core/Conversion.h"

#include "components/core/ComponentError.h"

#include <QRegularExpression>

qint32 TextToLong(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch())
        throw ComponentError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    bool ok = false;
    const qint32 value = trimmed.toInt(&ok);
    if (!ok)
        throw ComponentError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return value;
}
