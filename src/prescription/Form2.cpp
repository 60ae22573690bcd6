#include "prescription/Form2.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "ui_Form2.h"

Form2::Form2(AppContext &context, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Form2>()), m_context(context)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    m_ui->List1->setAccessibleName(Messages::ManualListName);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

Form2::~Form2() = default;

void Form2::Prepare(bool hasInsert, bool hasGuide, const QStringList &manualTitles)
{
    m_ui->List1->clear();
    m_ui->List1->addItems(manualTitles);
    m_ui->Check1->setEnabled(hasInsert);
    m_ui->Check1->setChecked(hasInsert);
    m_ui->Check2->setEnabled(hasGuide);
    m_ui->Check2->setChecked(hasGuide);
}

void Form2::keyPressEvent(QKeyEvent *event)
{
    // A user backing out with Esc wants nothing fetched; only the frame's close keeps
    // the earlier choice.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_ui->Command2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form2::Command1_Click()
{
    ProgramState &state = m_context.state;
    state.FetchInsert = m_ui->Check1->isChecked();
    state.FetchGuide = m_ui->Check2->isChecked();
    state.ManualMarks.clear();
    for (int i = 0; i < m_ui->List1->count(); ++i)
        state.ManualMarks.append(m_ui->List1->item(i)->isSelected());
    accept();
}

void Form2::Command2_Click()
{
    ProgramState &state = m_context.state;
    state.FetchInsert = false;
    state.FetchGuide = false;
    state.ManualMarks = QList<bool>(m_ui->List1->count(), false);
    reject();
}
