#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class DesktopNotification;
class QWidget;

// Tells a user who is in another program what happens in the conversation:
// the window asks for attention, and one desktop notification for each
// conversation, updated in place, says who wrote what. Coming back to the
// program withdraws them all; choosing one brings the window back with the
// keyboard in the input box.
class WhileAway : public QObject
{
public:
    // A notification shows the newest lines that arrived, at most this many
    // and this many characters: readable at a glance, however much came.
    static constexpr int shownLines = 5;
    static constexpr qsizetype shownCharacters = 200;

    WhileAway(QWidget &window, QWidget &inputBox);

    // peer names who the conversation is with ("127.0.0.1, port 1001").
    void conversationStarted();
    void arrived(const QString &peer, const QString &text);
    // how says in plain words what ended it.
    void conversationEnded(const QString &peer, const QString &how);

private:
    static bool away();
    void notify(const QString &peer, const QString &body);
    void withdrawAll();
    void bringWindowBack();

    QWidget &m_window;
    QWidget &m_inputBox;
    // The newest text that arrived since the user left, as the transcript shows it.
    QString m_unread;
    QPointer<DesktopNotification> m_notification;  // the conversation's, once shown
};
