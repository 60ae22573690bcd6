#pragma once

#include <memory>

#include <QDialog>
#include <QStringList>

#include <QList>

#include "shell/AppContext.h"

class QListWidgetItem;

namespace Ui {
class Form2;
}

// "ファイルの選択": the modal choice of which documents of a prescription drug to
// fetch. choose() shows the dialog and returns the choice; the caller keeps it. What is
// ticked is what "文書表示" fetches; "閉じる", Esc and the window's close box all fetch
// nothing. Enter runs "文書表示", and a double-click on a manual fetches it with the
// ticked documents.
class Form2 : public QDialog {
    Q_OBJECT

public:
    // The documents to fetch: the insert, the guide, and a mark for each manual in the
    // order of the list. Nothing is marked when the user closed the dialog.
    struct Choice {
        bool insert = false;
        bool guide = false;
        QList<bool> manuals;
    };

    explicit Form2(AppContext &context, QWidget *parent = nullptr);
    ~Form2() override;

    // What the page offers: a box is enabled and checked only for an offered document.
    void prepare(bool hasInsert, bool hasGuide, const QStringList &manualTitles);
    // Shows the dialog modally and returns what the user chose.
    Choice choose();
    // The choice as it stands: what "文書表示" took, or nothing marked.
    const Choice &choice() const { return m_choice; }
    // The mark of the documents already in the library: tooltips (empty: not saved) for
    // the insert, the guide and each manual.
    void showSaved(const QString &insertTip, const QString &guideTip, const QStringList &manualTips);

    void Command1_Click(); // "文書表示"
    void Command2_Click(); // "閉じる"

public Q_SLOTS:
    void reject() override; // "閉じる", Esc and the close box

private:
    void List1_SelectionChanged();

    std::unique_ptr<Ui::Form2> m_ui;
    Choice m_choice;
};
