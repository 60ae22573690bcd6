#include "shell/ProxyLoginDialog.h"

#include "ui_ProxyLoginDialog.h"

using namespace Qt::Literals::StringLiterals;

ProxyLoginDialog::ProxyLoginDialog(const QString &proxy, bool refused, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ProxyLoginDialog>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->labelMessage->setText(u"プロキシサーバー "_s + proxy
                                + (refused ? u" がユーザー名またはパスワードを受け付けませんでした。"_s
                                             u"もう一度入力してください。"_s
                                           : u" に接続するには、ユーザー名とパスワードが必要です。"_s));
    m_ui->textUser->setFocus();
    connect(m_ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ProxyLoginDialog::~ProxyLoginDialog() = default;

ProxyCredentials ProxyLoginDialog::credentials() const
{
    return {m_ui->textUser->text(), m_ui->textPassword->text()};
}
