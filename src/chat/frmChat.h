#pragma once

#include <QMainWindow>
#include <QPointer>

class QLabel;
class QPushButton;
class Announcer;
class PictureBox;
class RichTextBox;
class StatusBar;
class StreamSocket;
class TextBox;
class TranscriptWriter;
class WhileAway;
class frmAbout;
class frmOptions;

// The chat window: the transcript, the input box, the toggle button that
// connects, listens or disconnects, and the two sockets of the conversation.
class frmChat : public QMainWindow
{
    Q_OBJECT

public:
    // The window owns both sockets; where none is given it makes a TCP one.
    explicit frmChat(StreamSocket *listener = nullptr, StreamSocket *data = nullptr);
    ~frmChat() override;

    // The transcript keeps its last million characters and 20,000 entries:
    // more than any conversation of people typing, yet a peer that floods, or
    // sends a byte at a time (each entry costs about a kilobyte), cannot fill
    // the computer's memory, and a trim and the document's copy after it
    // stay within a frame.
    static constexpr qsizetype transcriptCharacters = 1'000'000;
    static constexpr qsizetype transcriptEntries = 20'000;

    // The session the toggle button starts; the Options dialog writes them.
    QString strRemoteHost;
    QString strRemotePort;
    QString strLocalPort;
    QString strMode;  // "Close", or "Connect" once the button has started a session

    // Closes whichever socket is still open; false when closing failed.
    bool CloseAllConnections();
    // After the conversation closed: the saved caption, and the data socket's
    // state in the status line; how says who closed it.
    void ShowConversationClosed(const QString &how = QStringLiteral("You closed the conversation."));

    QWidget *const clientArea;
    QPushButton *const cmdConnect;
    TextBox *const NewText;
    QLabel *const lblNewText;
    RichTextBox *const rtxtChat;
    PictureBox *const picSep;
    StatusBar *const sbarChat;
    StreamSocket *const wsockListener;
    StreamSocket *const wsockData;
    QMenu *mnuFile = nullptr;
    QAction *mnuOption = nullptr;
    QAction *mnuSep = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;

    // The client area's inner size in twips, status bar included.
    float ScaleWidth() const;
    float ScaleHeight() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void describeForScreenReaders();
    void buildMenus();
    void placeWindow();
    void wireEvents();

    void Form_Load();
    void Form_Resize();
    void Form_Unload(int &Cancel);

    void cmdConnect_Click();
    void connectBranch();
    void listenBranch();
    void disconnectBranch();
    void reportConnectFailure();
    static QString SocketStateText(qint32 state);
    void setButtonCaption(const QString &caption);
    void setStatus(const QString &text);
    void showConnectionState(const StreamSocket &socket);
    void showConversationStarted();
    void showConversationEnded(const QString &how);
    void describePeer(const QString &text);

    void wsockListener_ConnectionRequest(qint32 requestID);
    void wsockListener_Error(qint16 Number, QString &Description, qint32 Scode, const QString &Source,
                             const QString &HelpFile, qint32 HelpContext, bool &CancelDisplay);
    void wsockData_Connect();
    void wsockData_Close();
    void wsockData_Error(qint16 Number, QString &Description, qint32 Scode, const QString &Source,
                         const QString &HelpFile, qint32 HelpContext, bool &CancelDisplay);

    void NewText_KeyPress(int &KeyAscii);
    void NewText_KeyUp(int KeyCode, int Shift);
    void wsockData_DataArrival(qint32 bytesTotal);

    void picSep_MouseDown(int Button, int Shift, float X, float Y);
    void picSep_MouseMove(int Button, int Shift, float X, float Y);

    void mnuOption_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    QString strCaption;
    bool blnClearNewText = false;
    float sngSepGrabY = 0;
    // Counts every start of a conversation (dialled out or accepted) and every
    // close by the program, so that a handler that yielded to the event loop
    // can tell whether the session it began with is still the one in progress.
    quint64 m_conversationNumber = 0;
    QPointer<frmOptions> m_options;
    QPointer<frmAbout> m_about;
    // Speaks arrivals and status changes, which happen away from the focus.
    Announcer *const m_announcer;
    TranscriptWriter *const m_transcriptWriter;
    // Who the conversation in progress is with ("127.0.0.1, port 1001"); empty when none is.
    QString m_peer;
    WhileAway *const m_whileAway;
};
