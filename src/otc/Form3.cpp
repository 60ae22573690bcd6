#include "otc/Form3.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "conversion/ESConv.h"
#include "memo/MemoCommand.h"
#include "retrieval/SavedMark.h"
#include "retrieval/Fetch.h"
#include "retrieval/SaveAndOpen.h"
#include "retrieval/ServicePage.h"
#include "shell/Accessibility.h"
#include "shell/ListHelpers.h"
#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "ui_Form3.h"

using namespace Qt::Literals::StringLiterals;

Form3::Form3(AppContext &context, QWidget *parent)
    : WorkingWindow(parent), m_ui(std::make_unique<Ui::Form3>()), m_context(context),
      m_inet(context.state.TransferTimeoutMs)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    for (QPushButton *button : {m_ui->Command5, m_ui->Command6, m_ui->Command8}) {
        QFont font = button->font();
        font.setPointSizeF(9.75);
        button->setFont(font);
    }
    m_ui->List2->hide();
    nameForReader();

    connect(m_ui->Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form3::Command6_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form3::Command8_Click);
    connect(m_ui->List1, &QListWidget::itemSelectionChanged, this, &Form3::List1_Click);
    connect(m_ui->List1, &QListWidget::itemClicked, this, &Form3::List1_Click);
    runOnActivation(m_ui->List1, [this] { Command4_Click(); });
    Form_Load();
}

Form3::~Form3() = default;

// Each box of the ingredient and additive rows is named by the row's label and the
// words after the box ("成分名を含む"); the list of links is unseen.
void Form3::nameForReader()
{
    const std::initializer_list<std::pair<QLineEdit *, std::pair<QLabel *, QLabel *>>> boxes
        = {{m_ui->Text3, {m_ui->Label3, m_ui->Label8}},
           {m_ui->Text4, {m_ui->Label3, m_ui->Label9}},
           {m_ui->Text5, {m_ui->Label4, m_ui->Label10}},
           {m_ui->Text6, {m_ui->Label4, m_ui->Label11}}};
    for (const auto &[box, labels] : boxes)
        box->setAccessibleName(labels.first->text() + labels.second->text());
    m_ui->List1->setAccessibleName(Messages::HitListName);
    HideFromReader(*m_ui->List2);
}

void Form3::Form_Load()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + qMax(0, (area.width() - frameGeometry().width()) / 2), 0);
    }
    const QString &app = m_context.state.AppPath;
    // A missing or empty file leaves its list empty (its key is then sent with
    // nothing after "="); records past the capacity are not read.
    m_dosageFormCodes = fillChoices(*m_ui->Combo3, ReadParamFile(app + u"/DosageForm.param"_s, 101));
    m_otcEffectCodes = fillChoices(*m_ui->Combo1, ReadParamFile(app + u"/txtEffect.param"_s, 1001));
    m_countValues = fillChoices(*m_ui->Combo2, ReadParamFile(app + u"/count.param"_s, 11));
    m_ui->Label15->setText(u"1"_s);
}

void Form3::keyPressEvent(QKeyEvent *event)
{
    // Enter in a text box or a list presses the default button, as in a dialog.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_ui->Command1->isEnabled()) {
        m_ui->Command1->click();
        return;
    }
    WorkingWindow::keyPressEvent(event);
}

QString Form3::countValue() const
{
    return m_countValues.value(m_ui->Combo2->currentIndex());
}

QString Form3::searchUrl(qint16 start, bool withCount) const
{
    OtcQuery conditions;
    conditions.saleName = m_ui->Text1->text();
    conditions.makerName = m_ui->Text2->text();
    conditions.ingredient = m_ui->Text3->text();
    conditions.ingredientEx = m_ui->Text4->text();
    conditions.additive = m_ui->Text5->text();
    conditions.additiveEx = m_ui->Text6->text();
    conditions.symptom = m_ui->Text7->text();
    conditions.dosageFormCode = m_dosageFormCodes.value(m_ui->Combo3->currentIndex());
    conditions.effectCode = m_otcEffectCodes.value(m_ui->Combo1->currentIndex());
    conditions.countValue = countValue();
    return OtcSearchUrl(m_context.state.ServiceBase, m_context.state.Tables, conditions, start, withCount);
}

void Form3::Command1_Click()
{
    requestPage(PageMove::Search);
}
void Form3::Command2_Click()
{
    requestPage(PageMove::Previous);
}
void Form3::Command3_Click()
{
    requestPage(PageMove::Next);
}

