#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the program's title, version and what it is. Each opening
// is a new box; OK, Enter or Escape destroys it.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout();

    QLabel *const picIcon;
    QLabel *const lblTitle;
    QLabel *const lblVersion;
    QLabel *const lblDescription;
    QLabel *const lblDisclaimer;
    QPushButton *const cmdOK;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void cmdOK_Click();
};
