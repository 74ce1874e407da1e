#pragma once

#include <QStatusBar>

class QLabel;

// A status bar with one text panel that keeps itself docked along the bottom
// edge of its parent, across the parent's full width.
class StatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent);

    // The panel by its number; the bar has panel 1 only.
    QLabel *Panels(int index) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dock();

    QLabel *m_panel;
};
