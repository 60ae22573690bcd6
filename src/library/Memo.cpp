#include "library/Memo.h"

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
    QStringEncoder encoder("cp932", QStringConverter::Flag::Stateless);
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView one = text.mid(i, length);
        if (one.size() == 1 && one[0].unicode() < 0x80) {
            bytes.append(char(one[0].unicode()));
        } else {
            QByteArray encoded = encoder.encode(one);
            if (encoder.hasError() || encoded.isEmpty()) {
                encoder.resetState();
                encoded = "?";
            }
            bytes.append(encoded);
        }
        i += length;
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
