#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "otc/OtcSearch.h"
#include "retrieval/Inet1.h"
#include "shell/AppContext.h"
#include "shell/WorkingWindow.h"

namespace Ui {
class Form3;
}

// "一般用医薬品情報": the search over over-the-counter drugs, its paged result list,
// the download of a hit's document, and the copy and memo of the list.
class Form3 : public WorkingWindow {
    Q_OBJECT

public:
    explicit Form3(AppContext &context, QWidget *parent = nullptr);
    ~Form3() override;

    void Command1_Click(); // 検　索
    void Command2_Click(); // 前
    void Command3_Click(); // 次
    void Command4_Click(); // 文書表示
    void Command5_Click(); // 閉じる
    void Command6_Click(); // メ　モ
    void Command8_Click(); // コ ピ ー
    void List1_Click();

    // The URL of a request for the given rank, from the window's current contents.
    QString searchUrl(qint16 start, bool withCount) const;

    const Paging &paging() const { return m_paging; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void nameForReader();
    void requestPage(PageMove button);
    bool loadOtcResults(const QString &url, bool clearSelection); // false: nothing changed
    int selectedHit() const;
    QString countValue() const;

    std::unique_ptr<Ui::Form3> m_ui;
    AppContext &m_context;
    Inet1 m_inet;
    QStringList m_dosageFormCodes;
    QStringList m_otcEffectCodes;
    QStringList m_countValues;
    Paging m_paging;
};
