// The conversion table's text, as read from "E2S.param"; the table then converts the
// same bytes as a page and encodes a query, so odd tables meet the converters too.
#include "FuzzInput.h"

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = FuzzBytes(data, size);
    EucTable table;
    ParseEucTable(table, content);
    FUZZ_EXPECT(table.size() <= content.count('\n') + content.count('\r') + 1);

    const QString page = EucToSjis(table, content);
    FUZZ_EXPECT(page.size() <= content.size());
    const QString query = EncodeQuery(table, u"Ａb1 あ漢\U0001F600"_s);
    FUZZ_EXPECT(query.size() % 3 == 0);
    return 0;
}
