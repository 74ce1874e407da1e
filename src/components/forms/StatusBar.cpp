#include "components/forms/StatusBar.h"

#include "components/core/ComponentError.h"

#include <QEvent>
#include <QLabel>

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent)
    , m_panel(new QLabel(this))
{
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setTextFormat(Qt::PlainText);
    addWidget(m_panel, 1);
    parent->installEventFilter(this);
}

QLabel *StatusBar::Panels(int index) const
{
    if (index != 1)
        throw ComponentError(ErrorNumber::InvalidArgument, QStringLiteral("Index out of bounds"));
    return m_panel;
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        dock();
    return QStatusBar::eventFilter(watched, event);
}

void StatusBar::dock()
{
    const QWidget *area = parentWidget();
    setGeometry(0, area->height() - height(), area->width(), height());
}
