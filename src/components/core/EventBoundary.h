#pragma once

#include <QObject>
#include <QtGlobal>
#include <exception>
#include <utility>

// The one road from a control's event to a window's handler. A failure that
// the handler does not handle itself goes no further than this: it is written
// to the console with the handler's name, and the program carries on.
namespace Events {

// A window's handler and its name, as EVENT_HANDLER writes them.
template <typename Method>
struct Handler
{
    Method method;
    const char *name;
};

// Runs a handler with the event's arguments.
template <typename Window, typename Method, typename... Args>
void Raise(Window *window, const Handler<Method> &handler, Args &&...args) noexcept
{
    try {
        (window->*handler.method)(std::forward<Args>(args)...);
    } catch (const std::exception &error) {
        qWarning("Unhandled failure in %s: %s", handler.name, error.what());
    } catch (...) {
        qWarning("Unhandled failure in %s", handler.name);
    }
}

// Raises a handler, which takes the signal's arguments or none of them,
// whenever the control emits the signal. The connection is direct, so a
// handler's writes to reference arguments reach the control that emitted.
template <typename Control, typename Signal, typename Window, typename... Args>
void Connect(Control *control, Signal signal, Window *window, const Handler<void (Window::*)(Args...)> &handler)
{
    QObject::connect(
        control, signal, window, [window, handler](Args... args) { Raise(window, handler, std::forward<Args>(args)...); },
        Qt::DirectConnection);
}

}  // namespace Events

// A window's handler with its name taken from it: EVENT_HANDLER(frmChat::cmdConnect_Click).
#define EVENT_HANDLER(method) (Events::Handler<decltype(&method)>{&method, #method})
