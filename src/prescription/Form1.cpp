#include "prescription/Form1.h"

#include <QKeyEvent>

#include "conversion/ESConv.h"
#include "memo/MemoCommand.h"
#include "prescription/FootPage.h"
#include "prescription/PrescriptionDocuments.h"
#include "retrieval/SavedMark.h"
#include "retrieval/Fetch.h"
#include "retrieval/ServicePage.h"
#include "shell/Accessibility.h"
#include "shell/ListHelpers.h"
#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "ui_Form1.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype EffectCapacity = 301;
constexpr qsizetype ItemCapacity = 101;
constexpr qsizetype CountCapacity = 11;

} // namespace

Form1::Form1(AppContext &context, QWidget *parent)
    : WorkingWindow(parent), m_ui(std::make_unique<Ui::Form1>()), m_context(context),
      m_inet(context.state.TransferTimeoutMs)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    // One line per hit: no need to measure a thousand names to lay the list out.
    m_ui->List1->setUniformItemSizes(true);
    m_ui->List2->setUniformItemSizes(true);
    nameForReader();

    connect(m_ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(m_ui->Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(m_ui->List1, &QListWidget::itemSelectionChanged, this, &Form1::List1_Click);
    runOnActivation(m_ui->List1, [this] { Command2_Click(); });
    Form_Load();
}

Form1::~Form1() = default;

// The keyword boxes and their rules have no label of their own: they are named after
// the row's label. The second list and the holders of the encoded terms are unseen.
void Form1::nameForReader()
{
    const std::initializer_list<std::pair<QLabel *, std::pair<QLineEdit *, QComboBox *>>> rows
        = {{m_ui->Label6, {m_ui->Text2, m_ui->Combo5}},
           {m_ui->Label4, {m_ui->Text3, m_ui->Combo6}},
           {m_ui->Label7, {m_ui->Text4, m_ui->Combo7}}};
    for (const auto &[label, controls] : rows) {
        controls.first->setAccessibleName(label->text() + Messages::KeywordOf);
        controls.second->setAccessibleName(label->text() + Messages::RuleOf);
    }
    m_ui->Text6->setAccessibleName(Messages::HitDescriptionName);
    m_ui->List1->setAccessibleName(Messages::HitListName);
    for (QWidget *helper : std::initializer_list<QWidget *>{m_ui->List2, m_ui->dragname, m_ui->keyword1, m_ui->keyword2,
                                                            m_ui->keyword3, m_ui->TestLabel, m_ui->TestLabel2})
        HideFromReader(*helper);
}

void Form1::Form_Load()
{
    move(x(), 0);
    const QString folder = m_context.state.AppPath + u'/';

    m_effectCodes = fillChoices(*m_ui->Combo1, ReadParamFile(folder + u"effect.param"_s, EffectCapacity));

    const QList<ParamRecord> items = ReadParamFile(folder + u"item.param"_s, ItemCapacity);
    m_itemCodes = fillChoices(*m_ui->Combo2, items);
    fillChoices(*m_ui->Combo3, items, true);
    fillChoices(*m_ui->Combo4, items, true);

    for (QComboBox *combo : {m_ui->Combo5, m_ui->Combo6, m_ui->Combo7}) {
        combo->clear();
        combo->addItems({Messages::RuleAll, Messages::RuleNone, Messages::RuleAny});
        combo->setCurrentIndex(0);
    }

    m_countValues = fillChoices(*m_ui->Combo8, ReadParamFile(folder + u"count.param"_s, CountCapacity));
}

PrescriptionQuery Form1::query() const
{
    PrescriptionQuery form;
    form.name = m_ui->Text1->text();
    form.keyword1 = m_ui->Text2->text();
    form.keyword2 = m_ui->Text3->text();
    form.keyword3 = m_ui->Text4->text();
    form.effectLine = m_ui->Combo1->currentIndex();
    form.item1Line = m_ui->Combo2->currentIndex();
    form.item2Line = m_ui->Combo3->currentIndex();
    form.item3Line = m_ui->Combo4->currentIndex();
    form.rule1Line = m_ui->Combo5->currentIndex();
    form.rule2Line = m_ui->Combo6->currentIndex();
    form.rule3Line = m_ui->Combo7->currentIndex();
    form.countLine = m_ui->Combo8->currentIndex();
    form.warn = m_ui->Check1->isChecked();
    form.contraindication = m_ui->Check2->isChecked();
    form.interaction = m_ui->Check3->isChecked();
    form.cautious = m_ui->Check4->isChecked();
    form.effectCodes = m_effectCodes;
    form.itemCodes = m_itemCodes;
    form.countValues = m_countValues;
    return form;
}

int Form1::pageSize() const
{
    const int line = m_ui->Combo8->currentIndex();
    return line >= 0 && line < m_countValues.size() ? LeadingNumber(m_countValues[line]) : 0;
}

void Form1::Command1_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    requestPage(PageMove::Search);
}

