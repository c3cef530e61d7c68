// Whether a window shows where the keyboard focus is. As on the desktop the
// windows were made for, a window shows it once a key has been pressed in
// it: from then on the focused control always shows that it holds the
// focus, whatever kind of control it is.
#pragma once

#include <QWidget>

namespace quorvant::ui {

// Starts watching the application's key presses (once; later calls do
// nothing). Call when the first window is made.
void watch_keyboard_use();

// Whether a key has been pressed in the window of `widget`.
bool keyboard_in_use(const QWidget& widget);

}  // namespace quorvant::ui
