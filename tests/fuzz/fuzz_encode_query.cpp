// A typed search text percent-encoded as EUC-JP: the output holds nothing but "%XX",
// and never a NUL byte.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = PageText(data, size);
    const QString encoded = EncodeQuery(shippedTable(), text);
    FUZZ_EXPECT(encoded.size() % 3 == 0);
    FUZZ_EXPECT(encoded.size() <= text.size() * 9);
    for (qsizetype i = 0; i + 3 <= encoded.size(); i += 3)
        FUZZ_EXPECT(QStringView(encoded).sliced(i, 3) != u"%00");
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char16_t c = encoded[i].unicode();
        if (i % 3 == 0)
            FUZZ_EXPECT(c == u'%');
        else
            FUZZ_EXPECT((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
    }
    return 0;
}
