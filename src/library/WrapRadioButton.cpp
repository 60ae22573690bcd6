#include "library/WrapRadioButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

WrapRadioButton::WrapRadioButton(QWidget *parent) : QRadioButton(parent) {}

QRect WrapRadioButton::captionRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
}

void WrapRadioButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear(); // the style draws background, indicator and focus; the caption is ours
    painter.drawControl(QStyle::CE_RadioButton, option);
    style()->drawItemText(&painter, captionRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(),
                          isEnabled(), caption, QPalette::WindowText);
}
