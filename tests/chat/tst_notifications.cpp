// Desktop notifications while the user is away, through a notification
// service of the test's own on a private session bus (ctest starts it).
#include "ChatPair.h"
#include "ChatWindow.h"
#include "RawPeer.h"
#include "components/network/StreamSocket.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>

// Records what the program asks of the desktop's notification service.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<QStringList> shown;  // application, icon, desktop entry, summary, body, replaced id
    QList<uint> closed;
    uint lastId = 41;

public slots:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int)
    {
        if (actions.contains(QStringLiteral("default")))
            shown.append({app, icon, hints.value(QStringLiteral("desktop-entry")).toString(), summary, body, QString::number(replaces)});
        return replaces != 0 ? replaces : ++lastId;
    }
    void CloseNotification(uint id) { closed.append(id); }
};

static void setAway(bool away) { QGuiApplicationPrivate::setApplicationState(away ? Qt::ApplicationInactive : Qt::ApplicationActive); }

static bool arrives(RawPeer &peer, const QByteArray &text)
{
    peer.socket->write(text);
    return QTest::qWaitFor([&] { return peer.chat->rtxtChat->Text().endsWith(QString::fromLatin1(text + "\r\n")); });
}

class tst_Notifications : public QObject
{
    Q_OBJECT

    NotificationService m_service;
    QDBusConnection m_serviceBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
    const QString m_name = QStringLiteral("org.freedesktop.Notifications");

private slots:
    void initTestCase()
    {
        QVERIFY(m_serviceBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_service,
                                            QDBusConnection::ExportAllSlots));
    }

    void init()
    {
        setAway(false);
        m_service.shown.clear();
        m_service.closed.clear();
        m_serviceBus.registerService(m_name);
    }

    void oneNotificationAConversationWhileAwayUpdatedInPlaceAndWithdrawnOnReturn()
    {
        RawPeer peer;
        QVERIFY(arrives(peer, "while here"));
        setAway(true);
        sendLine(peer.chat, QStringLiteral("own line"));
        QVERIFY(arrives(peer, "<b>bold</b> & <a href=\"x\">link</a>\r\n\x01second"));
        QTRY_COMPARE(m_service.shown.size(), 1);
        const QString body = QStringLiteral("&lt;b&gt;bold&lt;/b&gt; &amp; &lt;a href=&quot;x&quot;&gt;link&lt;/a&gt;\nsecond");
        QCOMPARE(m_service.shown[0], QStringList({"Brindlet", "io.brindlet.Brindlet", "io.brindlet.Brindlet",
                                                  QStringLiteral("From 127.0.0.1, port %1").arg(peer.server.serverPort()), body, "0"}));
        const QString id = QString::number(m_service.lastId);

        // A burst within the update interval is one update, with the newest lines.
        for (int line = 0; line < 10; ++line)
            QVERIFY(arrives(peer, QByteArray::number(line)));
        QTRY_COMPARE(m_service.shown.size(), 2);
        QCOMPARE(m_service.shown[1].mid(4), QStringList({"5\n6\n7\n8\n9", id}));
        peer.socket->disconnectFromHost();
        QTRY_COMPARE(m_service.shown.size(), 3);
        QCOMPARE(m_service.shown[2].mid(4), QStringList({"5\n6\n7\n8\n9\nThe other side closed the conversation.", id}));

        setAway(false);
        QTRY_VERIFY(m_service.closed.contains(id.toUInt()));
    }

    // A peer that reconnects again and again gets one notification, which
    // changes at most once a second, however many conversations come and go.
    void conversationsThatComeAndGoShareOneNotification()
    {
        ChatPair pair;
        pair.listen();
        setAway(true);
        QElapsedTimer elapsed;
        elapsed.start();
        for (int conversation = 0; conversation < 20; ++conversation) {
            QTcpSocket peer;
            peer.connectToHost(QHostAddress::LocalHost, pair.port());
            peer.write("hello " + QByteArray::number(conversation));
            QTRY_VERIFY(pair.listener->rtxtChat->Text().endsWith(QStringLiteral("hello %1\r\n").arg(conversation)));
            peer.disconnectFromHost();
            QTRY_COMPARE(pair.listener->wsockData->State(), StreamSocket::sckClosing);
        }
        const QString last = QStringLiteral("hello 19\nThe other side closed the conversation.");
        QTRY_VERIFY(!m_service.shown.isEmpty() && m_service.shown.last()[4] == last);
        QVERIFY(m_service.shown.size() <= elapsed.elapsed() / 1000 + 2);
        const QString id = QString::number(m_service.lastId);
        for (const QStringList &update : m_service.shown.mid(1))
            QCOMPARE(update[5], id);
        setAway(false);
        QTRY_COMPARE(m_service.closed, QList<uint>({id.toUInt()}));
    }

    void aServiceThatComesLateIsHeardAndChoosingItBringsTheWindowBack()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("(?i)bus|notif")));
        QVERIFY(m_serviceBus.unregisterService(m_name));
        RawPeer peer;
        peer.chat->cmdConnect->setFocus();
        peer.chat->showMinimized();
        setAway(true);
        QVERIFY(arrives(peer, "nobody hears"));
        QVERIFY(m_serviceBus.registerService(m_name));
        QVERIFY(arrives(peer, "heard"));
        QTRY_COMPARE(m_service.shown.size(), 1);
        QCOMPARE(m_service.shown[0][4], QStringLiteral("nobody hears\nheard"));

        // Another program's notification, or another of its actions, is not this one chosen.
        const QString path = QStringLiteral("/org/freedesktop/Notifications");
        m_serviceBus.send(QDBusMessage::createSignal(path, m_name, QStringLiteral("ActionInvoked")) << m_service.lastId + 1
                          << QStringLiteral("default"));
        m_serviceBus.send(QDBusMessage::createSignal(path, m_name, QStringLiteral("ActionInvoked")) << m_service.lastId
                          << QStringLiteral("other"));
        QVERIFY(arrives(peer, "again"));
        QTRY_COMPARE(m_service.shown.size(), 2);  // a second later: the signals have come
        QVERIFY(peer.chat->isMinimized());
        m_serviceBus.send(QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"), m_name, QStringLiteral("ActionInvoked"))
                          << m_service.lastId << QStringLiteral("default"));
        QTRY_VERIFY(!peer.chat->isMinimized());
        QCOMPARE(peer.chat->focusWidget(), peer.chat->NewText);
    }
};

QTEST_MAIN(tst_Notifications)
#include "tst_notifications.moc"
