#include "prescription/Form2.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "retrieval/SavedMark.h"
#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "ui_Form2.h"

Form2::Form2(AppContext &context, QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::Form2>())
{
    Q_UNUSED(context);
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    m_ui->List1->setAccessibleName(Messages::ManualListName);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(m_ui->List1, &QListWidget::itemSelectionChanged, this, &Form2::List1_SelectionChanged);
    // The click before the double-click may have unmarked the entry: mark it again.
    connect(m_ui->List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        item->setSelected(true);
        Command1_Click();
    });
}

Form2::~Form2() = default;

void Form2::prepare(bool hasInsert, bool hasGuide, const QStringList &manualTitles)
{
    {
        const QSignalBlocker blocker(m_ui->List1);
        m_ui->List1->clear();
        for (const QString &title : manualTitles) {
            auto *item = new QListWidgetItem(title, m_ui->List1);
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable); // the tick follows the mark
            item->setCheckState(Qt::Unchecked);
        }
    }
    m_ui->Check1->setEnabled(hasInsert);
    m_ui->Check1->setChecked(hasInsert);
    m_ui->Check2->setEnabled(hasGuide);
    m_ui->Check2->setChecked(hasGuide);
    m_choice = Choice{false, false, QList<bool>(manualTitles.size(), false)};
}

Form2::Choice Form2::choose()
{
    exec();
    return m_choice;
}

void Form2::showSaved(const QString &insertTip, const QString &guideTip, const QStringList &manualTips)
{
    MarkSaved(*m_ui->Check1, insertTip);
    MarkSaved(*m_ui->Check2, guideTip);
    for (int i = 0; i < m_ui->List1->count() && i < manualTips.size(); ++i)
        MarkSaved(*m_ui->List1->item(i), manualTips.at(i));
}

// Each manual shows a tick when it is marked for fetching: a click on the entry, or
// Space, marks and unmarks it.
void Form2::List1_SelectionChanged()
{
    const QSignalBlocker blocker(m_ui->List1);
    for (int i = 0; i < m_ui->List1->count(); ++i) {
        QListWidgetItem *item = m_ui->List1->item(i);
        item->setCheckState(item->isSelected() ? Qt::Checked : Qt::Unchecked);
    }
    m_ui->List1->viewport()->update();
}

void Form2::Command1_Click()
{
    m_choice.insert = m_ui->Check1->isChecked();
    m_choice.guide = m_ui->Check2->isChecked();
    m_choice.manuals.clear();
    for (int i = 0; i < m_ui->List1->count(); ++i)
        m_choice.manuals.append(m_ui->List1->item(i)->isSelected());
    accept();
}

void Form2::Command2_Click()
{
    reject();
}

void Form2::reject()
{
    m_choice = Choice{false, false, QList<bool>(m_ui->List1->count(), false)};
    QDialog::reject();
}
