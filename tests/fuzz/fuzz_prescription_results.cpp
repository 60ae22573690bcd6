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

    QStringList names, rows;
    qsizetype covered = 0;
    const PrescriptionScan scan = ScanPrescriptionResults(page, [&](const PrescriptionHit &hit) {
        FUZZ_EXPECT(hit.name.size() < hit.row.size());
        names.append(hit.name);
        rows.append(hit.row);
        covered += hit.row.size();
    });
    FUZZ_EXPECT(scan.hits.size() == names.size());
    for (qsizetype i = 0; i < scan.hits.size(); ++i)
        FUZZ_EXPECT(scan.hits[i].name == names[i] && scan.hits[i].row == rows[i]);
    FUZZ_EXPECT(covered <= page.size() + names.size() * 5); // blocks share at most a "</TR>"
    for (const QString &row : rows) {
        const QString description = HitDescription(row);
        FUZZ_EXPECT(description.size() < row.size());
        FUZZ_EXPECT(!description.contains(u'\r'));
        if (const auto address = HitPageAddress(u"http://127.0.0.1:8080"_s, row))
            FUZZ_EXPECT(address->startsWith(u"http://127.0.0.1:8080"_s));
    }

    const QStringList copy = HitCopyLines(names, rows);
    FUZZ_EXPECT(copy.size() == names.size());
    PrescriptionMemoFields conditions;
    conditions.name = page.left(16);
    conditions.tickedFilters = {u"警告"_s};
    const QStringList memo = PrescriptionMemoLines(conditions, names, rows);
    FUZZ_EXPECT(memo.size() == 9 + 1 + 1 + copy.size());
    (void)HitCountText(names.size());
    return 0;
}
