#pragma once

#include <memory>

#include <QDialog>
#include <QStringList>

#include "retrieval/Inet1.h"
#include "shell/AppContext.h"
#include "shell/CommandGuard.h"

namespace Ui {
class Form6;
}

// "改訂指示反映履歴": the revision-instruction history of one drug. The user picks an
// entry and fetches its document into the revision folder; the window stays open for
// more. It has its own transfer and runs one download at a time, during which it
// cannot be closed.
class Form6 : public QDialog {
    Q_OBJECT

public:
    explicit Form6(AppContext &context, QWidget *parent = nullptr);
    ~Form6() override;

    // Lists the entries (each the raw HTML from "href=" through "</a>") under the drug's name;
    // a relative link is resolved against pageAddress, the foot page's address.
    void fill(const QString &drugName, const QStringList &entries, const QString &pageAddress = QString());

    void Command1_Click(); // "閉じる"
    void Command2_Click(); // "文書表示"

    CommandGuard &guard() { return m_guard; }

protected:
    void closeEvent(QCloseEvent *event) override;

public Q_SLOTS:
    void reject() override;

private:
    std::unique_ptr<Ui::Form6> m_ui;
    AppContext &m_context;
    Inet1 m_inet1;
    QString m_pageAddress;
    CommandGuard m_guard{this};
};
