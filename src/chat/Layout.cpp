// The column of transcript, splitter bar, label and input box, which fills the
// window at every size; dragging the bar moves the boundary between transcript
// and input box.
//
// Each assignment reads what it uses back from the controls, so the pixel
// rounding of one step carries into the next. A control refuses a negative
// width or height and keeps its old one; the layout then goes on with the
// next step, which reads the kept size.

#include "chat/frmChat.h"

#include "components/core/Twips.h"
#include "components/forms/PictureBox.h"
#include "components/forms/StatusBar.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"

#include <QLabel>

using namespace Twips;

void frmChat::Form_Resize()
{
    if (isMinimized())
        return;
    SetLeft(NewText, 2 * TwipsPerPixelX());
    SetLeft(lblNewText, Left(NewText));
    SetLeft(picSep, Left(NewText));
    SetLeft(rtxtChat, Left(NewText));
    SetWidth(NewText, ScaleWidth() - 4 * TwipsPerPixelX());
    SetWidth(lblNewText, Width(NewText));
    SetWidth(picSep, Width(NewText));
    SetWidth(rtxtChat, Width(NewText));
    SetTop(NewText, ((ScaleHeight() - Height(NewText)) - 2 * TwipsPerPixelY()) - Height(sbarChat));
    SetTop(lblNewText, (Top(NewText) - Height(lblNewText)) - 1 * TwipsPerPixelY());
    SetTop(picSep, (Top(lblNewText) - Height(picSep)) - 2 * TwipsPerPixelY());
    SetHeight(rtxtChat, (Top(picSep) - Top(rtxtChat)) - 2 * TwipsPerPixelY());
}

void frmChat::picSep_MouseDown(int, int, float, float Y)
{
    sngSepGrabY = Y;
}

void frmChat::picSep_MouseMove(int Button, int, float, float Y)
{
    if (Button != 1)
        return;
    SetTop(picSep, (Top(picSep) + Y) - sngSepGrabY);
    SetHeight(rtxtChat, (Top(picSep) - Top(rtxtChat)) - 2 * TwipsPerPixelY());
    SetTop(lblNewText, (Top(picSep) + Height(picSep)) + 1 * TwipsPerPixelY());
    SetTop(NewText, (Top(lblNewText) + Height(lblNewText)) + 1 * TwipsPerPixelY());
    SetHeight(NewText, ((ScaleHeight() - Top(NewText)) - 2 * TwipsPerPixelY()) - Height(sbarChat));
}
