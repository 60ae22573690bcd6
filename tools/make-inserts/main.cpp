// Makes a library of N made-up package inserts for tests and the benchmark.
// Usage: make-inserts <folder> <count> [pages] [first]

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include "Inserts.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || args.size() > 5) {
        QTextStream(stderr) << "usage: make-inserts <folder> <count> [pages] [first]\n";
        return 2;
    }
    const QString folder = args[1];
    const int count = args[2].toInt();
    const int pages = args.size() > 3 ? args[3].toInt() : 20;
    const int first = args.size() > 4 ? args[4].toInt() : 0;
    if (!QDir().mkpath(folder) || count < 0 || pages < 1)
        return 2;
    for (int i = first; i < first + count; ++i) {
        const Insert insert = MakeInsert(i, pages);
        if (!WriteInsertPdf(insert, QDir(folder).filePath(u"%1錠.pdf"_s.arg(insert.name)))) {
            QTextStream(stderr) << "cannot write into " << folder << '\n';
            return 1;
        }
    }
    return 0;
}
