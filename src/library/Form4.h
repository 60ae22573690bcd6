#pragma once

#include <memory>

#include <QStringList>

#include "shell/AppContext.h"
#include "shell/WorkingWindow.h"

namespace Ui {
class Form4;
}

// "ディスク内検索": lists the saved documents of one category of the library, opens,
// renames, copies and writes them to a memo, all without a connection.
class Form4 : public WorkingWindow {
    Q_OBJECT

public:
    explicit Form4(AppContext &context, QWidget *parent = nullptr);
    ~Form4() override;

    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

private:
    void Form_Load();
    void File1_PathChange(const QString &path);
    // Reads File1's folder again and rebuilds List1 from it, nothing selected.
    void refreshList();
    QStringList listLines() const;
    void showSelectionError();

    std::unique_ptr<Ui::Form4> m_ui;
    AppContext &m_context;
    // The hidden file list: the chosen folder and its documents, index-aligned with List1.
    QString m_file1Path;
    QStringList m_file1Names;
};
