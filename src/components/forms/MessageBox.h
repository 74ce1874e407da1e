#pragma once

#include "components/desktop/App.h"

#include <QString>

class QWidget;

enum MsgBoxButtons { vbOKOnly = 0, vbOKCancel = 1 };
enum MsgBoxResult { vbOK = 1, vbCancel = 2 };

// Shows a modal message box with no icon over the window that owns it,
// titled with the application title unless it names its own; OK is the
// default button. Returns vbOK or vbCancel (Escape answers Cancel where there
// is one, else OK).
MsgBoxResult MsgBox(QWidget *owner, const QString &prompt, MsgBoxButtons buttons = vbOKOnly,
                    const QString &title = App::Title());
