#include "fulltext/Form7.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

#include "fulltext/LibraryIndexer.h"
#include "fulltext/TextFold.h"
#include "memo/MemoCommand.h"
#include "retrieval/OriginRecord.h"
#include "retrieval/frmTransfer.h"
#include "shell/Library.h"
#include "shell/Messages.h"
#include "shell/ScreenFit.h"
#include "ui_Form7.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PageDpi = 96;

QString pageList(const FullTextIndex::Hit &hit)
{
    if (!hit.readable)
        return Messages::TextUnreadable;
    QStringList pages;
    for (const int page : hit.pages)
        pages.append(QString::number(page));
    return pages.join(u", "_s);
}

} // namespace

Form7::Form7(AppContext &context, Services services, QWidget *parent)
    : WorkingWindow(parent), m_ui(std::make_unique<Ui::Form7>()), m_context(context), m_services(std::move(services))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    FitToScreen(*this);
    auto *picture = new QLabel;
    picture->setObjectName(u"PicturePage"_s);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ui->Picture1->setWidget(picture);
    m_ui->List1->setColumnWidth(0, 150);
    m_ui->List1->setColumnWidth(1, 80);
    m_ui->Text1->setAccessibleName(Messages::SearchTermsName);
    m_ui->List1->setAccessibleName(Messages::HitListName);
    m_ui->Picture1->setAccessibleName(Messages::PageViewName);

    connect(m_ui->Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(m_ui->Text1, &QLineEdit::returnPressed, this, &Form7::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form7::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form7::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form7::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form7::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form7::Command6_Click);
    connect(m_ui->Command7, &QPushButton::clicked, this, &Form7::Command7_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form7::Command8_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &Form7::Command9_Click);
    connect(m_ui->List1, &QTreeWidget::itemActivated, this, [this] { Command2_Click(); });
    connect(m_ui->List1, &QTreeWidget::currentItemChanged, this, [this] { List1_Click(); });
    for (QCheckBox *box : {m_ui->Check1, m_ui->Check2, m_ui->Check3, m_ui->Check4, m_ui->Check5})
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!m_terms.isEmpty())
                runSearch();
        });
    if (m_services.indexer) {
        connect(m_services.indexer, &LibraryIndexer::progress, this, &Form7::showProgress);
        connect(m_services.indexer, &LibraryIndexer::finished, this, [this] {
            showProgress();
            if (!m_terms.isEmpty())
                runSearch();
        });
    }
    m_ui->Command6->setEnabled(false);
    m_ui->Command7->setEnabled(false);
    showProgress();
    move(x(), 0);
}

Form7::~Form7()
{
    if (m_render) {
        m_render->disconnect(this);
        m_render->kill();
        m_render->waitForFinished(1000);
    }
}

void Form7::showProgress()
{
    const LibraryIndexer *indexer = m_services.indexer;
    if (indexer && indexer->busy() && indexer->total() > 0)
        m_ui->Label1->setText(Messages::Indexing.arg(indexer->done()).arg(indexer->total()));
    else
        m_ui->Label1->clear();
}

void Form7::Command1_Click()
{
    m_searchText = m_ui->Text1->text();
    m_terms = SearchTerms(m_searchText);
    if (m_terms.isEmpty()) {
        m_context.desktop.message(this, Messages::EnterSearchText, Messages::InputErrorTitle);
        return;
    }
    runSearch();
    if (m_hits.isEmpty())
        m_context.desktop.message(this, Messages::NoData, Messages::NoDocumentTitle);
}

QString Form7::folderCaption(const QString &path) const
{
    const QString folder = QFileInfo(path).path();
    const QString root = Library::Root();
    if (folder == root)
        return m_ui->Check5->text();
    return folder.mid(root.size() + 1);
}

bool Form7::folderChosen(const QString &path) const
{
    const QString folder = QFileInfo(path).path();
    const QList<std::pair<QString, QCheckBox *>> folders{{Library::Otc(), m_ui->Check1},
                                                         {Library::Patient(), m_ui->Check2},
                                                         {Library::Medical(), m_ui->Check3},
                                                         {Library::Revision(), m_ui->Check4},
                                                         {Library::Root(), m_ui->Check5}};
    for (const auto &[name, box] : folders) {
        if (folder == name)
            return box->isChecked();
    }
    return false;
}

