#pragma once

#include <QWidget>

#include "shell/CommandGuard.h"

// Base of the three working windows that the main menu opens. However the window is
// closed, unloaded() tells the menu to come back; a close asked for while a command
// runs is refused, so a handler never loses its window under it.
class WorkingWindow : public QWidget {
    Q_OBJECT

public:
    explicit WorkingWindow(QWidget *parent = nullptr);

    CommandGuard &guard() { return m_guard; }

Q_SIGNALS:
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    CommandGuard m_guard{this};
};
