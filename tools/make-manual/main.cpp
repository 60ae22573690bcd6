// Turns the manual's Markdown source into Hibari.pdf with Qt's own PDF writer.
// Usage: make-manual <source.md> <output.pdf>

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: make-manual <source.md> <output.pdf>\n";
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << "cannot read " << args[1] << '\n';
        return 1;
    }
    QTextDocument document;
    QFont font(u"IPAPGothic"_s, 10);
    font.setFamilies({u"IPAPGothic"_s, u"IPAGothic"_s, u"Noto Sans CJK JP"_s});
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromUtf8(source.readAll()));

    QPdfWriter writer(args[2]);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setTitle(u"Hibari 使用説明書"_s);
    writer.setCreator(u"Hibari"_s);
    writer.setResolution(300);
    document.print(&writer);
    return 0;
}