void Form7::runSearch()
{
    m_hits.clear();
    if (!m_services.indexPath.isEmpty()) {
        FullTextIndex index(m_services.indexPath);
        if (index.openForSearch()) {
            for (const FullTextIndex::Hit &hit : index.search(m_terms)) {
                if (folderChosen(hit.path))
                    m_hits.append(hit);
            }
        }
    }
    m_ui->List1->clear();
    int pages = 0;
    QList<QTreeWidgetItem *> items;
    for (const FullTextIndex::Hit &hit : std::as_const(m_hits)) {
        QString name = QFileInfo(hit.path).fileName();
        name.chop(4);
        items.append(new QTreeWidgetItem(QStringList{name, folderCaption(hit.path), pageList(hit)}));
        pages += int(hit.pages.size());
    }
    m_ui->List1->addTopLevelItems(items);
    showStates();
    m_ui->Label2->setText(Messages::SearchCounts.arg(m_hits.size()).arg(pages));
    m_shownPath.clear();
    m_shownPage = 0;
    m_marked = 0;
    qobject_cast<QLabel *>(m_ui->Picture1->widget())->clear();
    m_ui->Label3->clear();
    m_ui->Command6->setEnabled(false);
    m_ui->Command7->setEnabled(false);
}

void Form7::List1_Click()
{
    const int row = m_ui->List1->indexOfTopLevelItem(m_ui->List1->currentItem());
    if (row < 0 || row >= m_hits.size())
        return;
    const FullTextIndex::Hit &hit = m_hits.at(row);
    m_shownPath = hit.path;
    m_shownPage = hit.pages.isEmpty() ? 0 : hit.pages.front();
    showPage(0);
}

void Form7::showPage(int step)
{
    const int row = m_ui->List1->indexOfTopLevelItem(m_ui->List1->currentItem());
    if (row < 0 || row >= m_hits.size() || m_hits.at(row).path != m_shownPath)
        return;
    const QList<int> &pages = m_hits.at(row).pages;
    qsizetype at = pages.indexOf(m_shownPage);
    if (at >= 0)
        at = std::clamp<qsizetype>(at + step, 0, pages.size() - 1);
    m_shownPage = at >= 0 ? pages.at(at) : 0;
    m_ui->Command6->setEnabled(at > 0);
    m_ui->Command7->setEnabled(at >= 0 && at + 1 < pages.size());
    m_ui->Label3->setText(at >= 0 ? Messages::PageOfPages.arg(m_shownPage).arg(pages.size()).arg(at + 1) : QString());
    m_marked = 0;
    auto *picture = qobject_cast<QLabel *>(m_ui->Picture1->widget());
    picture->clear();
    picture->adjustSize();
    if (m_render) {
        m_render->disconnect(this);
        m_render->kill();
        m_render->waitForFinished(1000);
        delete m_render;
    }
    if (m_shownPage <= 0 || m_services.helper.isEmpty())
        return;
    auto *process = new QProcess(this);
    m_render = process;
    process->setProgram(m_services.helper);
    process->setArguments(RenderArguments(m_context.state.DocumentsPath + m_shownPath, m_shownPage - 1, PageDpi));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const HelperLimits limits;
    process->setChildProcessModifier([limits] { ApplyHelperLimits(limits); });
    connect(process, &QProcess::finished, this, &Form7::renderFinished);
    // A page that never comes is given up, as a document is when indexed.
    QTimer::singleShot(limits.timeMs, process, [process] { process->kill(); });
    process->start();
}

void Form7::renderFinished()
{
    QProcess *process = m_render;
    if (!process)
        return;
    const QByteArray output = process->readAllStandardOutput();
    const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    process->deleteLater();
    m_render = nullptr;
    const std::optional<RenderedPage> page = ok ? ParseRenderedPage(output) : std::nullopt;
    auto *picture = qobject_cast<QLabel *>(m_ui->Picture1->widget());
    if (!page) {
        picture->setText(Messages::TextUnreadable);
        picture->adjustSize();
        Q_EMIT pageShown();
        return;
    }
    // The page's characters folded as the index folds them, each traced to its box.
    QString text;
    QList<qsizetype> charOf;
    for (qsizetype i = 0; i < page->chars.size(); ++i) {
        text += page->chars.at(i).text;
        charOf.resize(text.size(), i);
    }
    const FoldedText folded = FoldWithSource(text);
    QImage image = QImage(reinterpret_cast<const uchar *>(page->pixels.constData()), page->width, page->height,
                          page->stride, QImage::Format_ARGB32)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double scale = double(image.width()) / page->size.width();
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 160, 0, 110));
    int firstX = -1;
    int firstY = -1;
    const QList<TextSpan> spans = FindTerms(folded.text, m_terms);
    for (const TextSpan &span : spans) {
        for (qsizetype i = span.start; i < span.start + span.length; ++i) {
            const QRectF box = page->chars.at(charOf.at(folded.source.at(i))).box;
            if (box.isEmpty())
                continue;
            const QRectF onImage(box.x() * scale, box.y() * scale, box.width() * scale, box.height() * scale);
            painter.drawRect(onImage);
            if (firstY < 0) {
                firstX = int(onImage.x());
                firstY = int(onImage.y());
            }
        }
    }
    painter.end();
    m_marked = int(spans.size());
    picture->setPixmap(QPixmap::fromImage(image));
    picture->adjustSize();
    if (firstY >= 0) { // the first match in view
        m_ui->Picture1->verticalScrollBar()->setValue(std::max(0, firstY - 40));
        m_ui->Picture1->horizontalScrollBar()->setValue(std::max(0, firstX - 40));
    }
    Q_EMIT pageShown();
}

