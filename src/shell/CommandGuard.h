#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QPointer>

#include "shell/UserAttention.h"

class QWidget;

// A window runs one command at a time. While a command runs (a fetch and the
// reading of its page, a modal dialog it opened...), mouse and keyboard input aimed
// at the window is dropped, not queued for later; a command started meanwhile by
// other means returns at once.
//
//     void Form1::Command1_Click()
//     {
//         const auto running = m_guard.enter();
//         if (!running)
//             return;
//         ...
//     }
class CommandGuard : public QObject {
public:
    explicit CommandGuard(QWidget *window);
    ~CommandGuard() override;

    class Scope {
    public:
        explicit Scope(CommandGuard *guard) : m_guard(guard), m_atWork(std::make_unique<UserAttention::Command>()) {}
        Scope(Scope &&other) noexcept : m_guard(other.m_guard), m_atWork(std::move(other.m_atWork))
        {
            other.m_guard = nullptr;
        }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        Scope &operator=(Scope &&) = delete;
        ~Scope();

    private:
        CommandGuard *m_guard;
        std::unique_ptr<UserAttention::Command> m_atWork; // the program-wide count of commands at work
    };

    [[nodiscard]] std::optional<Scope> enter();
    bool busy() const { return m_busy; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_busy = false;
};
