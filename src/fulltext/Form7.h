#pragma once

#include <memory>

#include <QImage>
#include <QList>
#include <QPointer>
#include <QStringList>

#include "fulltext/FullTextIndex.h"
#include "fulltext/OriginCheck.h"
#include "fulltext/PdfText.h"
#include "shell/AppContext.h"
#include "shell/WorkingWindow.h"

class LibraryIndexer;
class QProcess;

namespace Ui {
class Form7;
}

// "文書内容検索": searches the text of every saved document through the full-text
// index, lists the documents with the pages where the terms occur, shows a chosen
// page with its matches marked, opens, copies and writes the list to a memo.
class Form7 : public WorkingWindow {
    Q_OBJECT

public:
    // What the window is given besides the context: the index being kept (may be
    // null: nothing is indexed), the helper that renders pages (may be empty: no
    // page is shown).
    struct Services {
        LibraryIndexer *indexer = nullptr;
        QString indexPath;
        QString helper;
    };

    Form7(AppContext &context, Services services, QWidget *parent = nullptr);
    ~Form7() override;

    void Command1_Click(); // 検　索
    void Command2_Click(); // 文書表示
    void Command3_Click(); // コ ピ ー
    void Command4_Click(); // メ　モ
    void Command5_Click(); // 閉じる
    void Command6_Click(); // 前のページ
    void Command7_Click(); // 次のページ
    void Command8_Click(); // 最新版の確認
    void Command9_Click(); // 更新を取得

    // The page now shown (document path relative to the documents folder, 1-based
    // page) and how many matches are marked on it; for tests.
    QString shownPath() const { return m_shownPath; }
    int shownPage() const { return m_shownPage; }
    int markedMatches() const { return m_marked; }

Q_SIGNALS:
    void pageShown();

private:
    void showProgress();
    void runSearch();
    void List1_Click();
    void showPage(int step);
    void renderFinished();
    QStringList listLines() const;
    QString folderCaption(const QString &path) const;
    bool folderChosen(const QString &path) const;
    void showStates();
    bool runChecks(const QList<OriginCheck::Job> &jobs, bool fetch, const QString &what,
                   QList<OriginCheck::Outcome> &outcomes);

    std::unique_ptr<Ui::Form7> m_ui;
    AppContext &m_context;
    Services m_services;
    QStringList m_terms;
    QString m_searchText; // as typed for the last search
    QList<FullTextIndex::Hit> m_hits;
    QString m_shownPath;
    int m_shownPage = 0;
    int m_marked = 0;
    QPointer<QProcess> m_render;
};
