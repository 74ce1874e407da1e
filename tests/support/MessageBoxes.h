#pragma once

#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <QWindow>
#include <functional>

// Answers the modal message boxes that open while it lives, and records them.
// Each box is answered with the next of the queued answers, OK when none is left.
class MessageBoxes : public QObject
{
    Q_OBJECT

public:
    struct Seen
    {
        QString title;
        QString text;
        QStringList buttons;
        QString statusWhenShown;  // what whenShown returned, if set
        QWindow *transientParent;  // the window it stands over
    };

    MessageBoxes();

    QList<Seen> seen;
    QList<QMessageBox::StandardButton> answers;
    // Called as each box is seen, while it is open.
    std::function<QString()> whenShown;

private:
    void answerOpenBox();

    QTimer m_poll;
};
