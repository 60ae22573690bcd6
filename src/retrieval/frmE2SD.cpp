#include "retrieval/frmE2SD.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>

#include "conversion/ESConv.h"
#include "shell/Accessibility.h"
#include "shell/ShowPainted.h"
#include "ui_frmE2SD.h"

using namespace Qt::Literals::StringLiterals;

QString ConvertStatus(const QString &position, const QString &percent)
{
    return u"      Convert Process    "_s + position + u" Bytes    "_s + u"("_s + percent + u" % )"_s;
}

frmE2SD::frmE2SD(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint), m_ui(std::make_unique<Ui::frmE2SD>())
{
    m_ui->setupUi(this);
    QFont font = m_ui->Label1->font();
    font.setPointSizeF(9.75);
    m_ui->Label1->setFont(font);
    QPalette palette = m_ui->Label1->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    palette.setColor(QPalette::Window, QColor(224, 224, 224));
    m_ui->Label1->setPalette(palette);
    m_ui->Label1->setAutoFillBackground(true);
    m_ui->Picture1->installEventFilter(this);
    connect(m_ui->Text1, &QLineEdit::textChanged, this, &frmE2SD::Text1_Change);
    // The holders of the position and percentage lie below the window: never seen.
    for (QWidget *holder : std::initializer_list<QWidget *>{m_ui->Text1, m_ui->Label2, m_ui->Label4})
        HideFromReader(*holder);
    Form_Load();
}

frmE2SD::~frmE2SD() = default;

void frmE2SD::Form_Load()
{
    m_ui->Label1->move(0, 0);
    m_ui->Picture1->move(0, m_ui->Label1->height());
    setFixedSize(m_ui->Picture1->width(), m_ui->Label1->height() + m_ui->Picture1->height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    raise();
}

void frmE2SD::begin(qsizetype lastIndex)
{
    m_boxWidth = 0;
    m_sinceRepaint.invalidate();
    m_ui->Label4->setText(QString::number(lastIndex));
    m_ui->Text1->setText(u"0"_s);
}

void frmE2SD::showProgress(qsizetype position, int percent)
{
    m_ui->Label2->setText(QString::number(position));
    m_ui->Text1->setText(QString::number(percent));
}

void frmE2SD::Text1_Change()
{
    const int percent = m_ui->Text1->text().toInt();
    const int width = qBound(0, int(qint64(m_ui->Picture1->width()) * percent / 100), m_ui->Picture1->width());
    m_ui->Label1->setText(ConvertStatus(m_ui->Label2->text(), m_ui->Text1->text()));
    // Label1 and the new strip of the box are painted at once, in one pass.
    QRegion changed = m_ui->Label1->geometry();
    if (width > m_boxWidth) {
        changed += QRect(m_ui->Picture1->x() + m_boxWidth, m_ui->Picture1->y(), width - m_boxWidth,
                         m_ui->Picture1->height());
        m_boxWidth = width;
    }
    // Painting every percent would cost more than a fast conversion itself: paint at
    // once at most about once a frame, and leave the rest to the next paint.
    if (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= RepaintIntervalMs || percent >= 100) {
        repaint(changed);
        m_sinceRepaint.start();
    } else {
        update(changed);
    }
}

bool frmE2SD::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Picture1 && event->type() == QEvent::Paint) {
        QPainter painter(m_ui->Picture1);
        painter.fillRect(0, 0, m_boxWidth, m_ui->Picture1->height(), QColor(0, 255, 255));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString EucToSjisShown(const EucTable &table, const QByteArray &bytes)
{
    frmE2SD window;
    window.begin(bytes.size() - 1);
    ShowPainted(window);
    return EucToSjis(table, bytes,
                     [&window](qsizetype position, int percent) { window.showProgress(position, percent); });
}
