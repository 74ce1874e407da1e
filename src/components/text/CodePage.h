#pragma once

#include <QByteArray>
#include <QString>

// The single-byte code page of the conversation: Windows-1252, with its five
// unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) standing for the C1 control
// characters of the same value, so that every byte sequence decodes and
// encodes back unchanged. A character outside the page is sent as "?".
namespace CodePage {
QString decode(const QByteArray &bytes);
QByteArray encode(QStringView text);
// The text as the other side gets it: encoded, then decoded again.
QString asSent(const QString &text);
}
