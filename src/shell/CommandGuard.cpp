#include "shell/CommandGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

CommandGuard::CommandGuard(QWidget *window) : QObject(window), m_window(window) {}

CommandGuard::~CommandGuard()
{
    if (m_busy)
        QCoreApplication::instance()->removeEventFilter(this);
}

std::optional<CommandGuard::Scope> CommandGuard::enter()
{
    if (m_busy)
        return std::nullopt;
    m_busy = true;
    QCoreApplication::instance()->installEventFilter(this);
    return std::optional<Scope>(std::in_place, this);
}

CommandGuard::Scope::~Scope()
{
    if (!m_guard)
        return;
    // Input that came during the command may still be queued: a transfer's event loop
    // holds the user's clicks back. Deliver it while the window is still busy, so it
    // is dropped here instead of starting the command again once this one is over.
    const QPointer<CommandGuard> guard(m_guard);
    if (!QCoreApplication::closingDown())
        QCoreApplication::processEvents();
    if (!guard)
        return;
    guard->m_busy = false;
    QCoreApplication::instance()->removeEventFilter(guard);
}

bool CommandGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && m_window && widget->window() == m_window)
            return true; // dropped: this window is busy with a command
        break;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
