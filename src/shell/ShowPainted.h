#pragma once

class QWidget;

// Shows a top-level window and returns once it is on the screen and painted. On X11
// a new window can be drawn only after the server has mapped and exposed it; until
// then a repaint is lost. The wait is bounded (MaxExposeWaitMs), and the user's input
// meanwhile waits in the queue.
void ShowPainted(QWidget &window);

inline constexpr int MaxExposeWaitMs = 2000;
