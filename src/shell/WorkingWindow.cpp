#include "shell/WorkingWindow.h"

#include <QCloseEvent>

WorkingWindow::WorkingWindow(QWidget *parent) : QWidget(parent) {}

void WorkingWindow::closeEvent(QCloseEvent *event)
{
    if (m_guard.busy()) {
        event->ignore();
        return;
    }
    Q_EMIT unloaded();
    event->accept();
}
