// A prescription result page: refusals, the hit blocks, their descriptions and links,
// and the copy and memo lines made from them.
#include "FuzzInput.h"

#include "prescription/FootPage.h"
#include "prescription/PrescriptionSearch.h"
#include "retrieval/ServicePage.h"

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = PageText(data, size);
    (void)ServiceRefusal(page);

    const ResultPage result = ReadResultPage(page);
    FUZZ_EXPECT(result.names.size() == result.rows.size());

    ResultScanner scanner(page);
    qsizetype blocks = 0, covered = 0;
    while (const auto hit = scanner.Next()) {
        FUZZ_EXPECT(hit->name.size() < hit->row.size());
        FUZZ_EXPECT(hit->name == result.names[blocks] && hit->row == result.rows[blocks]);
        covered += hit->row.size();
        ++blocks;
    }
    FUZZ_EXPECT(blocks == result.names.size());
    FUZZ_EXPECT(covered <= page.size() + blocks * 5); // blocks share at most a "</TR>"
    FUZZ_EXPECT(scanner.Tail().size() <= page.size());
    FUZZ_EXPECT(scanner.HasNextLink() == result.next && scanner.HasPreviousLink() == result.previous);

    for (const QString &row : result.rows) {
        const QString description = HitDescription(row);
        FUZZ_EXPECT(description.size() < row.size());
        FUZZ_EXPECT(!description.contains(u'\r'));
        if (const auto address = HitPageAddress(u"http://127.0.0.1:8080"_s, row))
            FUZZ_EXPECT(address->startsWith(u"http://127.0.0.1:8080"_s));
    }

    const QStringList copy = HitCopyLines(result.names, result.rows);
    FUZZ_EXPECT(copy.size() == result.names.size());
    SearchConditions conditions;
    conditions.name = page.left(16);
    conditions.tickedFilters = {u"警告"_s};
    const QStringList memo = SearchMemoLines(conditions, result.names, result.rows);
    FUZZ_EXPECT(memo.size() == 9 + 1 + 1 + copy.size());
    (void)HitCountText(result.names.size());
    return 0;
}
