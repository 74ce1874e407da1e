#include "chat/frmChat.h"

#include "about/frmAbout.h"
#include "chat/Transcript.h"
#include "chat/WhileAway.h"
#include "components/accessibility/AccessibleHush.h"
#include "components/accessibility/Announcer.h"
#include "components/core/EventBoundary.h"
#include "components/core/Named.h"
#include "components/core/Twips.h"
#include "components/forms/Fonts.h"
#include "components/forms/Forms.h"
#include "components/forms/PictureBox.h"
#include "components/forms/StatusBar.h"
#include "components/network/TcpStreamSocket.h"
#include "components/text/RichTextBox.h"
#include "components/text/TextBox.h"
#include "options/frmOptions.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace {

StreamSocket *ownSocket(StreamSocket *socket, QObject *owner, const char *name)
{
    if (!socket)
        socket = new TcpStreamSocket;
    socket->setParent(owner);
    return named(socket, QString::fromLatin1(name));
}

}  // namespace

frmChat::frmChat(StreamSocket *listener, StreamSocket *data)
    : clientArea(named(new QWidget(this), "clientArea"))
    , cmdConnect(named(new QPushButton(clientArea), "cmdConnect"))
    , NewText(named(new TextBox(clientArea), "NewText"))
    , lblNewText(named(new QLabel(clientArea), "lblNewText"))
    , rtxtChat(named(new RichTextBox(clientArea), "rtxtChat"))
    , picSep(named(new PictureBox(clientArea), "picSep"))
    , sbarChat(named(new StatusBar(clientArea), "sbarChat"))
    , wsockListener(ownSocket(listener, this, "wsockListener"))
    , wsockData(ownSocket(data, this, "wsockData"))
    , m_announcer(new Announcer(this))
    , m_transcriptWriter(new TranscriptWriter(*rtxtChat, this))
    , m_whileAway(new WhileAway(*this, *NewText))
{
    setObjectName(QStringLiteral("frmChat"));
    setAttribute(Qt::WA_DeleteOnClose);
    Forms::Load(this);
    buildControls();
    describeForScreenReaders();
    buildMenus();
    placeWindow();
    wireEvents();
    Events::Raise(this, EVENT_HANDLER(frmChat::Form_Load));
}

frmChat::~frmChat() = default;

void frmChat::buildControls()
{
    setWindowTitle(QStringLiteral("Brindlet"));
    setFont(DesignFont(QStringLiteral("Verdana"), 9));
    setCentralWidget(clientArea);

    cmdConnect->setText(QStringLiteral("Connect"));
    cmdConnect->setAutoDefault(true);
    Twips::Place(cmdConnect, 1920, 90, 1515, 465);

    NewText->setFont(DesignFont(QStringLiteral("Verdana"), 9, QFont::Bold));
    Twips::Place(NewText, 60, 3660, 5505, 645);

    lblNewText->setText(QStringLiteral("Enter your text here:"));
    Twips::Place(lblNewText, 30, 3360, 1995, 210);

    rtxtChat->setFont(DesignFont(QStringLiteral("Verdana"), 9.75));
    // Black and blue lines need a light page, whatever the desktop's theme.
    QPalette page = rtxtChat->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    page.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
    page.setColor(QPalette::HighlightedText, Qt::white);
    rtxtChat->setPalette(page);
    Twips::Place(rtxtChat, 60, 660, 5265, 2265);
    rtxtChat->SetMaxLength(transcriptCharacters);
    rtxtChat->SetMaxEntries(transcriptEntries);

    picSep->setCursor(Qt::SizeVerCursor);
    picSep->setFrameShape(QFrame::StyledPanel);
    Twips::Place(picSep, 60, 3060, 5265, 105);

    sbarChat->setFont(QFont());
    sbarChat->setFixedHeight(Twips::ToPixelsY(255));

    picSep->setFocusPolicy(Qt::NoFocus);
    setTabOrder(cmdConnect, NewText);
    setTabOrder(NewText, rtxtChat);
    cmdConnect->setFocus();
}

// What screen readers announce for each control.
void frmChat::describeForScreenReaders()
{
    cmdConnect->setAccessibleDescription(QStringLiteral("Connects, listens or disconnects, as its caption says"));
    NewText->setAccessibleName(QStringLiteral("Enter your text here"));
    NewText->setAccessibleDescription(QStringLiteral("Enter sends the text to the other side"));
    lblNewText->setBuddy(NewText);
    rtxtChat->setAccessibleName(QStringLiteral("Transcript"));
    rtxtChat->setAccessibleDescription(QStringLiteral("Your lines in bold black, the other side's in blue"));
    hushEditsAwayFromFocus(rtxtChat);  // arrivals are announced instead
    picSep->setAccessibleName(QStringLiteral("Splitter"));
    picSep->setAccessibleDescription(QStringLiteral("Drag to share the height between transcript and input box"));
    sbarChat->setAccessibleName(QStringLiteral("Status"));
    // The status line's accessible name is its text; a new text is also announced (setStatus).
    sbarChat->Panels(1)->setAccessibleDescription(QStringLiteral("Connection status"));
}