void Form1::Command3_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    requestPage(PageMove::Previous);
}

void Form1::Command4_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    requestPage(PageMove::Next);
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Enter in a text box, a choice list or the list without a selection searches.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_ui->Command1->isEnabled()) {
        m_ui->Command1->click();
        return;
    }
    WorkingWindow::keyPressEvent(event);
}

// The position moves only with the list: a request that fails or that the service
// refuses leaves the page shown, its header and the position as they were.
void Form1::requestPage(PageMove move)
{
    const Paging moved = MovePaging(m_paging, move, pageSize());
    const PrescriptionQuery form = query();
    const QString unusable = UnusableQueryMessage(m_context.state.Tables, {{form.name, m_ui->Label11->text()},
                                                                           {form.keyword1, m_ui->Label6->text()},
                                                                           {form.keyword2, m_ui->Label4->text()},
                                                                           {form.keyword3, m_ui->Label7->text()}});
    if (!unusable.isEmpty()) {
        m_context.desktop.message(this, unusable, Messages::InputErrorTitle, Desktop::Icon::Exclamation);
        return;
    }
    const EncodedTerms terms = EncodeTerms(m_context.state.Tables, form);
    m_ui->dragname->setText(terms.dragname);
    m_ui->keyword1->setText(terms.keyword1);
    m_ui->keyword2->setText(terms.keyword2);
    m_ui->keyword3->setText(terms.keyword3);
    const QString url = PrescriptionSearchUrl(m_context.state.ServiceBase, form, terms, moved.CurrentStart);

    const std::optional<QString> page = FetchPage(m_context, this, m_inet, url, Yield::Yes, SearchingText());
    if (!page)
        return;
    if (const std::optional<QString> refusal = ServiceRefusal(*page)) {
        QString text = *refusal;
        const QLabel *captions[] = {m_ui->Label6, m_ui->Label4, m_ui->Label7};
        for (const int row : KeywordsWithoutItem(form))
            text += u"\n"_s + Messages::KeywordWithoutItem.arg(captions[row]->text());
        m_context.desktop.message(this, text, Messages::InputErrorTitle);
        return;
    }

    m_paging = moved;
    m_ui->TestLabel3->setText(QString::number(m_paging.CurrentStart));
    m_ui->TestLabel->setText(QString::number(m_paging.NextStart));
    m_ui->TestLabel2->setText(QString::number(m_paging.CurrentStart));
    readPage(*page);
    ShowInScrollArea(*m_ui->List1);
}

