#include "shell/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

using namespace Qt::Literals::StringLiterals;

void ApplyAppearance(QApplication &app)
{
    app.setStyle(QStyleFactory::create(u"Fusion"_s));
    QFont font(u"IPAPGothic"_s, 9);
    font.setFamilies({u"IPAPGothic"_s, u"IPAGothic"_s, u"MS PGothic"_s, u"Noto Sans CJK JP"_s});
    QApplication::setFont(font);
}
