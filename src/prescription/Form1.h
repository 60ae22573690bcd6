#pragma once

#include <memory>

#include <QStringList>

#include "prescription/PrescriptionSearch.h"
#include "retrieval/Inet1.h"
#include "shell/AppContext.h"
#include "shell/WorkingWindow.h"

namespace Ui {
class Form1;
}

// "医療用医薬品情報": the prescription drug search, its result list and paging, and
// the commands on the selected hit.
class Form1 : public WorkingWindow {
    Q_OBJECT

public:
    explicit Form1(AppContext &context, QWidget *parent = nullptr);
    ~Form1() override;

    void Command1_Click(); // 検索
    void Command2_Click(); // 文書表示
    void Command3_Click(); // 前
    void Command4_Click(); // 次
    void Command5_Click(); // 閉じる
    void Command6_Click(); // 改訂指示履歴
    void Command7_Click(); // コ ピ ー
    void Command8_Click(); // メ　モ
    void List1_Click();

    // Reads a converted result page into the lists, the count and the paging
    // buttons, or shows the page's refusal.
    void readPage(const QString &page);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void nameForReader();
    PrescriptionQuery query() const;
    int pageSize() const;
    void requestPage(PageMove move);
    int selectedHit() const;
    QString rowAt(int index) const;

    std::unique_ptr<Ui::Form1> m_ui;
    AppContext &m_context;
    Inet1 m_inet;
    QStringList m_effectCodes; // EffectCodes, line for line of Combo1
    QStringList m_itemCodes;   // ItemCodes: Combo2, and Combo3/Combo4 after their blank line
    QStringList m_countValues; // CountValues: Combo8
    Paging m_paging;
};
