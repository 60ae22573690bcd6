// An OTC result page: refusals, the hits with their document links and the file
// each would be saved as, and the memo lines.
#include "FuzzInput.h"

#include "otc/OtcSearch.h"
#include "retrieval/ServicePage.h"
#include "shell/Library.h"

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = PageText(data, size);
    (void)ServiceRefusal(page);

    qsizetype seen = 0;
    const OtcScan scan = ScanOtcResults(page, [&](const OtcHit &) { ++seen; });
    FUZZ_EXPECT(seen == scan.hits.size());

    const QString folder = u"/library/"_s;
    QStringList texts;
    for (const OtcHit &hit : scan.hits) {
        FUZZ_EXPECT(page.contains(hit.anchor));
        const QString link = OtcDocumentLink(hit.anchor);
        FUZZ_EXPECT(hit.anchor.contains(link));
        const QString path = OtcDocumentPath(folder, hit.display);
        FUZZ_EXPECT(DirectlyIn(path, folder, Library::Otc()));
        texts.append(hit.display);
    }
    const QStringList memo = OtcMemoLines({}, texts);
    FUZZ_EXPECT(memo.size() == 10 + texts.size());

    // The link reader also sees whatever an anchor may hold.
    (void)OtcDocumentLink(page);
    return 0;
}
