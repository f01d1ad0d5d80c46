#pragma once

#include <functional>

class QRect;
class QWidget;

namespace mfg {

//! Where a screen opened without waiting goes: the desktop host sets a placement that makes it an
//! MDI child of its main window; without one the screen becomes a window of its own.
using ScreenPlacement = std::function<void(QWidget* screen)>;

//! Sets the placement of non-modal screens (empty: windows of their own).
void SetScreenPlacement(ScreenPlacement placement);
//! Shows a screen non-modally through the placement in force.
void PlaceScreen(QWidget* screen);

//! Centres a window about to be shown modally over the window it belongs to (the active one when
//! it has none), shrunk where needed so that all of it, frame included, lies inside the available
//! area of that screen.
void PlaceDialog(QWidget& dialog);
//! Places a drop-down list under `anchor` (global coordinates), or above it where the screen has
//! no room below, moved and shrunk so that all of it lies inside the available area of the screen.
void PlacePopup(QWidget& popup, const QRect& anchor);

}  // namespace mfg
