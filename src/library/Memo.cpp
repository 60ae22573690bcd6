#include "library/Memo.h"

#include <optional>

#include <QSaveFile>
#include <QStringEncoder>

using namespace Qt::Literals::StringLiterals;

QString CopyText(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + CrLf;
    return text;
}

QByteArray ToShiftJis(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    std::optional<QStringEncoder> encoder;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QStringView one = text.mid(i, pair ? 2 : 1);
        i += one.size();
        if (one[0].unicode() < 0x80) {
            bytes.append(char(one[0].unicode()));
            continue;
        }
        if (one[0].isSurrogate() && !pair) {
            bytes.append('?'); // half of a pair is no character at all
            continue;
        }
        if (!encoder)
            encoder.emplace("cp932", QStringConverter::Flag::Stateless);
        const QByteArray encoded = encoder->encode(one);
        if (encoder->hasError() || encoded.isEmpty()) {
            bytes.append('?');
            encoder.reset(); // the converter may hold on to the failure; start clean
        } else {
            bytes.append(encoded);
        }
    }
    return bytes;
}

QString WriteMemoFile(const QString &path, const QStringList &lines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return u"メモファイルを作成できません: "_s + path + u"\n("_s + file.errorString() + u')';
    const QByteArray bytes = ToShiftJis(CopyText(lines));
    if (file.write(bytes) != bytes.size() || !file.commit())
        return u"メモファイルに書き込めません: "_s + path + u"\n("_s + file.errorString() + u')';
    return {};
}
