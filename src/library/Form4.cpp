#include "library/Form4.h"

#include <QListWidget>
#include <QPushButton>

#include "library/DocumentLibrary.h"
#include "library/Form5.h"
#include "memo/MemoCommand.h"
#include "shell/Library.h"
#include "shell/ListHelpers.h"
#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "shell/UserAttention.h"
#include "ui_Form4.h"

using namespace Qt::Literals::StringLiterals;

Form4::Form4(AppContext &context, QWidget *parent)
    : WorkingWindow(parent), m_ui(std::make_unique<Ui::Form4>()), m_context(context)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    m_ui->List1->setAccessibleName(Messages::SavedDocumentListName);
    const auto chosen = [this](void (Form4::*handler)()) {
        return [this, handler](bool checked) {
            if (checked)
                (this->*handler)();
        };
    };
    connect(m_ui->Option1, &QRadioButton::toggled, this, chosen(&Form4::Option1_Click));
    connect(m_ui->Option2, &QRadioButton::toggled, this, chosen(&Form4::Option2_Click));
    connect(m_ui->Option3, &QRadioButton::toggled, this, chosen(&Form4::Option3_Click));
    connect(m_ui->Option4, &QRadioButton::toggled, this, chosen(&Form4::Option4_Click));
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form4::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form4::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form4::Command5_Click);
    runOnActivation(m_ui->List1, [this] { Command1_Click(); });
    Form_Load();
}

Form4::~Form4() = default;

void Form4::Form_Load()
{
    move(x(), 0);
}

void Form4::Option1_Click()
{
    File1_PathChange(m_context.state.DocumentsPath + Library::Otc());
}
void Form4::Option2_Click()
{
    File1_PathChange(m_context.state.DocumentsPath + Library::Patient());
}
void Form4::Option3_Click()
{
    File1_PathChange(m_context.state.DocumentsPath + Library::Medical());
}
void Form4::Option4_Click()
{
    File1_PathChange(m_context.state.DocumentsPath + Library::Root());
}

void Form4::File1_PathChange(const QString &path)
{
    m_file1Path = path;
    refreshList();
}

void Form4::refreshList()
{
    m_file1Names = m_file1Path.isEmpty() ? QStringList() : ListDocuments(m_file1Path);
    m_ui->List1->clear();
    for (const QString &name : std::as_const(m_file1Names))
        m_ui->List1->addItem(DocumentTitle(name));
    m_ui->List1->setCurrentRow(-1);
    m_ui->List1->clearSelection();
}

QStringList Form4::listLines() const
{
    return listTexts(*m_ui->List1);
}

void Form4::showSelectionError()
{
    m_context.desktop.message(this, Messages::SelectDrug, Messages::SelectionErrorTitle);
}

void Form4::Command1_Click()
{
    if (m_ui->List1->selectedItems().isEmpty()) {
        showSelectionError();
        return;
    }
    for (int i = 0; i < m_ui->List1->count() && i < m_file1Names.size(); ++i) {
        if (m_ui->List1->item(i)->isSelected())
            m_context.desktop.openDocument(this, m_file1Path + u'/' + m_file1Names[i]);
    }
}

void Form4::Command2_Click()
{
    close();
}

void Form4::Command3_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    const int row = chosenRow(*m_ui->List1);
    if (row < 0 || row >= m_file1Names.size()) {
        showSelectionError();
        return;
    }
    Form5 dialog(m_context, m_file1Path, m_file1Names[row], m_ui->List1->item(row)->text(), this);
    bool renamed = false;
    {
        const UserAttention::Question asking;
        renamed = dialog.exec() == QDialog::Accepted;
    }
    if (renamed)
        refreshList();
}

void Form4::Command4_Click()
{
    RunCopy(m_context, listLines());
}

void Form4::Command5_Click()
{
    QString caption;
    for (const QRadioButton *option : {m_ui->Option1, m_ui->Option2, m_ui->Option3, m_ui->Option4}) {
        if (option->isChecked()) {
            caption = option->text();
            break;
        }
    }
    // Without a chosen category the list is empty and there is no memo file to name.
    RunMemo(m_context, this, caption, listLines(), m_ui->List1->count() == 0 || caption.isEmpty());
}
