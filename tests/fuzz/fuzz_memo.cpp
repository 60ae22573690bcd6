// Memo and clipboard text made of what the service sent: the hit lines of both
// windows, the CR LF text and its Shift-JIS bytes.
#include "FuzzInput.h"

#include "memo/Memo.h"
#include "otc/OtcSearch.h"
#include "prescription/PrescriptionSearch.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Characters as the memo counts them: a surrogate pair is one, a lone half is one.
qsizetype CodePoints(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = PageText(data, size);
    const QStringList lines = text.split(u'\n');

    const QStringList hitLines = HitCopyLines(lines, lines.mid(1));
    FUZZ_EXPECT(hitLines.size() == lines.size());
    const QStringList memo = OtcMemoLines({text.left(8), {}, {}, {}, {}, {}, {}, {}, {}}, lines);
    FUZZ_EXPECT(memo.size() == 10 + lines.size());

    const QString copy = CopyText(hitLines);
    FUZZ_EXPECT(copy.count(CrLf) >= hitLines.size());

    // Every character becomes one character of cp932, "?" when cp932 has none.
    const QByteArray bytes = ToShiftJis(text);
    QStringDecoder decoder("cp932");
    const QString back = decoder(bytes);
    FUZZ_EXPECT(!decoder.hasError());
    FUZZ_EXPECT(CodePoints(back) == CodePoints(text));
    return 0;
}
