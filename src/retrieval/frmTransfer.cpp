#include "retrieval/frmTransfer.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>

#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "shell/UserAttention.h"
#include "ui_frmTransfer.h"
#include "shell/Messages.h"

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
        return Messages::BytesReceived.arg(numbers.toString(received));
    return Messages::BytesOfReceived.arg(numbers.toString(received), numbers.toString(total));
}

frmTransfer::frmTransfer(Inet1 &inet, const QString &what, int delayMs, QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::frmTransfer>()), m_inet(inet)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    showWhat(what);
    m_ui->Label2->setText(TransferCounts(0, -1));
    m_delay.setSingleShot(true);
    m_delay.setInterval(qMax(0, delayMs));
    connect(&m_delay, &QTimer::timeout, this, &frmTransfer::appear);
    m_paintLater.setSingleShot(true);
    connect(&m_paintLater, &QTimer::timeout, this, [this] {
        if (isVisible())
            showCounts();
    });
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmTransfer::Command1_Click);
    // While the program asks the user something, this window neither covers the
    // question nor, being modal, takes its input; it comes back after the answer if
    // the transfer still runs then.
    // Only the questions asked during this transfer count: a dialog that started it
    // (the revision history window) is no question to it.
    connect(&UserAttention::instance(), &UserAttention::questionOpened, this, [this] {
        ++m_questions;
        standAside();
    });
    connect(&UserAttention::instance(), &UserAttention::questionClosed, this, [this] {
        m_questions = qMax(0, m_questions - 1);
        if (m_running && m_questions == 0 && !isVisible())
            m_delay.start();
    });
}

void frmTransfer::showWhat(const QString &what)
{
    // Two lines at most: a longer text loses its middle, the whole of it is in the tooltip.
    QLabel *label = m_ui->Label1;
    const QFontMetrics metrics(label->font());
    const int lines = qMax(1, label->height() / metrics.lineSpacing());
    const int room = lines * label->width() - lines * metrics.horizontalAdvance(u'＿');
    const QString shown = metrics.elidedText(what, Qt::ElideMiddle, room);
    label->setText(shown);
    label->setToolTip(shown == what ? QString() : what);
}

void frmTransfer::standAside()
{
    m_delay.stop();
    hide();
}

frmTransfer::~frmTransfer() = default;

void frmTransfer::transferStarted()
{
    m_running = true;
    m_received = 0;
    m_total = -1;
    m_delay.start();
}

void frmTransfer::transferProgress(qint64 received, qint64 total)
{
    m_received = received;
    m_total = total;
    if (!isVisible())
        return;
    // What comes within the interval is shown at its end, so that the last count of a
    // transfer that stalls is on the screen too.
    const qint64 since = m_sincePaint.elapsed();
    if (since >= PaintIntervalMs)
        showCounts();
    else if (!m_paintLater.isActive())
        m_paintLater.start(int(PaintIntervalMs - since));
}

void frmTransfer::transferEnded()
{
    m_running = false;
    m_delay.stop();
    m_paintLater.stop();
    hide();
}

void frmTransfer::appear()
{
    if (!m_running || m_questions > 0)
        return;
    showCounts();
    centre();
    show();
    raise();
    activateWindow();
}

void frmTransfer::centre()
{
    // Over the window that started the transfer, also where no window manager places
    // the window; kept on that window's screen.
    const QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen *screen = over ? over->screen() : this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    QRect frame(QPoint(), frameGeometry().size());
    frame.moveCenter(over && over->isVisible() ? over->frameGeometry().center() : area.center());
    if (area.isValid()) {
        frame.moveRight(qMin(frame.right(), area.right()));
        frame.moveBottom(qMin(frame.bottom(), area.bottom()));
        frame.moveLeft(qMax(frame.left(), area.left()));
        frame.moveTop(qMax(frame.top(), area.top()));
    }
    move(frame.topLeft());
}

void frmTransfer::showCounts()
{
    if (m_total > 0) {
        m_ui->ProgressBar1->setRange(0, BarSteps);
        m_ui->ProgressBar1->setValue(int(qMin(m_received, m_total) * BarSteps / m_total));
    } else {
        m_ui->ProgressBar1->setRange(0, 0); // busy: the length is not known
    }
    m_ui->Label2->setText(m_stop ? Messages::DocumentsDone.arg(m_received).arg(m_total)
                                 : TransferCounts(m_received, m_total));
    m_sincePaint.start();
}

void frmTransfer::Command1_Click()
{
    if (m_running && m_stop)
        m_stop();
    else if (m_running)
        m_inet.abort();
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
