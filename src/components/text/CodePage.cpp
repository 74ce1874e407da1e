#include "components/text/CodePage.h"

#include <array>

namespace {

// Characters of the bytes 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> upperControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) [[likely]]
        return static_cast<char>(c);
    for (std::size_t i = 0; i < upperControlRange.size(); ++i) {
        if (upperControlRange[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

QString CodePage::decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? upperControlRange[b - 0x80] : char16_t(b));
    }
    return text;
}

QByteArray CodePage::encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar *c = text.data(), *end = c + text.size(); c < end; ++c) {
        // A character beyond the 16-bit range is one character, sent as one "?".
        if (c->isHighSurrogate() && c + 1 < end && c[1].isLowSurrogate())
            ++c;
        *out++ = encodeChar(c->unicode());
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

QString CodePage::asSent(const QString &text)
{
    return decode(encode(text));
}
