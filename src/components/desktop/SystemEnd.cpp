#include "components/desktop/SystemEnd.h"

#include <QApplication>
#include <utility>

void SystemEnd::onAsked()
{
    if (std::exchange(m_ending, true))
        QCoreApplication::quit();
    else
        QApplication::closeAllWindows();
}
