#pragma once

#include <QRadioButton>

// An option button whose caption wraps onto further lines when it is wider than the
// button, as the long category name of the disk search window needs.
class WrapRadioButton : public QRadioButton {
    Q_OBJECT

public:
    explicit WrapRadioButton(QWidget *parent = nullptr);

    // Where the caption is drawn, beside the indicator.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
