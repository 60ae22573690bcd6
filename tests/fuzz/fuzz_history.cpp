// The revision-instruction history of a foot page: its entries, their texts,
// addresses and the files they would be saved as.
#include "FuzzInput.h"

#include "prescription/FootPage.h"
#include "shell/Library.h"

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = PageText(data, size);
    const QString library = u"/library/"_s;
    for (const QString &entry : HistoryEntries(page)) {
        FUZZ_EXPECT(entry.startsWith(u"href="_s, Qt::CaseInsensitive));
        FUZZ_EXPECT(entry.endsWith(u"</a>"_s, Qt::CaseInsensitive));
        FUZZ_EXPECT(page.contains(entry));
        const QString text = HistoryDisplayText(entry);
        FUZZ_EXPECT(text.size() <= entry.size());
        // An entry's address is a web address that ends before a quote.
        if (const auto address = HistoryDocumentAddress(entry, u"http://svc.test/ph/foot.html"_s, u"http://svc.test"_s))
            FUZZ_EXPECT(IsWebAddress(*address) && !address->contains(u'"'));
        const QString path = HistoryDocumentPath(library, entry.left(20), text);
        FUZZ_EXPECT(DirectlyIn(path, library, Library::Revision()));
    }
    return 0;
}
