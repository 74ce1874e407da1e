#include "options/frmOptions.h"

#include "chat/frmChat.h"
#include "components/core/EventBoundary.h"
#include "components/core/Named.h"
#include "components/core/Twips.h"
#include "components/desktop/App.h"
#include "components/forms/Fonts.h"
#include "components/forms/Forms.h"
#include "components/forms/MessageBox.h"
#include "components/network/StreamSocket.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace {

QLabel *label(QWidget *frame, const QString &name, const QString &caption, float left, float top, float width)
{
    auto *label = named(new QLabel(caption, frame), name);
    Twips::Place(label, left, top, width, 210);
    return label;
}

QComboBox *comboBox(QWidget *frame, const QString &name, const QString &text, const QStringList &entries)
{
    auto *box = named(new QComboBox(frame), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // what the user types is what the box holds
    box->addItems(entries);
    box->setEditText(text);
    return box;
}

QFrame *captionlessFrame(QWidget *window, const QString &name)
{
    auto *frame = named(new QFrame(window), name);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

}  // namespace

frmOptions::frmOptions(frmChat &chat)
    : QDialog(&chat)
    , optionConnect(named(new QRadioButton(this), QStringLiteral("optionConnect")))
    , framConnect(captionlessFrame(this, QStringLiteral("framConnect")))
    , lblConnect{label(framConnect, QStringLiteral("lblConnect_0"), QStringLiteral("IP address"), 750, 540, 1020),
                 label(framConnect, QStringLiteral("lblConnect_1"), QStringLiteral("Remote Port"), 750, 900, 1170)}
    , cboIP(comboBox(framConnect, QStringLiteral("cboIP"), QStringLiteral("127.0.0.1"), {}))
    , cboPort(comboBox(framConnect, QStringLiteral("cboPort"), QStringLiteral("1001"), {QStringLiteral("1001"), QStringLiteral("80")}))
    , optionListen(named(new QRadioButton(this), QStringLiteral("optionListen")))
    , framListen(captionlessFrame(this, QStringLiteral("framListen")))
    , lblListen{label(framListen, QStringLiteral("lblListen_0"), QStringLiteral("Local Port"), 750, 540, 930)}
    , cboLocalPort(comboBox(framListen, QStringLiteral("cboLocalPort"), QStringLiteral("1001"),
                            {QStringLiteral("1001"), QStringLiteral("80")}))
    , cmdOK(named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK")))
    , cmdCancel(named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel")))
    , m_chat(chat)
{
    setObjectName(QStringLiteral("frmOptions"));
    Forms::Load(this);
    buildControls();
    Events::Raise(this, EVENT_HANDLER(frmOptions::Form_Load));
}

void frmOptions::buildControls()
{
    setWindowTitle(QStringLiteral("Brindlet Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFont(DesignFont(QStringLiteral("Verdana"), 9));
    setFixedSize(Twips::ToPixelsX(6150), Twips::ToPixelsY(3930));

    Twips::Place(framConnect, 330, 240, 5205, 1455);
    Twips::Place(cboIP, 2070, 450, 2085, 330);
    Twips::Place(cboPort, 2070, 840, 1305, 330);
    Twips::Place(framListen, 330, 1800, 5205, 1365);
    Twips::Place(cboLocalPort, 2070, 450, 1305, 330);

    // The option buttons lie on their frames' top edges as the frames' titles.
    optionConnect->setText(QStringLiteral("I Want to Connect (default)"));
    optionConnect->setChecked(true);
    optionConnect->setAutoFillBackground(true);
    Twips::Place(optionConnect, 510, 240, 3435, 255);
    optionConnect->raise();
    optionListen->setText(QStringLiteral("I Want to Listen"));
    optionListen->setAutoFillBackground(true);
    Twips::Place(optionListen, 570, 1800, 2265, 255);
    optionListen->raise();
    framListen->setEnabled(false);
    lblListen[0]->setEnabled(false);
    cboLocalPort->setEnabled(false);

    Twips::Place(cmdOK, 1680, 3360, 1095, 375);
    cmdOK->setDefault(true);
    Twips::Place(cmdCancel, 2910, 3375, 1095, 375);

    lblConnect[0]->setBuddy(cboIP);
    lblConnect[1]->setBuddy(cboPort);
    lblListen[0]->setBuddy(cboLocalPort);
    cboIP->setAccessibleName(QStringLiteral("IP address"));
    cboIP->setAccessibleDescription(QStringLiteral("The host to connect to"));
    cboPort->setAccessibleName(QStringLiteral("Remote Port"));
    cboPort->setAccessibleDescription(QStringLiteral("The port to connect to"));
    cboLocalPort->setAccessibleName(QStringLiteral("Local Port"));
    cboLocalPort->setAccessibleDescription(QStringLiteral("The port to listen on"));

    setTabOrder(optionConnect, optionListen);
    setTabOrder(optionListen, cboIP);
    setTabOrder(cboIP, cboPort);
    setTabOrder(cboPort, cboLocalPort);
    setTabOrder(cboLocalPort, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    // First shown centred on the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    for (QWidget *control : findChildren<QWidget *>())
        control->installEventFilter(this);
    // An option button is clicked when it becomes the selected one, by mouse,
    // keyboard or program.
    connect(optionConnect, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Events::Raise(this, EVENT_HANDLER(frmOptions::optionConnect_Click));
    });
    connect(optionListen, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Events::Raise(this, EVENT_HANDLER(frmOptions::optionListen_Click));
    });
    Events::Connect(cmdOK, &QPushButton::clicked, this, EVENT_HANDLER(frmOptions::cmdOK_Click));
    Events::Connect(cmdCancel, &QPushButton::clicked, this, EVENT_HANDLER(frmOptions::cmdCancel_Click));
}

void frmOptions::Form_Load()
{
    setWindowTitle(App::Title() + QStringLiteral(" Options"));
}

void frmOptions::optionConnect_Click()
{
    framListen->setEnabled(false);
    cboLocalPort->setEnabled(false);
    for (QLabel *member : lblListen)
        member->setEnabled(false);
    framConnect->setEnabled(true);
    for (QLabel *member : lblConnect)
        member->setEnabled(true);
    cboIP->setEnabled(true);
    cboPort->setEnabled(true);
}

void frmOptions::optionListen_Click()
{
    framConnect->setEnabled(false);
    for (QLabel *member : lblConnect)
        member->setEnabled(false);
    cboIP->setEnabled(false);
    cboPort->setEnabled(false);
    framListen->setEnabled(true);
    cboLocalPort->setEnabled(true);
    for (QLabel *member : lblListen)
        member->setEnabled(true);
}

void frmOptions::cboIP_Validate(bool &Cancel) { validateBox(cboIP, m_chat.strRemoteHost, Cancel); }
void frmOptions::cboPort_Validate(bool &Cancel) { validateBox(cboPort, m_chat.strRemotePort, Cancel); }
void frmOptions::cboLocalPort_Validate(bool &Cancel) { validateBox(cboLocalPort, m_chat.strLocalPort, Cancel); }

// A box left with text in it hands the text to the chat window at once; an
// empty one keeps the focus, silently.
void frmOptions::validateBox(QComboBox *box, QString &setting, bool &Cancel)
{
    const QString text = box->currentText();
    Cancel = text.isEmpty();
    if (!Cancel)
        setting = text;
}

// The box that contains a control, if any.
QComboBox *frmOptions::boxOf(const QWidget *control) const
{
    for (QComboBox *box : {cboIP, cboPort, cboLocalPort}) {
        if (control && (control == box || box->isAncestorOf(control)))
            return box;
    }
    return nullptr;
}

void frmOptions::validate(QComboBox *box, bool &Cancel)
{
    if (box == cboIP)
        Events::Raise(this, EVENT_HANDLER(frmOptions::cboIP_Validate), Cancel);
    else if (box == cboPort)
        Events::Raise(this, EVENT_HANDLER(frmOptions::cboPort_Validate), Cancel);
    else
        Events::Raise(this, EVENT_HANDLER(frmOptions::cboLocalPort_Validate), Cancel);
}

// The focus has just come to a control of the dialog. If it left a box for
// another control, the box checks itself; an empty one takes the focus back,
// and the click that moved the focus does nothing.
void frmOptions::focusArrived(QWidget *control, Qt::FocusReason reason)
{
    QWidget *previous = m_focused;
    m_focused = control;
    QComboBox *leftBox = boxOf(previous);
    const bool movedByUser = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    if (!leftBox || !movedByUser || boxOf(control) == leftBox)
        return;
    bool cancel = false;
    validate(leftBox, cancel);
    if (!cancel)
        return;
    // The press that moved the focus follows at once: it is dropped, and the
    // mark goes with the next turn of the event loop.
    if (reason == Qt::MouseFocusReason) {
        m_refusedClick = control;
        QTimer::singleShot(0, this, [this] { m_refusedClick = nullptr; });
    }
    m_focused = leftBox;
    leftBox->setFocus(Qt::OtherFocusReason);
}

bool frmOptions::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        focusArrived(control, static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_refusedClick && (m_refusedClick == control || m_refusedClick->isAncestorOf(control)))
            return true;
        break;
    case QEvent::Wheel: {
        // A wheel turn changes a box without moving the focus: not while an
        // empty box holds the focus.
        const QComboBox *focusedBox = boxOf(m_focused);
        if (focusedBox && focusedBox->currentText().isEmpty() && boxOf(control) != focusedBox)
            return true;
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::cmdOK_Click()
{
    if (m_chat.strMode != QLatin1String("Close")
        && MsgBox(this, QStringLiteral("Close the connection and proceed with the new settings?"), vbOKCancel,
                  QStringLiteral("Active connection detected"))
               != vbOK)
        return;
    const bool conversationOpen = m_chat.wsockData->State() != StreamSocket::sckClosed;
    if (!m_chat.CloseAllConnections())
        MsgBox(this, QStringLiteral("Error closing connections"));
    if (conversationOpen)
        m_chat.ShowConversationClosed();
    m_chat.strLocalPort = cboLocalPort->currentText();
    m_chat.strRemoteHost = cboIP->currentText();
    m_chat.strRemotePort = cboPort->currentText();
    m_chat.cmdConnect->setText(optionConnect->isChecked() ? QStringLiteral("Connect") : QStringLiteral("Listen"));
    hide();
}

void frmOptions::cmdCancel_Click()
{
    hide();
}

// Escape and the title bar's close box cancel, as the Cancel button does.
void frmOptions::reject()
{
    Events::Raise(this, EVENT_HANDLER(frmOptions::cmdCancel_Click));
}
