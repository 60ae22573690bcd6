#include "retrieval/frmTransfer.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLocale>

#include "shell/ScreenFit.h"
#include "ui_frmTransfer.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Counts and bar are repainted this often at most, so that following a fast transfer
// costs next to nothing beside the transfer itself.
constexpr qint64 PaintIntervalMs = 100;
constexpr int BarSteps = 1000;

} // namespace

QString TransferCounts(qint64 received, qint64 total)
{
    const QLocale numbers(QLocale::Japanese, QLocale::Japan);
    if (total < 0)
        return numbers.toString(received) + u" バイト受信"_s;
    return numbers.toString(received) + u" / "_s + numbers.toString(total) + u" バイト受信"_s;
}

frmTransfer::frmTransfer(Inet1 &inet, const QString &what, int delayMs, QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::frmTransfer>()), m_inet(inet)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    m_ui->Label1->setText(what);
    m_ui->Label2->setText(TransferCounts(0, -1));
    m_delay.setSingleShot(true);
    m_delay.setInterval(qMax(0, delayMs));
    connect(&m_delay, &QTimer::timeout, this, &frmTransfer::Appear);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmTransfer::Command1_Click);
}

frmTransfer::~frmTransfer() = default;

void frmTransfer::TransferStarted()
{
    m_running = true;
    m_received = 0;
    m_total = -1;
    m_delay.start();
}

void frmTransfer::TransferProgress(qint64 received, qint64 total)
{
    m_received = received;
    m_total = total;
    if (isVisible() && m_sincePaint.elapsed() >= PaintIntervalMs)
        ShowCounts();
}

void frmTransfer::TransferEnded()
{
    m_running = false;
    m_delay.stop();
    hide();
}

void frmTransfer::Appear()
{
    if (!m_running)
        return;
    ShowCounts();
    show();
    raise();
    activateWindow();
}

void frmTransfer::ShowCounts()
{
    if (m_total > 0) {
        m_ui->ProgressBar1->setRange(0, BarSteps);
        m_ui->ProgressBar1->setValue(int(qMin(m_received, m_total) * BarSteps / m_total));
    } else {
        m_ui->ProgressBar1->setRange(0, 0); // busy: the length is not known
    }
    m_ui->Label2->setText(TransferCounts(m_received, m_total));
    m_sincePaint.start();
}

void frmTransfer::Command1_Click()
{
    if (m_running)
        m_inet.Abort();
}

void frmTransfer::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return: // on its one button
    case Qt::Key_Enter: Command1_Click(); return;
    default: QWidget::keyPressEvent(event);
    }
}

void frmTransfer::closeEvent(QCloseEvent *event)
{
    // While the transfer runs, the window goes when it has ended, which stopping it
    // brings about.
    if (!m_running) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    Command1_Click();
}
