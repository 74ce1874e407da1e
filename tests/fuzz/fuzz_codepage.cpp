// Any bytes decode and encode back unchanged; any text encodes to one byte per
// character, "?" exactly where the code page has no byte for it.
#include "FuzzCheck.h"
#include "components/text/CodePage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    FUZZ_CHECK(CodePage::encode(CodePage::decode(bytes)) == bytes);

    const QString text(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const QByteArray encoded = CodePage::encode(text);
    qsizetype byte = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++byte) {
        FUZZ_CHECK(byte < encoded.size());
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        const bool inPage = CodePage::decode(encoded.mid(byte, 1)) == character;
        FUZZ_CHECK(inPage || encoded.at(byte) == '?');
        i += pair ? 1 : 0;
    }
    FUZZ_CHECK(byte == encoded.size());
    return 0;
}
