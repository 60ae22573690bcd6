#include "shell/ShowPainted.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

class ExposeWatch final : public QObject {
public:
    ExposeWatch(QWindow *window, QEventLoop *loop) : m_window(window), m_loop(loop) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window paints itself on this event once the filter lets it through;
        // the loop ends after that.
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed())
            m_loop->quit();
        return false;
    }

private:
    QWindow *m_window;
    QEventLoop *m_loop;
};

} // namespace

void ShowPainted(QWidget &window)
{
    window.show();
    QWindow *handle = window.windowHandle();
    if (handle && !handle->isExposed()) {
        QEventLoop loop;
        ExposeWatch watch(handle, &loop);
        handle->installEventFilter(&watch);
        QTimer::singleShot(MaxExposeWaitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        handle->removeEventFilter(&watch);
    }
    window.repaint();
}
