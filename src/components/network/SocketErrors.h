#pragma once

#include <QAbstractSocket>
#include <QtGlobal>
#include <algorithm>
#include <iterator>
#include <utility>

// A failure as the user sees it: its conventional (Winsock) number and description.
struct SocketErrorText
{
    qint16 number;
    const char *description;
};

namespace SocketErrors {

constexpr qint16 failed = 10004;
constexpr qint16 noBufferSpace = 10055;
constexpr qint16 timedOut = 10060;
constexpr qint16 hostNotFound = 11001;

// Every failure a socket reports, by its number.
constexpr SocketErrorText known[] = {
    {failed, "Socket operation failed"},
    {10013, "Permission denied"},
    {10022, "Invalid argument"},
    {10045, "Operation not supported"},
    {10048, "Address already in use"},
    {10049, "Address not available on this computer"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10054, "Connection reset by peer"},
    {noBufferSpace, "No buffer space available"},
    {timedOut, "Connection timed out"},
    {10061, "Connection refused"},
    {10065, "No route to host"},
    {hostNotFound, "Host not found"},
};

// The number and description of a failure; a number not in the table is
// shown as a failed operation.
inline SocketErrorText text(int number)
{
    const auto found = std::find_if(std::begin(known), std::end(known),
                                    [number](const SocketErrorText &error) { return error.number == number; });
    return found != std::end(known) ? *found : known[0];
}

// The number of a failure Qt reports by its kind.
inline int numberOf(QAbstractSocket::SocketError error)
{
    static constexpr std::pair<QAbstractSocket::SocketError, int> numbers[] = {
        {QAbstractSocket::ConnectionRefusedError, 10061},
        {QAbstractSocket::SocketTimeoutError, timedOut},
        {QAbstractSocket::AddressInUseError, 10048},
        {QAbstractSocket::SocketAddressNotAvailableError, 10049},
        {QAbstractSocket::SocketAccessError, 10013},
        {QAbstractSocket::SocketResourceError, noBufferSpace},
        {QAbstractSocket::NetworkError, 10050},
        {QAbstractSocket::UnsupportedSocketOperationError, 10045},
    };
    for (const auto &[kind, number] : numbers) {
        if (kind == error)
            return number;
    }
    return failed;
}

}  // namespace SocketErrors
