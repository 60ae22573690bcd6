// Names from the service or typed by the user: the file-name guard, tag removal,
// the case-insensitive search, and the rename rules of the disk search window.
#include "FuzzInput.h"

#include "library/DocumentLibrary.h"
#include "retrieval/Module1.h"

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = PageText(data, size);

    const QString safe = SafeFileName(text);
    FUZZ_EXPECT(safe.size() == text.size());
    for (const char16_t forbidden : {u'*', u'?', u'\\', u':', u'/'})
        FUZZ_EXPECT(!safe.contains(QChar(forbidden)));

    const QString common = text.left(text.size() / 2);
    const QString distinct = text.mid(text.size() / 2);
    const QString fitted = FitFileName(common, distinct, u".pdf");
    FUZZ_EXPECT(fitted.endsWith(u".pdf"_s) && fitted.toUtf8().size() <= FileNameMaxBytes);
    if (text.toUtf8().size() + 4 <= FileNameMaxBytes)
        FUZZ_EXPECT(fitted == text + u".pdf"_s);
    else // a name that differs only in what was cut away still gives another file
        FUZZ_EXPECT(fitted != FitFileName(common, QString(distinct + u'x'), u".pdf"));

    const QString stripped = StripTags(text);
    FUZZ_EXPECT(stripped.size() <= text.size());
    FUZZ_EXPECT(!stripped.contains(u'<'));

    // The search with a needle taken from the text itself finds it no later than where it was taken.
    const qsizetype cut = text.size() / 3;
    const QString needle = text.mid(cut, 4);
    if (!needle.isEmpty()) {
        const qsizetype found = Find(text, needle);
        FUZZ_EXPECT(found >= 0 && found <= cut);
        FUZZ_EXPECT(Find(text, needle, cut) == cut || Find(text, needle, cut) > cut);
    }
    FUZZ_EXPECT(Find(text, u"x", text.size() + 1) == -1);

    const QString renamed = RenamedFileName(text);
    FUZZ_EXPECT(renamed.endsWith(u".pdf"_s));
    FUZZ_EXPECT(RenamedFileName(renamed) == renamed);
    const QString title = DocumentTitle(renamed);
    FUZZ_EXPECT(title.size() == renamed.size() - 4);
    FUZZ_EXPECT(DocumentTitle(text).size() == qMax<qsizetype>(0, text.size() - 4));
    return 0;
}
