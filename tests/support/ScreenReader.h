#pragma once

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

// A screen reader while it lives: accessibility is on, as when one starts,
// and the notifications shown, what it would speak, are kept in spoken;
// textInserts counts the text inserts it is told of.
struct ScreenReader {
    static inline QStringList spoken;
    static inline int textInserts = 0;
    ScreenReader() { spoken.clear(), textInserts = 0, QAccessible::installUpdateHandler(hear), listen(true); }
    ~ScreenReader() { listen(false), QAccessible::installUpdateHandler(nullptr); }
    static void listen(bool on) { QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on); }
    static void hear(QAccessibleEvent *event)
    {
        textInserts += event->type() == QAccessible::TextInserted;
        if (event->type() == QAccessible::ObjectShow && event->accessibleInterface()->role() == QAccessible::Notification)
            spoken.append(event->accessibleInterface()->text(QAccessible::Name));
    }
};
