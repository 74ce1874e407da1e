#include "chat/WhileAway.h"

#include "components/desktop/DesktopNotification.h"
#include "components/text/RichTextBox.h"

#include <QApplication>
#include <QWidget>

namespace {

// The text as the transcript shows it: each arrival on lines of its own, and
// no control character but the line break and the tab.
QString asShown(QStringView text)
{
    QString lines = RichTextBox::withDesktopLineBreaks(text.toString());
    lines.removeIf([](QChar c) { return c.category() == QChar::Other_Control && c != u'\n' && c != u'\t'; });
    return lines + u'\n';
}

// text ends in a line break.
void keepNewestLines(QString &text)
{
    if (text.size() > WhileAway::shownCharacters)
        text.remove(0, text.size() - WhileAway::shownCharacters);
    qsizetype start = text.size() - 1;
    for (int line = 0; line < WhileAway::shownLines; ++line) {
        if (start <= 0 || (start = text.lastIndexOf(u'\n', start - 1)) < 0)
            return;
    }
    text.remove(0, start + 1);
}

}  // namespace

WhileAway::WhileAway(QWidget &window, QWidget &inputBox)
    : QObject(&window)
    , m_window(window)
    , m_inputBox(inputBox)
{
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            withdraw();
    });
}

// The user is in another program; a dialog of this one counts as here.
bool WhileAway::away()
{
    return QGuiApplication::applicationState() != Qt::ApplicationActive;
}

void WhileAway::conversationStarted()
{
    m_unread.clear();
}

void WhileAway::arrived(const QString &peer, const QString &text)
{
    if (!away())
        return;
    QApplication::alert(&m_window);
    m_unread += asShown(QStringView(text).right(shownCharacters));
    keepNewestLines(m_unread);
    notify(peer, m_unread);
}

void WhileAway::conversationEnded(const QString &peer, const QString &how)
{
    if (away())
        notify(peer, m_unread + how);
}

void WhileAway::notify(const QString &peer, const QString &body)
{
    if (!m_notification) {
        m_notification = DesktopNotification::create(this);
        connect(m_notification, &DesktopNotification::activated, this, &WhileAway::bringWindowBack);
    }
    m_notification->show(QStringLiteral("From ") + peer, body.trimmed());
}

void WhileAway::withdraw()
{
    // Later, not at once: coming back may happen inside the notification's own signal.
    if (m_notification)
        m_notification->deleteLater();
    m_notification = nullptr;
    m_unread.clear();
}

void WhileAway::bringWindowBack()
{
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    m_inputBox.setFocus(Qt::ActiveWindowFocusReason);
}
