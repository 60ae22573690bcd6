#pragma once

#include <memory>

#include <QDialog>

#include "shell/ProgramState.h"

namespace Ui {
class ProxyLoginDialog;
}

// "プロキシ認証": asks for the user name (focused first) and the password (hidden)
// that a proxy wants. Enter confirms, Esc cancels.
class ProxyLoginDialog : public QDialog {
    Q_OBJECT

public:
    // proxy: "host:port"; refused: the proxy turned down the credentials it was given.
    ProxyLoginDialog(const QString &proxy, bool refused, QWidget *parent = nullptr);
    ~ProxyLoginDialog() override;

    ProxyCredentials credentials() const;

private:
    std::unique_ptr<Ui::ProxyLoginDialog> m_ui;
};
