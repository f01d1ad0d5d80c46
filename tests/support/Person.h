#pragma once
// A person at the keyboard and the mouse: keys go wherever the focus is at that moment, and a
// click lands on whatever widget lies on top at that point of the screen. A test drives a screen
// through these, never by sending events to a widget it names.

#include <QPoint>
#include <QWidget>

#include <string_view>

#include "DbGrid.h"

namespace mfg::test {

//! Presses and releases a key on the widget that has the keyboard: an open pop-up's, else
//! QApplication::focusWidget(); with no window active, the one in front becomes active first.
void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
//! Types `text` one character at a time, each to whatever has the focus at that moment; a
//! character beyond ASCII ("元") comes as an input method hands it over, as text without a key code.
void TypeText(std::string_view text);
//! Clicks (or double-clicks) at `local` of `reference`, landing on the widget on top at that point
//! of the screen, which need not be `reference`.
void ClickAt(QWidget& reference, QPoint local, Qt::MouseButton button = Qt::LeftButton, bool doubleClick = false);
//! Clicks the middle of the cell of `row` under `field` where the grid shows it: in the frozen
//! columns' overlay when the column is frozen.
void ClickCellOnScreen(DbGrid& grid, int row, std::string_view field, Qt::MouseButton button = Qt::LeftButton,
                       bool doubleClick = false);

}  // namespace mfg::test
