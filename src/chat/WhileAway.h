#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class DesktopNotification;
class QWidget;

// Tells a user who is in another program what happens in the conversation:
// the window asks for attention, and one desktop notification says who wrote
// what. A new conversation's replaces the last one's in place, so that a peer
// that reconnects again and again neither stacks notifications up nor makes
// them change more than once a second. Coming back to the program withdraws
// it; choosing it brings the window back with the keyboard in the input box.
class WhileAway : public QObject
{
public:
    // A notification shows the newest lines that arrived, at most this many
    // and this many characters: readable at a glance, however much came.
    static constexpr int shownLines = 5;
    static constexpr qsizetype shownCharacters = 200;

    WhileAway(QWidget &window, QWidget &inputBox);

    void conversationStarted();
    // peer names who the conversation is with ("127.0.0.1, port 1001").
    void arrived(const QString &peer, const QString &text);
    // how says in plain words what ended it.
    void conversationEnded(const QString &peer, const QString &how);

private:
    static bool away();
    void notify(const QString &peer, const QString &body);
    void withdraw();
    void bringWindowBack();

    QWidget &m_window;
    QWidget &m_inputBox;
    // The newest text that arrived since the user left, as the transcript shows it.
    QString m_unread;
    QPointer<DesktopNotification> m_notification;  // once shown
};
