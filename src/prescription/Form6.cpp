#include "prescription/Form6.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "prescription/FootPage.h"
#include "retrieval/SaveAndOpen.h"
#include "retrieval/Fetch.h"
#include "shell/Accessibility.h"
#include "shell/ListHelpers.h"
#include "shell/ScreenFit.h"
#include "ui_Form6.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

Form6::Form6(AppContext &context, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Form6>()), m_context(context), m_inet1(context.state.TransferTimeoutMs)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    m_ui->List2->hide();
    m_ui->List1->setAccessibleName(Messages::HistoryListName);
    HideFromReader(*m_ui->List2);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    runOnActivation(m_ui->List1, [this] { Command2_Click(); });
}

Form6::~Form6() = default;

void Form6::fill(const QString &drugName, const QStringList &entries, const QString &pageAddress)
{
    m_pageAddress = pageAddress;
    m_ui->List1->clear();
    m_ui->List2->clear();
    m_ui->Label1->setText(drugName);
    for (const QString &entry : entries) {
        m_ui->List1->addItem(HistoryDisplayText(entry));
        m_ui->List2->addItem(entry);
    }
}

void Form6::Command1_Click()
{
    close();
}

void Form6::Command2_Click()
{
    const auto running = m_guard.enter();
    if (!running)
        return;
    const QList<QListWidgetItem *> selected = m_ui->List1->selectedItems();
    if (selected.isEmpty()) {
        m_context.desktop.message(this, Messages::SelectHistory, Messages::SelectionErrorTitle);
        return;
    }
    const int index = m_ui->List1->row(selected.first());
    const auto address
        = HistoryDocumentAddress(m_ui->List2->item(index)->text(), m_pageAddress, m_context.state.ServiceBase);
    if (!address) {
        m_context.desktop.message(this, Messages::NoDocument, Messages::NoDocumentTitle);
        return;
    }
    const QString path
        = HistoryDocumentPath(m_context.state.DocumentsPath, m_ui->Label1->text(), m_ui->List1->item(index)->text());
    const auto bytes = FetchBytes(m_context, this, m_inet1, *address, BodyUse::Document, DocumentText(path));
    if (!bytes)
        return;
    SaveAndOpenDocument(m_context, this, path, *bytes, *address, &m_inet1);
}

void Form6::closeEvent(QCloseEvent *event)
{
    if (m_guard.busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Form6::reject()
{
    if (m_guard.busy())
        return; // a download is running
    QDialog::reject();
}
