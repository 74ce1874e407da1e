#pragma once

#include <QTcpServer>

// A loopback port that nothing listens on at the moment of asking.
inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
