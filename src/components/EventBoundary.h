#pragma once

#include <QtGlobal>
#include <exception>

// Runs an event handler for the component that raises the event. A failure
// that the handler does not handle itself goes no further than this: it is
// written to the console, and the program carries on.
template <typename Handler>
void RaiseEvent(const char *eventName, Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &error) {
        qWarning("Unhandled failure in %s: %s", eventName, error.what());
    } catch (...) {
        qWarning("Unhandled failure in %s", eventName);
    }
}
