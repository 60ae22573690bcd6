#include "memo/Memo.h"

#include <QStringEncoder>

#include "retrieval/DocumentFile.h"
#include "conversion/ESConv.h"
#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

QString CopyText(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + CrLf;
    return text;
}

namespace {

void appendShiftJis(QStringView text, QByteArray &bytes)
{
    QStringEncoder encoder("cp932", QStringConverter::Flag::Stateless);
    const QByteArray encoded = encoder.encode(text);
    if (!encoder.hasError()) {
        bytes += encoded;
        return;
    }
    // Something in here is not in cp932: halve the text until that is one character
    // (or half a surrogate pair), which becomes "?".
    if (text.size() == 1 || (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())) {
        bytes += '?';
        return;
    }
    qsizetype middle = text.size() / 2;
    if (text[middle - 1].isHighSurrogate() && text[middle].isLowSurrogate())
        ++middle;
    appendShiftJis(text.first(middle), bytes);
    appendShiftJis(text.sliced(middle), bytes);
}

} // namespace

QByteArray ToShiftJis(QStringView text)
{
    QByteArray bytes;
    appendShiftJis(FoldToCp932(text), bytes);
    return bytes;
}

QString WriteMemoFile(const QString &path, const QStringList &lines)
{
    const QString error = WriteFileAtomically(path, ToShiftJis(CopyText(lines)));
    if (!error.isEmpty())
        return Messages::MemoNotWritten + path + u'\n' + error;
    return {};
}
