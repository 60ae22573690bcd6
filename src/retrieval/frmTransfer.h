#pragma once

#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "retrieval/Inet1.h"

namespace Ui {
class frmTransfer;
}

// "通信中": what is being fetched, how much of it has come, and "中止". It comes up
// only when a transfer is still running after the delay, modal to the window that
// started it, and goes away by itself when the transfer ends. "中止", Esc or closing
// it stops the transfer. Not a QDialog: it answers nothing, and whoever answers the
// command's dialogs need not tell it apart from them. It stands aside while the
// program asks the user something during the transfer (UserAttention), and opens
// centred over its owner.
class frmTransfer : public QWidget, public Inet1::Observer {
    Q_OBJECT

public:
    frmTransfer(Inet1 &inet, const QString &what, int delayMs, QWidget *owner);
    ~frmTransfer() override;

    void transferStarted() override;
    void transferProgress(qint64 received, qint64 total) override;
    void transferEnded() override;

    void Command1_Click(); // 中止

    // For a command of many transfers at once: the progress counts documents, not
    // bytes, and "中止" calls `stop` instead of stopping one Inet1.
    void followDocuments(std::function<void()> stop) { m_stop = std::move(stop); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    void standAside(); // hidden, and not coming up, until the question is answered

private:
    void showWhat(const QString &what);
    void appear();
    void centre();
    void showCounts();

    std::unique_ptr<Ui::frmTransfer> m_ui;
    Inet1 &m_inet;
    QTimer m_delay;
    QTimer m_paintLater; // a count that came within the paint interval
    QElapsedTimer m_sincePaint;
    qint64 m_received = 0;
    qint64 m_total = -1;
    bool m_running = false;
    std::function<void()> m_stop;
    int m_questions = 0; // questions asked since this window was made and still open
};

// Label2's text: the bytes received, and the total when the server gave it.
QString TransferCounts(qint64 received, qint64 total);
