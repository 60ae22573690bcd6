#pragma once

#include <functional>

class QApplication;
class QString;
class QWidget;

// Makes a Japanese Gothic face the program's default font (the windows set only
// sizes and styles), and the Fusion style so that button colours show. Enter on a
// focused push button presses it, in every window and dialog, as Space does. The
// focused control always shows its focus mark, however the focus got there.
void ApplyAppearance(QApplication &app);

// Runs `action` on every window of the program each time it is shown; `name` keeps
// the action installed once, however often this runs.
void OnEveryWindowShown(QApplication &app, const QString &name, std::function<void(QWidget &)> action);
