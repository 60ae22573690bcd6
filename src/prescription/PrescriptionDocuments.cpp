#include "prescription/PrescriptionDocuments.h"

#include <optional>

#include "prescription/Form2.h"
#include "prescription/Form6.h"
#include "prescription/FootPage.h"
#include "retrieval/SavedMark.h"
#include "retrieval/SaveAndOpen.h"
#include "retrieval/Fetch.h"
#include "shell/AppContext.h"
#include "shell/Messages.h"
#include "shell/UserAttention.h"

using namespace Qt::Literals::StringLiterals;

namespace {

void noDocuments(AppContext &context, QWidget *owner)
{
    context.desktop.message(owner, Messages::NoDocument, Messages::NoDocumentTitle);
}

struct FootPageRead {
    QString address;
    QString page;
};

// The selected hit's page, then its foot page. Nothing when the command ends here:
// its message has been shown.
std::optional<FootPageRead> readFootPage(AppContext &context, QWidget *owner, Inet1 &inet, int selectedIndex,
                                         const QString &hitRow, const QString &drugName)
{
    if (selectedIndex < 0) {
        context.desktop.message(owner, Messages::SelectDrug, Messages::SelectionErrorTitle);
        return std::nullopt;
    }
    const auto hitAddress = HitPageAddress(context.state.ServiceBase, hitRow);
    if (!hitAddress) {
        noDocuments(context, owner);
        return std::nullopt;
    }
    const auto hitPage = FetchPage(context, owner, inet, *hitAddress, Yield::Yes, DrugPageText(drugName));
    if (!hitPage)
        return std::nullopt;
    const auto footAddress = FootPageAddress(*hitAddress, *hitPage);
    if (!footAddress) {
        noDocuments(context, owner);
        return std::nullopt;
    }
    const auto footPage = FetchPage(context, owner, inet, *footAddress, Yield::No, DrugPageText(drugName));
    if (!footPage)
        return std::nullopt;
    return FootPageRead{*footAddress, *footPage};
}

} // namespace

void ShowPrescriptionDocuments(AppContext &context, QWidget *owner, Inet1 &inet, int selectedIndex,
                               const QString &hitRow, const QString &drugName)
{
    const auto footPage = readFootPage(context, owner, inet, selectedIndex, hitRow, drugName);
    if (!footPage)
        return;
    ProgramState &state = context.state;
    const FootDocuments documents = ScanFootPage(state.ServiceBase, footPage->page);
    state.ManualMarks = QList<bool>(documents.manuals.size(), false);

    QList<DocumentDownload> plan;
    switch (ChooseDocuments(documents)) {
    case DocumentChoice::None: noDocuments(context, owner); return;
    case DocumentChoice::Single: plan = DownloadPlan(documents, state.DocumentsPath, drugName, true, true, {}); break;
    case DocumentChoice::Dialog: {
        QStringList titles;
        for (const ManualLink &manual : documents.manuals)
            titles.append(manual.title);
        Form2 dialog(context, owner);
        dialog.prepare(documents.hasInsert(), documents.hasGuide(), titles);
        Form2::Choice choice;
        {
            // Where each document would be saved; those already there carry the mark.
            const QList<DocumentDownload> every = DownloadPlan(documents, state.DocumentsPath, drugName, true, true,
                                                               QList<bool>(documents.manuals.size(), true));
            const auto tipFor = [&](const QString &address) {
                for (const DocumentDownload &download : every) {
                    if (download.address == address)
                        return SavedMarkTip(state.OriginsPath, state.DocumentsPath, {download.path});
                }
                return QString();
            };
            QStringList manualTips;
            for (const ManualLink &manual : documents.manuals)
                manualTips.append(tipFor(manual.address));
            dialog.showSaved(documents.hasInsert() ? tipFor(documents.insertAddress) : QString(),
                             documents.hasGuide() ? tipFor(documents.guideAddress) : QString(), manualTips);
        }
        {
            const UserAttention::Question asking;
            choice = dialog.choose();
        }
        // The choice is the program's until the next dialog.
        state.FetchInsert = choice.insert;
        state.FetchGuide = choice.guide;
        state.ManualMarks = choice.manuals;
        plan = DownloadPlan(documents, state.DocumentsPath, drugName, state.FetchInsert, state.FetchGuide,
                            state.ManualMarks);
        break;
    }
    }

    for (const DocumentDownload &download : plan) {
        const auto bytes
            = FetchBytes(context, owner, inet, download.address, BodyUse::Document, DocumentText(download.path));
        if (!bytes)
            return; // the first failed transfer ends the command; what was saved stays
        if (!SaveAndOpenDocument(context, owner, download.path, *bytes, download.address, &inet))
            return; // like a failed transfer, a failed save ends the command
    }
}

void ShowRevisionHistory(AppContext &context, QWidget *owner, Inet1 &inet, int selectedIndex, const QString &hitRow,
                         const QString &drugName)
{
    const auto footPage = readFootPage(context, owner, inet, selectedIndex, hitRow, drugName);
    if (!footPage)
        return;
    const QStringList entries = HistoryEntries(footPage->page);
    if (entries.isEmpty()) {
        context.desktop.message(owner, Messages::NoHistory, Messages::NoHistoryTitle, Desktop::Icon::Exclamation);
        return;
    }
    Form6 window(context, owner);
    window.fill(drugName, entries, footPage->address);
    const UserAttention::Question asking; // its own commands are at work, not this one
    window.exec();
}
