#include "retrieval/Module1.h"

QString SafeFileName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        switch (c.unicode()) {
        case u'*': c = QChar(0xFF0A); break;
        case u'?': c = QChar(0xFF1F); break;
        case u'\\': c = QChar(0xFFE5); break;
        case u':': c = QChar(0xFF1A); break;
        case u'/': c = QChar(0xFF0F); break;
        default: break;
        }
    }
    return safe;
}

QString StripTags(const QString &html)
{
    QString text;
    text.reserve(html.size());
    bool inTag = false;
    for (const QChar c : html) {
        if (c == u'<')
            inTag = true;
        if (inTag) {
            if (c == u'>')
                inTag = false;
        } else {
            text.append(c);
        }
    }
    return text;
}
