#pragma once

class QWidget;

// The collection of loaded windows, in the order in which they were loaded.
// A window joins it when it loads and leaves it when it is unloaded or destroyed.
namespace Forms {

void Load(QWidget *form);
int Count();
QWidget *Item(int index);
// Hides the window and destroys it once control returns to the event loop.
void Unload(QWidget *form);

}  // namespace Forms
