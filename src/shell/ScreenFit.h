#pragma once

#include <QSize>

class QWidget;

// Where a window of fixed size is larger than its screen's free area (a small screen,
// a high display scale), its controls go into a scrolling area and the window takes
// the size that fits. Otherwise nothing changes. Called once, after setupUi and the
// window's fixed size.
void FitToScreen(QWidget &window);

// In a window that FitToScreen made scroll, scrolls as little as needed to bring
// `control` into view: the whole of it where it fits, else its top (a list's first
// rows). Elsewhere nothing happens.
void ShowInScrollArea(QWidget &control);
// The same for a free area of the size `room`. The window's tab order stays.
void FitToRoom(QWidget &window, QSize room);
