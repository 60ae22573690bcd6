#include "app/frmMain.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "shell/WorkingWindow.h"
#include "ui_frmMain.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

frmMain::frmMain(AppContext &context, Windows windows, QWidget *parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::frmMain>()), m_context(context), m_windows(std::move(windows))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    for (QPushButton *button : {m_ui->Command1, m_ui->Command2, m_ui->Command3, m_ui->Command6}) {
        QFont font = button->font();
        font.setPointSizeF(15.75);
        button->setFont(font);
    }
    for (QWidget *widget : {static_cast<QWidget *>(m_ui->Command4), static_cast<QWidget *>(m_ui->Command5),
                            static_cast<QWidget *>(m_ui->Label3), static_cast<QWidget *>(m_ui->Label4)}) {
        QFont font = widget->font();
        font.setPointSizeF(9.75);
        widget->setFont(font);
    }
    // Colours through palettes: the Fusion style honours them, and they cost nothing
    // at start-up, unlike style sheets.
    const auto paint = [](QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
        QPalette palette = widget->palette();
        palette.setColor(role, colour);
        widget->setPalette(palette);
    };
    paint(m_ui->Command1, QPalette::Button, QColor(255, 255, 128));
    paint(m_ui->Command2, QPalette::Button, QColor(128, 255, 128));
    paint(m_ui->Command3, QPalette::Button, QColor(128, 255, 255));
    paint(m_ui->Command6, QPalette::Button, QColor(255, 192, 128));
    paint(m_ui->Label1, QPalette::WindowText, QColor(255, 0, 0));
    paint(m_ui->Label2, QPalette::WindowText, QColor(0, 0, 255));
    for (QWidget *widget : {static_cast<QWidget *>(m_ui->Shape1), static_cast<QWidget *>(m_ui->Label2),
                            static_cast<QWidget *>(m_ui->Label3), static_cast<QWidget *>(m_ui->Label4)}) {
        paint(widget, QPalette::Window, Qt::white);
        widget->setAutoFillBackground(true);
    }
    for (QLabel *label : {m_ui->Label3, m_ui->Label4})
        paint(label, QPalette::WindowText, Qt::black);

    // Courier New where it exists; elsewhere a TrueType monospace face, as the
    // substitute the system would pick (a Type 1 font) costs a noticeable part of
    // start-up to open.
    if (!QFontDatabase::hasFamily(u"Courier New"_s)) {
        for (QLabel *label : {m_ui->Label3, m_ui->Label4}) {
            QFont font = label->font();
            font.setFamilies({u"DejaVu Sans Mono"_s, u"Noto Mono"_s, u"monospace"_s});
            label->setFont(font);
        }
    }

    QFont nameFont = m_ui->Label2->font();
    nameFont.setPointSizeF(11.25);
    m_ui->Label2->setFont(nameFont);

    connect(m_ui->Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &frmMain::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &frmMain::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &frmMain::Command6_Click);
    Form_Load();
}

frmMain::~frmMain()
{
    delete m_window; // ending the program closes a working window without its unload handler
}

void frmMain::Form_Load()
{
    setWindowTitle(u"Hibari"_s);
    m_ui->Label2->setText(u"Hibari"_s);
    m_ui->Label4->setText(
        u"Ver.%1.%2.%3"_s.arg(HIBARI_VERSION_MAJOR).arg(HIBARI_VERSION_MINOR).arg(HIBARI_VERSION_PATCH));
    m_ui->Label3->setText(u"(C) Hibari developers"_s);
}

void frmMain::setStarting(bool starting)
{
    m_ui->Command1->setEnabled(!starting && bool(m_windows.Otc));
    m_ui->Command2->setEnabled(!starting && bool(m_windows.Prescription));
    m_ui->Command3->setEnabled(!starting && bool(m_windows.Disk));
    m_ui->Command6->setEnabled(!starting && bool(m_windows.Contents));
    m_ui->Label1->setText(starting ? Messages::Starting : QString());
    repaint();
}

void frmMain::openWorkingWindow(const WindowFactory &factory)
{
    if (!factory || m_window)
        return;
    WorkingWindow *window = factory(m_context);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &WorkingWindow::unloaded, this, &QWidget::show);
    m_window = window;
    window->show();
    hide();
}

void frmMain::Command1_Click()
{
    openWorkingWindow(m_windows.Otc);
}
void frmMain::Command2_Click()
{
    openWorkingWindow(m_windows.Prescription);
}
void frmMain::Command3_Click()
{
    openWorkingWindow(m_windows.Disk);
}

void frmMain::Command6_Click()
{
    openWorkingWindow(m_windows.Contents);
}

void frmMain::Command4_Click()
{
    m_ui->Label1->setText(Messages::Ending);
    repaint();
    QCoreApplication::exit(0);
}

void frmMain::Command5_Click()
{
    m_context.desktop.openDocument(this, m_context.state.AppPath + u"/Hibari.pdf"_s);
}
