#include "components/network/Linger.h"

#include "components/network/SystemSocket.h"

#include <QCoreApplication>
#include <QEventLoopLocker>
#include <QTcpSocket>
#include <QTimer>

void discard(QTcpSocket *socket)
{
    if (socket->bytesToWrite() > 0 && socket->socketDescriptor() != -1)
        SystemSocket::resetOnClose(socket->socketDescriptor());
    socket->abort();
    socket->deleteLater();
}

void closeGracefully(QTcpSocket *socket, std::chrono::milliseconds linger)
{
    socket->disconnect();
    socket->setParent(QCoreApplication::instance());
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    QTimer::singleShot(linger, socket, [socket] { discard(socket); });
    auto *keepsProgramRunning = new QEventLoopLocker;
    QObject::connect(socket, &QObject::destroyed, [keepsProgramRunning] { delete keepsProgramRunning; });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, socket,
                     [socket] { discard(socket); });
}
