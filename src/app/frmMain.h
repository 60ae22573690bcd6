#pragma once

#include <functional>
#include <memory>

#include <QPointer>
#include <QWidget>

#include "shell/AppContext.h"

namespace Ui {
class frmMain;
}
#include "shell/WorkingWindow.h"

// The main menu: opens the four working windows, the manual, and ends the program.
class frmMain : public QWidget {
    Q_OBJECT

public:
    using WindowFactory = std::function<WorkingWindow *(AppContext &)>;
    struct Windows {
        WindowFactory Otc;          // Command1, Form3
        WindowFactory Prescription; // Command2, Form1
        WindowFactory Disk;         // Command3, Form4
        WindowFactory Contents;     // Command6, Form7
    };

    explicit frmMain(AppContext &context, Windows windows, QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: the four working buttons grey with "起　動　中　．．．", or ready.
    void setStarting(bool starting);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();

    // The working window now open, if any.
    WorkingWindow *openWindow() const { return m_window; }

private:
    void Form_Load();
    void openWorkingWindow(const WindowFactory &factory);

    std::unique_ptr<Ui::frmMain> m_ui;
    AppContext &m_context;
    Windows m_windows;
    QPointer<WorkingWindow> m_window;
};
