// A choice-list parameter file: Shift-JIS text (or UTF-16 after "W"), the first byte
// giving the list's capacity; its values as they go into a query, and as page sizes.
#include "FuzzInput.h"

#include "retrieval/ServicePage.h"
#include "shell/ParamFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype capacity = data[0] % 64;
    QString text;
    if (data[1] == 'W') {
        text = PageText(data + 1, size - 1);
    } else {
        QStringDecoder decoder("cp932");
        text = decoder(FuzzBytes(data + 1, size - 1));
    }
    const QList<ParamRecord> records = ParseParamText(text, capacity);
    FUZZ_EXPECT(records.size() <= capacity);
    FUZZ_EXPECT(records.size() <= text.count(u'\n') + 1);
    for (const ParamRecord &record : records) {
        FUZZ_EXPECT(!record.value.contains(u'\n') && !record.text.contains(u'\n'));
        FUZZ_EXPECT(record.value.size() + record.text.size() <= text.size());
        // Nothing in a value may end or cut the query it goes into.
        const QString sent = QueryValue(record.value);
        for (const QChar c : sent)
            FUZZ_EXPECT(c.unicode() > u' ' && c.unicode() < 0x7F && c != u'&' && c != u'#');
        (void)LeadingNumber(record.value);
    }
    return 0;
}
