// The column of transcript, splitter bar, label and input box, which fills the
// window at every size; dragging the bar moves the boundary between transcript
// and input box.
//
// Each assignment reads what it uses back from the controls, so the pixel
// rounding of one step carries into the next, and each is independent: a
// control that refuses a negative size keeps its old one and the rest go on.

#include "chat/frmChat.h"

#include "components/PictureBox.h"
#include "components/RichTextBox.h"
#include "components/StatusBar.h"
#include "components/TextBox.h"
#include "components/Twips.h"

#include <QLabel>
#include <exception>

using namespace Twips;

namespace {

// Runs one assignment; a refused one leaves its control as it was, silently.
template <typename Assignment>
void step(Assignment &&assignment)
{
    try {
        assignment();
    } catch (const std::exception &) {
    }
}

}  // namespace

void frmChat::Form_Resize()
{
    if (isMinimized())
        return;
    step([&] { SetLeft(NewText, 2 * TwipsPerPixelX()); });
    step([&] { SetLeft(lblNewText, Left(NewText)); });
    step([&] { SetLeft(picSep, Left(NewText)); });
    step([&] { SetLeft(rtxtChat, Left(NewText)); });
    step([&] { SetWidth(NewText, ScaleWidth() - 4 * TwipsPerPixelX()); });
    step([&] { SetWidth(lblNewText, Width(NewText)); });
    step([&] { SetWidth(picSep, Width(NewText)); });
    step([&] { SetWidth(rtxtChat, Width(NewText)); });
    step([&] { SetTop(NewText, ((ScaleHeight() - Height(NewText)) - 2 * TwipsPerPixelY()) - Height(sbarChat)); });
    step([&] { SetTop(lblNewText, (Top(NewText) - Height(lblNewText)) - 1 * TwipsPerPixelY()); });
    step([&] { SetTop(picSep, (Top(lblNewText) - Height(picSep)) - 2 * TwipsPerPixelY()); });
    step([&] { SetHeight(rtxtChat, (Top(picSep) - Top(rtxtChat)) - 2 * TwipsPerPixelY()); });
}

void frmChat::picSep_MouseDown(int, int, float, float Y)
{
    sngSepGrabY = Y;
}

void frmChat::picSep_MouseMove(int Button, int, float, float Y)
{
    if (Button != 1)
        return;
    step([&] { SetTop(picSep, (Top(picSep) + Y) - sngSepGrabY); });
    step([&] { SetHeight(rtxtChat, (Top(picSep) - Top(rtxtChat)) - 2 * TwipsPerPixelY()); });
    step([&] { SetTop(lblNewText, (Top(picSep) + Height(picSep)) + 1 * TwipsPerPixelY()); });
    step([&] { SetTop(NewText, (Top(lblNewText) + Height(lblNewText)) + 1 * TwipsPerPixelY()); });
    step([&] { SetHeight(NewText, ((ScaleHeight() - Top(NewText)) - 2 * TwipsPerPixelY()) - Height(sbarChat)); });
}
