#pragma once

#include <memory>

#include <QDialog>

#include "shell/AppContext.h"

namespace Ui {
class Form5;
}

// "ファイル名の変更": renames one saved document within its folder. Accepted only
// when the document now bears the new name (or the name was left as it was).
class Form5 : public QDialog {
    Q_OBJECT

public:
    // folder and fileName: the document; name: the name shown for it, offered for editing.
    Form5(AppContext &context, const QString &folder, const QString &fileName, const QString &name,
          QWidget *parent = nullptr);
    ~Form5() override;

    void Command1_Click();
    void Command2_Click();

private:
    std::unique_ptr<Ui::Form5> m_ui;
    AppContext &m_context;
    QString m_folder;
    QString m_fileName;
};
