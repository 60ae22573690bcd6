#pragma once

#include <QApplication>
#include <QObject>

#include "shell/Appearance.h"

// The base of the window tests: the program's appearance (style and Japanese font)
// is applied before the first test function, as the program applies it at start.
class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ApplyAppearance(*qApp); }
};
