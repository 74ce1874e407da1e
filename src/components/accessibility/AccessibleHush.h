#pragma once

class QWidget;

// Keeps what changes in widget as text goes into it (text, caret, scroll
// bars) from screen readers while the focus is elsewhere: they would not
// speak it, and in a flood it buries the announcements. Goes in front of
// whichever accessibility update handler is installed, for the whole process.
void hushEditsAwayFromFocus(QWidget *widget);