void Form7::Command2_Click()
{
    const QList<QTreeWidgetItem *> selected = m_ui->List1->selectedItems();
    if (selected.isEmpty()) {
        m_context.desktop.message(this, Messages::SelectDrug, Messages::SelectionErrorTitle);
        return;
    }
    for (int i = 0; i < m_ui->List1->topLevelItemCount() && i < m_hits.size(); ++i) {
        if (m_ui->List1->topLevelItem(i)->isSelected())
            m_context.desktop.openDocument(this, m_context.state.DocumentsPath + m_hits.at(i).path);
    }
}

QStringList Form7::listLines() const
{
    QStringList lines;
    for (int i = 0; i < m_ui->List1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_ui->List1->topLevelItem(i);
        lines.append(item->text(0) + u'\t' + item->text(1) + u'\t' + item->text(2));
    }
    return lines;
}

void Form7::Command3_Click()
{
    QString text;
    for (const QString &line : listLines())
        text += line + u"\r\n"_s;
    m_context.desktop.setClipboardText(text);
}

void Form7::Command4_Click()
{
    QStringList lines{m_searchText};
    lines += listLines();
    RunMemo(m_context, this, windowTitle(), lines, m_ui->List1->topLevelItemCount() == 0);
}

void Form7::Command5_Click()
{
    close();
}

void Form7::Command6_Click()
{
    showPage(-1);
}

void Form7::Command7_Click()
{
    showPage(+1);
}

void Form7::showStates()
{
    // The state of each listed document's last check, as its record keeps it.
    OriginStore origins(m_context.state.OriginsPath, m_context.state.DocumentsPath);
    QHash<QString, int> counts;
    for (int i = 0; i < m_ui->List1->topLevelItemCount() && i < m_hits.size(); ++i) {
        const std::optional<OriginRecord> record = origins.find(m_context.state.DocumentsPath + m_hits.at(i).path);
        const QString state = record ? record->lastState : Messages::StateNoOrigin;
        m_ui->List1->topLevelItem(i)->setText(3, state);
        counts[state] += 1;
    }
    // The state goes beside the name, where the narrow list shows it; the copy and the
    // memo keep the columns' own order.
    QHeaderView &header = *m_ui->List1->header();
    if (!counts.isEmpty() && header.visualIndex(3) != 1) {
        header.moveSection(header.visualIndex(3), 1);
        m_ui->List1->resizeColumnToContents(3);
    }
    if (m_hits.isEmpty() || (counts.size() == 1 && counts.contains(QString())))
        m_ui->Label4->clear();
    else
        m_ui->Label4->setText(Messages::CheckSummary.arg(counts.value(Messages::StateCurrent))
                                  .arg(counts.value(Messages::StateUpdated))
                                  .arg(counts.value(Messages::StateNoOrigin))
                                  .arg(counts.value(Messages::StateNotFound))
                                  .arg(counts.value(Messages::StateFailed)));
}

bool Form7::runChecks(const QList<OriginCheck::Job> &jobs, bool fetch, const QString &what,
                      QList<OriginCheck::Outcome> &outcomes)
{
    OriginCheck check(jobs, fetch, m_context.state.TransferTimeoutMs, &m_context.state.ProxyLogin,
                      [this](const QString &proxy, bool refused) {
                          return m_context.desktop.askProxyCredentials(this, proxy, refused);
                      });
    Inet1 unused; // "通信中" follows the whole check, not one transfer
    frmTransfer progress(unused, what, m_context.state.ProgressDelayMs, this);
    progress.followDocuments([&check] { check.abort(); });
    const auto total = qint64(jobs.size());
    connect(&check, &OriginCheck::done, this, [&](const OriginCheck::Outcome &outcome) {
        outcomes.append(outcome);
        progress.transferProgress(outcomes.size(), total);
    });
    progress.transferStarted();
    progress.transferProgress(0, total);
    check.run();
    progress.transferEnded();
    return !check.aborted();
}

