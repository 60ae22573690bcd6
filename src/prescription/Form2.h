#pragma once

#include <memory>

#include <QDialog>
#include <QStringList>

#include "shell/AppContext.h"

namespace Ui {
class Form2;
}

// "ファイルの選択": the modal choice of which documents of a prescription drug to
// fetch. The choice is handed back in FetchInsert, FetchGuide and ManualMarks; closing
// the window by its frame leaves all three as they were, while Esc answers "閉じる".
class Form2 : public QDialog {
    Q_OBJECT

public:
    explicit Form2(AppContext &context, QWidget *parent = nullptr);
    ~Form2() override;

    // What the page offers: a box is enabled and checked only for an offered document.
    void Prepare(bool hasInsert, bool hasGuide, const QStringList &manualTitles);

    void Command1_Click(); // "文書表示"
    void Command2_Click(); // "閉じる"

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::Form2> m_ui;
    AppContext &m_context;
};
