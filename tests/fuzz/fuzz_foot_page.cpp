// A hit row, a hit page and a foot page (the same text serves as all three): the
// addresses read from them, the documents offered and where each would be saved.
#include "FuzzInput.h"

#include "prescription/FootPage.h"
#include "shell/Library.h"

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = PageText(data, size);
    const QString base = u"http://127.0.0.1:8080"_s;

    const auto hitAddress = HitPageAddress(base, page);
    if (hitAddress)
        FUZZ_EXPECT(hitAddress->startsWith(base) && hitAddress->size() <= base.size() + page.size());
    const QString hit = hitAddress.value_or(base + u"/sorano/hit/1/"_s);
    if (const auto footAddress = FootPageAddress(hit, page))
        FUZZ_EXPECT(footAddress->startsWith(hit) && footAddress->size() <= hit.size() + page.size());

    const FootDocuments documents = ScanFootPage(base, page);
    FUZZ_EXPECT(!documents.hasInsert()
                || documents.insertAddress.startsWith(base + u"/downfiles/ph/PDF/"_s, Qt::CaseInsensitive));
    FUZZ_EXPECT(!documents.hasGuide()
                || documents.guideAddress.startsWith(base + u"/downfiles/ph/GUI/"_s, Qt::CaseInsensitive));
    // A manual link names the service's host with either scheme, in any case.
    for (const ManualLink &manual : documents.manuals) {
        const QString rest = QStringView(manual.address).mid(manual.address.indexOf(u"//"_s)).toString();
        FUZZ_EXPECT(IsWebAddress(manual.address)
                    && rest.startsWith(u"//127.0.0.1:8080/juutoku/file"_s, Qt::CaseInsensitive));
    }
    (void)ChooseDocuments(documents);

    const QString library = u"/library/"_s;
    const QList<bool> marks(documents.manuals.size(), true);
    const QList<DocumentDownload> plan = DownloadPlan(documents, library, page.left(40), true, true, marks);
    FUZZ_EXPECT(plan.size() == documents.hasInsert() + documents.hasGuide() + documents.manuals.size());
    for (const DocumentDownload &download : plan) {
        // Every document lands in a folder of the library, never outside it.
        FUZZ_EXPECT(DirectlyIn(download.path, library, Library::Root())
                    || DirectlyIn(download.path, library, Library::Patient())
                    || DirectlyIn(download.path, library, Library::Medical()));
    }
    return 0;
}
