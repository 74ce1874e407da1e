#include "components/accessibility/AccessibleHush.h"

#include <QAccessible>
#include <QWidget>

namespace {

const char *const hushedProperty = "hushedAwayFromFocus";
QAccessible::UpdateHandler nextHandler = nullptr;

bool isEdit(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
    case QAccessible::ValueChanged:
        return true;
    default:
        return false;
    }
}

bool isHushed(const QAccessibleEvent *event)
{
    if (!isEdit(event->type()))
        return false;
    for (QObject *object = event->object(); object; object = object->parent()) {
        if (object->property(hushedProperty).toBool())
            return !static_cast<QWidget *>(object)->hasFocus();
    }
    return false;
}

void passOn(QAccessibleEvent *event)
{
    if (isHushed(event))
        return;
    if (nextHandler) {
        nextHandler(event);
        return;
    }
    // Qt hands an event to the platform only while no handler is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(passOn);
}

// Puts passOn in front of whichever handler is installed now.
void installHush()
{
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(passOn);
    if (previous != passOn)
        nextHandler = previous;
}

// A handler installed after the window was built stays behind passOn from
// the moment a screen reader starts.
struct HushOnActivation : QAccessible::ActivationObserver
{
    HushOnActivation() { QAccessible::installActivationObserver(this); }
    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            installHush();
    }
};

} // namespace

void hushEditsAwayFromFocus(QWidget *widget)
{
    static HushOnActivation observer;
    widget->setProperty(hushedProperty, true);
    installHush();
}