void Form3::requestPage(PageMove button)
{
    const auto running = guard().enter();
    if (!running)
        return;
    const QString unusable = UnusableQueryMessage(m_context.state.Tables,
                                                  {{m_ui->Text1->text(), m_ui->Label1->text()},
                                                   {m_ui->Text2->text(), m_ui->Label2->text()},
                                                   {m_ui->Text3->text(), m_ui->Label3->text() + m_ui->Label8->text()},
                                                   {m_ui->Text4->text(), m_ui->Label3->text() + m_ui->Label9->text()},
                                                   {m_ui->Text5->text(), m_ui->Label4->text() + m_ui->Label10->text()},
                                                   {m_ui->Text6->text(), m_ui->Label4->text() + m_ui->Label11->text()},
                                                   {m_ui->Text7->text(), m_ui->Label5->text()}});
    if (!unusable.isEmpty()) {
        m_context.desktop.message(this, unusable, Messages::InputErrorTitle, Desktop::Icon::Exclamation);
        return;
    }
    // The counters move with the list only: a request that fails or that the service
    // refuses leaves the page shown and its start as they were.
    Paging moved = m_paging;
    const OtcRequest request = MoveOtcCounters(moved, button, LeadingNumber(countValue()));
    if (!loadOtcResults(searchUrl(request.start, request.withCount), button == PageMove::Search))
        return;
    m_paging = moved;
    m_ui->Label15->setText(QString::number(m_paging.CurrentStart));
}

bool Form3::loadOtcResults(const QString &url, bool clearSelection)
{
    const std::optional<QString> page = FetchPage(m_context, this, m_inet, url, Yield::Yes, SearchingText());
    if (!page)
        return false;
    if (const std::optional<QString> refusal = ServiceRefusal(*page)) {
        m_context.desktop.message(this, *refusal, Messages::InputErrorTitle);
        return false;
    }
    m_ui->List1->clear();
    m_ui->List2->clear();
    if (clearSelection)
        m_ui->Text8->clear();
    // The rows appear as they are read; painting at most every few tens of
    // milliseconds keeps a long page from costing more to paint than to read.
    RepaintThrottle throttle;
    const OtcScan scan = ScanOtcResults(*page, [this, &throttle](const OtcHit &hit) {
        m_ui->List2->addItem(hit.anchor);
        m_ui->List1->addItem(hit.display);
        const QString &library = m_context.state.DocumentsPath;
        MarkSaved(*m_ui->List1->item(m_ui->List1->count() - 1),
                  SavedMarkTip(m_context.state.OriginsPath, library, {OtcDocumentPath(library, hit.display)}));
        if (throttle.due())
            m_ui->List1->repaint();
    });
    m_ui->List1->repaint();
    m_ui->Command3->setEnabled(scan.hasNext);
    m_ui->Command2->setEnabled(scan.hasPrevious);
    ShowInScrollArea(*m_ui->List1);
    if (m_ui->List1->count() == 0)
        m_context.desktop.message(this, Messages::NoData, Messages::InputErrorTitle);
    return true;
}

int Form3::selectedHit() const
{
    return chosenRow(*m_ui->List1);
}

void Form3::List1_Click()
{
    const int row = selectedHit();
    if (row >= 0)
        m_ui->Text8->setText(m_ui->List1->item(row)->text());
}

void Form3::Command4_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    const int row = selectedHit();
    if (row < 0 || row >= m_ui->List2->count()) {
        m_context.desktop.message(this, Messages::SelectDrug, Messages::SelectionErrorTitle);
        return;
    }
    const QString link = OtcDocumentLink(m_ui->List2->item(row)->text());
    const QString path = OtcDocumentPath(m_context.state.DocumentsPath, m_ui->Text8->text());
    const std::optional<QByteArray> document = FetchBytes(m_context, this, m_inet, m_context.state.ServiceBase + link,
                                                          BodyUse::Document, DocumentText(path));
    if (!document)
        return;
    SaveAndOpenDocument(m_context, this, path, *document, m_context.state.ServiceBase + link, &m_inet);
}

void Form3::Command5_Click()
{
    close();
}

void Form3::Command6_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    OtcMemoFields fields;
    fields.saleName = m_ui->Text1->text();
    fields.makerName = m_ui->Text2->text();
    fields.dosageFormText = m_ui->Combo3->currentText();
    fields.ingredient = m_ui->Text3->text();
    fields.ingredientEx = m_ui->Text4->text();
    fields.additive = m_ui->Text5->text();
    fields.additiveEx = m_ui->Text6->text();
    fields.effectText = m_ui->Combo1->currentText();
    fields.symptom = m_ui->Text7->text();
    RunMemo(m_context, this, windowTitle(), OtcMemoLines(fields, listTexts(*m_ui->List1)), m_ui->List1->count() == 0);
}

void Form3::Command8_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    RunCopy(m_context, listTexts(*m_ui->List1));
}
