// Page conversion from EUC-JP. The first byte picks the table: a small one built here
// (no ASCII identity, codes of one, two and three bytes, one with a zero first byte)
// or the shipped one.
#include "FuzzInput.h"

namespace {

const EucTable &smallTable()
{
    static const EucTable *const table = [] {
        auto *small = new EucTable;
        small->add(0x41, 0x41); // "A" only: no run of ASCII is copied whole
        small->add(0x0A, 0x0A);
        small->add(0xA4A2, 0x82A0);   // あ
        small->add(0xB4C1, 0x8ABF);   // 漢
        small->add(0x8EB1, 0xB1);     // half-width katakana
        small->add(0x8FB0A1, 0x8A80); // a three-byte code
        small->add(0x00A4A4, 0x82A2); // a three-byte code with a zero first byte
        small->add(0xFFFFFF, 0x8140); // the largest code
        small->add(0xA1A1, 0);        // a record without a mapping
        return small;
    }();
    return *table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const EucTable &table = data[0] & 1 ? shippedTable() : smallTable();
    const QByteArray page = FuzzBytes(data + 1, size - 1);

    int lastPercent = 0;
    qsizetype lastPosition = 0;
    const QString text = EucToSjis(table, page, [&](qsizetype position, int percent) {
        FUZZ_EXPECT(percent > lastPercent && percent <= 100);
        FUZZ_EXPECT(position > lastPosition && position <= page.size());
        lastPercent = percent;
        lastPosition = position;
    });
    FUZZ_EXPECT(text.size() <= page.size());
    FUZZ_EXPECT(page.size() < 2 || lastPercent == 100);
    FUZZ_EXPECT(EucToSjis(table, page) == text);
    return 0;
}
