#include "shell/Library.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace Library {

QString Root()
{
    return u"医薬品情報"_s;
}
QString Otc()
{
    return Root() + u"/［一般用］"_s;
}
QString Patient()
{
    return Root() + u"/［患者向け］"_s;
}
QString Medical()
{
    return Root() + u"/［医療用］"_s;
}
QString Revision()
{
    return Root() + u"/［改訂指示］"_s;
}

QStringList Folders()
{
    return {Root(), Otc(), Patient(), Medical(), Revision()};
}

void CreateFolders(const QString &documentsPath)
{
    const QDir base(documentsPath);
    for (const QString &folder : Folders())
        base.mkdir(folder); // one make-directory each: no parents, an existing one is fine
}

} // namespace Library
