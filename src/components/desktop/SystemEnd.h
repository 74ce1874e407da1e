#pragma once

#include <QObject>

// While it lives, the program ends as "Disconnect and Exit" ends it when the
// system asks it to: at logout or shutdown, by kill, or by Ctrl+C in its
// terminal. Its windows close at once, and what is still queued for a peer
// goes out within the linger time. Asked again meanwhile, it ends at once, and
// a peer that has not had all of it gets a reset, never an orderly end after
// part of a text. How the system asks is the operating system's own.
class SystemEnd : public QObject
{
public:
    explicit SystemEnd(QObject *parent = nullptr);
    ~SystemEnd() override;

private:
    void onAsked();

    QObject *m_listener = nullptr;  // hears the system ask; the system's own kind
    bool m_ending = false;
};