void Form7::Command8_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    // The listed documents, or every document of the library when the list is empty.
    if (m_ui->List1->topLevelItemCount() == 0) {
        m_hits.clear();
        QList<QTreeWidgetItem *> items;
        for (const QString &path : LibraryDocuments(m_context.state.DocumentsPath)) {
            m_hits.append({path, {}, true});
            QString name = QFileInfo(path).fileName();
            name.chop(4);
            items.append(new QTreeWidgetItem(QStringList{name, folderCaption(path), QString()}));
        }
        m_ui->List1->addTopLevelItems(items);
    }
    if (m_hits.isEmpty()) {
        m_context.desktop.message(this, Messages::NothingToCheck, Messages::SelectionErrorTitle);
        return;
    }
    QList<OriginCheck::Job> jobs;
    {
        OriginStore origins(m_context.state.OriginsPath, m_context.state.DocumentsPath);
        for (const FullTextIndex::Hit &hit : std::as_const(m_hits)) {
            const QString path = m_context.state.DocumentsPath + hit.path;
            jobs.append({path, origins.find(path)});
        }
    }
    QList<OriginCheck::Outcome> outcomes;
    if (!runChecks(jobs, false, Messages::CheckingDocuments, outcomes))
        return; // stopped: every record stays as it was
    {
        OriginStore origins(m_context.state.OriginsPath, m_context.state.DocumentsPath);
        for (const OriginCheck::Outcome &outcome : std::as_const(outcomes)) {
            if (outcome.state != CheckState::NoOrigin)
                origins.setState(outcome.path, CheckStateText(outcome.state));
        }
    }
    showStates();
}

void Form7::Command9_Click()
{
    const auto running = guard().enter();
    if (!running)
        return;
    QList<OriginCheck::Job> jobs;
    OriginStore origins(m_context.state.OriginsPath, m_context.state.DocumentsPath);
    for (int i = 0; i < m_ui->List1->topLevelItemCount() && i < m_hits.size(); ++i) {
        if (m_ui->List1->topLevelItem(i)->text(3) != Messages::StateUpdated)
            continue;
        const QString path = m_context.state.DocumentsPath + m_hits.at(i).path;
        jobs.append({path, origins.find(path)});
    }
    if (jobs.isEmpty()) {
        m_context.desktop.message(this, Messages::NoUpdates, Messages::FetchUpdatesTitle);
        return;
    }
    if (!m_context.desktop.ask(this, Messages::ConfirmFetchUpdates.arg(jobs.size()), Messages::FetchUpdatesTitle))
        return;
    QList<OriginCheck::Outcome> outcomes;
    if (!runChecks(jobs, true, Messages::FetchingUpdates, outcomes))
        return; // stopped: nothing is replaced
    QStringList failed;
    for (const OriginCheck::Outcome &outcome : std::as_const(outcomes)) {
        const auto job = std::find_if(jobs.cbegin(), jobs.cend(), [&](const OriginCheck::Job &candidate) {
            return candidate.path == outcome.path;
        });
        QString errorText = outcome.errorText;
        if (outcome.state == CheckState::Updated) {
            errorText = ReplaceDocument(outcome.path, outcome.body);
            if (errorText.isEmpty()) {
                OriginRecord record
                    = MakeOriginRecord(job->origin->url, outcome.etag, outcome.lastModified, outcome.body);
                record.lastState = Messages::StateCurrent;
                record.checkedAt = record.savedAt;
                origins.record(outcome.path, record);
                continue;
            }
        } else {
            origins.setState(outcome.path, CheckStateText(outcome.state));
            if (errorText.isEmpty())
                errorText = CheckStateText(outcome.state);
        }
        failed.append(outcome.path + u'\n' + errorText);
    }
    if (m_services.indexer)
        m_services.indexer->schedule();
    showStates();
    if (!failed.isEmpty())
        m_context.desktop.message(this, Messages::UpdatesNotSaved + u'\n' + failed.join(u'\n'),
                                  Messages::DocumentSaveErrorTitle, Desktop::Icon::Exclamation);
}
