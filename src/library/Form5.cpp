#include "library/Form5.h"

#include <QDir>

#include "library/DocumentLibrary.h"
#include "retrieval/OriginRecord.h"
#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "ui_Form5.h"

using namespace Qt::Literals::StringLiterals;

Form5::Form5(AppContext &context, const QString &folder, const QString &fileName, const QString &name, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Form5>()), m_context(context), m_folder(folder), m_fileName(fileName)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    m_ui->Label1->setText(fileName);
    m_ui->Text1->setText(name);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
}

Form5::~Form5() = default;

void Form5::Command1_Click()
{
    const QString errorText = RenameDocument(m_folder, m_fileName, RenamedFileName(m_ui->Text1->text()));
    if (!errorText.isEmpty()) {
        m_context.desktop.message(this, errorText, Messages::RenameErrorTitle, Desktop::Icon::Exclamation);
        return; // the typed name stays for correcting
    }
    // The file keeps its attributes through the rename; the database's record follows.
    OriginStore(m_context.state.OriginsPath, m_context.state.DocumentsPath)
        .move(QDir(m_folder).filePath(m_fileName), QDir(m_folder).filePath(RenamedFileName(m_ui->Text1->text())));
    accept();
}

void Form5::Command2_Click()
{
    reject();
}
