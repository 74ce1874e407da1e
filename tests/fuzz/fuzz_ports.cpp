// What the user types as a port: it becomes the number an ordinary reading
// gives (blanks around, a sign, decimal digits), or takes the failure path;
// the socket takes the ports it can use and refuses the others.
#include "FuzzCheck.h"
#include "components/core/ComponentError.h"
#include "components/core/Conversion.h"
#include "components/network/TcpStreamSocket.h"

#include <cstdint>
#include <optional>

namespace {

// The number the text reads as, if it is one that fits in 32 bits.
std::optional<qint32> ordinaryReading(const QString &text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text.at(first).isSpace())
        ++first;
    while (last > first && text.at(last - 1).isSpace())
        --last;
    bool negative = false;
    if (first < last && (text.at(first) == u'+' || text.at(first) == u'-'))
        negative = text.at(first++) == u'-';
    if (first == last)
        return std::nullopt;
    qint64 value = 0;
    for (qsizetype i = first; i < last; ++i) {
        if (text.at(i) < u'0' || text.at(i) > u'9')
            return std::nullopt;
        value = qMin<qint64>(value * 10 + (text.at(i).unicode() - u'0'), qint64(1) << 40);
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<qint32> expected = ordinaryReading(text);
    try {
        const qint32 port = TextToLong(text);
        FUZZ_CHECK(expected && *expected == port);
        TcpStreamSocket socket;
        socket.SetRemoteHost(text);
        try {
            socket.SetRemotePort(port);
            FUZZ_CHECK(port >= 0 && port <= 65535);
        } catch (const ComponentError &) {
            FUZZ_CHECK(port < 0 || port > 65535);
        }
        try {
            socket.SetLocalPort(port);
            FUZZ_CHECK(port >= 1 && port <= 65535);
        } catch (const ComponentError &) {
            FUZZ_CHECK(port < 1 || port > 65535);
        }
    } catch (const ComponentError &) {
        FUZZ_CHECK(!expected);
    }
    return 0;
}
