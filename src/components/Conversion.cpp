#include "components/Conversion.h"

#include "components/ComponentError.h"

#include <QRegularExpression>

qint32 TextToLong(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    if (!number.match(text).hasMatch())
        throw ComponentError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    if (!ok)
        throw ComponentError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return value;
}