void frmChat::buildMenus()
{
    mnuFile = named(menuBar()->addMenu(QStringLiteral("&Connection")), "mnuFile");
    mnuOption = named(mnuFile->addAction(QStringLiteral("&Options ...")), "mnuOption");
    mnuSep = named(mnuFile->addSeparator(), "mnuSep");
    mnuExit = named(mnuFile->addAction(QStringLiteral("Disconnect and E&xit")), "mnuExit");
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuHelp = named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("About...")), "mnuAbout");
}

// Opens with the design client size, its top-left corner where the design puts it.
void frmChat::placeWindow()
{
    // The menu bar takes the height it has at the window's width, which the
    // Windows style makes a pixel more than its size hint.
    const int width = Twips::ToPixelsX(5685);
    const int menuHeight = menuBar()->heightForWidth(width);
    setGeometry(Twips::ToPixelsX(6360), Twips::ToPixelsY(1395) - menuHeight, width, Twips::ToPixelsY(4845) + menuHeight);
}

void frmChat::wireEvents()
{
    clientArea->installEventFilter(this);
    NewText->installEventFilter(this);
    rtxtChat->installEventFilter(this);

    using Events::Connect;
    Connect(cmdConnect, &QPushButton::clicked, this, EVENT_HANDLER(frmChat::cmdConnect_Click));
    Connect(wsockListener, &StreamSocket::ConnectionRequest, this, EVENT_HANDLER(frmChat::wsockListener_ConnectionRequest));
    Connect(wsockListener, &StreamSocket::Error, this, EVENT_HANDLER(frmChat::wsockListener_Error));
    Connect(wsockData, &StreamSocket::Connected, this, EVENT_HANDLER(frmChat::wsockData_Connect));
    Connect(wsockData, &StreamSocket::Closed, this, EVENT_HANDLER(frmChat::wsockData_Close));
    Connect(wsockData, &StreamSocket::Error, this, EVENT_HANDLER(frmChat::wsockData_Error));
    Connect(wsockData, &StreamSocket::DataArrival, this, EVENT_HANDLER(frmChat::wsockData_DataArrival));
    Connect(NewText, &TextBox::KeyPress, this, EVENT_HANDLER(frmChat::NewText_KeyPress));
    Connect(NewText, &TextBox::KeyUp, this, EVENT_HANDLER(frmChat::NewText_KeyUp));
    Connect(picSep, &PictureBox::MouseDown, this, EVENT_HANDLER(frmChat::picSep_MouseDown));
    Connect(picSep, &PictureBox::MouseMove, this, EVENT_HANDLER(frmChat::picSep_MouseMove));
    Connect(mnuOption, &QAction::triggered, this, EVENT_HANDLER(frmChat::mnuOption_Click));
    Connect(mnuAbout, &QAction::triggered, this, EVENT_HANDLER(frmChat::mnuAbout_Click));
    Connect(mnuExit, &QAction::triggered, this, EVENT_HANDLER(frmChat::mnuExit_Click));
}

float frmChat::ScaleWidth() const { return Twips::Width(clientArea); }
float frmChat::ScaleHeight() const { return Twips::Height(clientArea); }

bool frmChat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == clientArea && event->type() == QEvent::Resize)
        Events::Raise(this, EVENT_HANDLER(frmChat::Form_Resize));
    // The menu's shortcut comes before the focused control: the text boxes
    // would otherwise claim Ctrl+X as Cut.
    if (event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->keyCombination() == mnuExit->shortcut()[0]) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmChat::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Events::Raise(this, EVENT_HANDLER(frmChat::Form_Resize));
}

void frmChat::closeEvent(QCloseEvent *event)
{
    int cancel = 0;
    Events::Raise(this, EVENT_HANDLER(frmChat::Form_Unload), cancel);
    event->setAccepted(cancel == 0);
}

void frmChat::Form_Load()
{
    rtxtChat->SetText(QString());
    strCaption = windowTitle();
    strMode = QStringLiteral("Close");
    m_options = new frmOptions(*this);
    strRemoteHost = m_options->cboIP->currentText();
    strRemotePort = m_options->cboPort->currentText();
    strLocalPort = m_options->cboLocalPort->currentText();
}