void Form1::readPage(const QString &page)
{
    if (const std::optional<QString> refusal = ServiceRefusal(page)) {
        m_context.desktop.message(this, *refusal, Messages::InputErrorTitle);
        return;
    }

    QListWidget &names = *m_ui->List1;
    QListWidget &rows = *m_ui->List2;
    {
        const QSignalBlocker blocker(names);
        m_ui->Text5->clear();
        m_ui->Text6->clear();
        m_ui->Label8->setText(HitCountText(0));
        names.clear();
        rows.clear();
    }

    QStringList pendingNames, pendingRows;
    auto flush = [&] {
        const QSignalBlocker blocker(names);
        names.addItems(pendingNames);
        rows.addItems(pendingRows);
        pendingNames.clear();
        pendingRows.clear();
        names.setCurrentRow(-1);
        m_ui->Label8->setText(HitCountText(names.count()));
        names.repaint();
        m_ui->Label8->repaint();
    };

    RepaintThrottle throttle;
    const PrescriptionScan scan = ScanPrescriptionResults(page, [&](const PrescriptionHit &hit) {
        pendingNames.append(hit.name);
        pendingRows.append(hit.row);
        if (throttle.due())
            flush();
    });
    flush();
    // A hit whose insert or guide is in the library carries the mark.
    for (int i = 0; i < names.count(); ++i) {
        QListWidgetItem &item = *names.item(i);
        MarkSaved(item, SavedMarkTip(m_context.state.OriginsPath, m_context.state.DocumentsPath,
                                     SavedDocumentPaths(m_context.state.DocumentsPath, item.text())));
    }

    m_ui->Command4->setEnabled(scan.hasNext);
    m_ui->Command3->setEnabled(scan.hasPrevious);
    if (names.count() == 0)
        m_context.desktop.message(this, Messages::NoData, Messages::InputErrorTitle);
}

int Form1::selectedHit() const
{
    return chosenRow(*m_ui->List1);
}

QString Form1::rowAt(int index) const
{
    const QListWidgetItem *item = m_ui->List2->item(index);
    return item ? item->text() : QString();
}

void Form1::List1_Click()
{
    const int index = selectedHit();
    if (index < 0)
        return;
    m_ui->Text6->setText(HitDescription(rowAt(index)));
    m_ui->Text5->setText(m_ui->List1->item(index)->text());
}

void Form1::Command2_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    const int index = selectedHit();
    ShowPrescriptionDocuments(m_context, this, m_inet, index, rowAt(index), m_ui->Text5->text());
}

void Form1::Command6_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    const int index = selectedHit();
    ShowRevisionHistory(m_context, this, m_inet, index, rowAt(index), m_ui->Text5->text());
}

void Form1::Command5_Click()
{
    close();
}

void Form1::Command7_Click()
{
    RunCopy(m_context, HitCopyLines(listTexts(*m_ui->List1), listTexts(*m_ui->List2)));
}

void Form1::Command8_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    PrescriptionMemoFields conditions;
    conditions.nameCaption = m_ui->Label11->text();
    conditions.name = m_ui->Text1->text();
    conditions.effectCaption = m_ui->Label5->text();
    conditions.effect = m_ui->Combo1->currentText();
    conditions.item1Caption = m_ui->Label6->text();
    conditions.item1 = m_ui->Combo2->currentText();
    conditions.keyword1 = m_ui->Text2->text();
    conditions.rule1 = m_ui->Combo5->currentText();
    conditions.item2Caption = m_ui->Label4->text();
    conditions.item2 = m_ui->Combo3->currentText();
    conditions.keyword2 = m_ui->Text3->text();
    conditions.rule2 = m_ui->Combo6->currentText();
    conditions.item3Caption = m_ui->Label7->text();
    conditions.item3 = m_ui->Combo4->currentText();
    conditions.keyword3 = m_ui->Text4->text();
    conditions.rule3 = m_ui->Combo7->currentText();
    conditions.filterCaption = m_ui->Label12->text();
    for (const QCheckBox *box : {m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4}) {
        if (box->isChecked())
            conditions.tickedFilters.append(box->text());
    }
    const QStringList names = listTexts(*m_ui->List1);
    RunMemo(m_context, this, windowTitle(), PrescriptionMemoLines(conditions, names, listTexts(*m_ui->List2)),
            names.isEmpty());
}
