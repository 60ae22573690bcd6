#include "shell/ProxyLoginDialog.h"

#include "shell/Messages.h"
#include "ui_ProxyLoginDialog.h"

using namespace Qt::Literals::StringLiterals;

ProxyLoginDialog::ProxyLoginDialog(const QString &proxy, bool refused, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ProxyLoginDialog>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->labelMessage->setText((refused ? Messages::ProxyLoginRefused : Messages::ProxyLoginNeeded).arg(proxy));
    m_ui->textUser->setFocus();
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ProxyLoginDialog::~ProxyLoginDialog() = default;

ProxyCredentials ProxyLoginDialog::credentials() const
{
    return {m_ui->textUser->text(), m_ui->textPassword->text()};
}
