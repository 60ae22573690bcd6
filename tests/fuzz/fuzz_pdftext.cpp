// What the PDF helper writes, read by the program: page texts and rendered pages,
// whatever a damaged or hostile helper sends; and the folding of the texts read.
#include "FuzzInput.h"

#include "fulltext/PdfText.h"
#include "fulltext/TextFold.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    if (const std::optional<QStringList> pages = ParsePageTexts(bytes)) {
        for (const QString &page : *pages) {
            const FoldedText folded = FoldWithSource(page);
            FUZZ_EXPECT(folded.source.size() == folded.text.size());
            FUZZ_EXPECT(FoldText(page) == folded.text); // the index folds without the source
            qsizetype last = 0;
            for (const qsizetype at : folded.source) {
                FUZZ_EXPECT(at >= last && at < page.size());
                last = at;
            }
            const QStringList terms = SearchTerms(page.left(12));
            for (const TextSpan &span : FindTerms(folded.text, terms))
                FUZZ_EXPECT(span.start >= 0 && span.start + span.length <= folded.text.size());
        }
    }
    if (const std::optional<RenderedPage> page = ParseRenderedPage(bytes)) {
        FUZZ_EXPECT(page->width > 0 && page->height > 0 && page->stride >= qsizetype(page->width) * 4);
        FUZZ_EXPECT(page->pixels.size() == page->stride * page->height);
    }
    return 0;
}
