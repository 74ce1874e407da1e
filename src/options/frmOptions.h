#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class frmChat;

// The Options dialog: connect or listen, with which host and ports. It lives
// for the whole run; OK and Cancel only hide it, so its controls keep the
// user's last choices. Each box hands its text to the chat window when it is
// left with text in it; an empty box cannot be left for another control.
class frmOptions : public QDialog
{
    Q_OBJECT

public:
    explicit frmOptions(frmChat &chat);

    QRadioButton *const optionConnect;
    QFrame *const framConnect;
    std::array<QLabel *, 2> lblConnect;
    QComboBox *const cboIP;
    QComboBox *const cboPort;
    QRadioButton *const optionListen;
    QFrame *const framListen;
    std::array<QLabel *, 1> lblListen;
    QComboBox *const cboLocalPort;
    QPushButton *const cmdOK;
    QPushButton *const cmdCancel;

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void optionConnect_Click();
    void optionListen_Click();
    void cboIP_Validate(bool &Cancel);
    void cboPort_Validate(bool &Cancel);
    void cboLocalPort_Validate(bool &Cancel);
    void validateBox(QComboBox *box, QString &setting, bool &Cancel);
    QComboBox *boxOf(const QWidget *control) const;
    void validate(QComboBox *box, bool &Cancel);
    void focusArrived(QWidget *control, Qt::FocusReason reason);
    void cmdOK_Click();
    void cmdCancel_Click();

    frmChat &m_chat;
    QPointer<QWidget> m_focused;       // the control of the dialog that last took the focus
    QPointer<QWidget> m_refusedClick;  // its press is dropped: the focus went back to an empty box
};
