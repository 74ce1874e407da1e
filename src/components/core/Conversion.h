#pragma once

#include <QString>

// The ordinary text-to-number conversion: optional surrounding blanks (any
// Unicode space, such as a no-break space pasted from a web page), an
// optional sign and decimal digits. Anything else throws ComponentError
// "Type mismatch"; a value outside 32 bits throws "Overflow".
qint32 TextToLong(const QString &text);
