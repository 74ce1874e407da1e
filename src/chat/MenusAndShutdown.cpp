// The menu commands, and closing the window, which closes both sockets and
// every other window and so ends the program.

#include "chat/frmChat.h"

#include "about/frmAbout.h"
#include "components/forms/Forms.h"
#include "components/forms/MessageBox.h"
#include "options/frmOptions.h"

namespace {

void showModeless(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void frmChat::mnuOption_Click()
{
    if (!m_options)
        m_options = new frmOptions(*this);
    showModeless(m_options);
}

void frmChat::mnuAbout_Click()
{
    if (!m_about)
        m_about = new frmAbout;
    showModeless(m_about);
}

void frmChat::mnuExit_Click()
{
    close();
}

void frmChat::Form_Unload(int &)
{
    if (!CloseAllConnections())
        MsgBox(this, QStringLiteral("Could not close the connection."));
    // From the last loaded down, so the lower indexes stay valid. The chat
    // window meets itself here: it is being closed already, and hiding it now
    // would keep the platform from seeing its last window close.
    for (int index = Forms::Count() - 1; index >= 0; --index) {
        if (Forms::Item(index) != this)
            Forms::Unload(Forms::Item(index));
    }
}
