#pragma once

#include <functional>

class QWidget;

namespace mfg {

//! Where a screen opened without waiting goes: the desktop host sets a placement that makes it an
//! MDI child of its main window; without one the screen becomes a window of its own.
using ScreenPlacement = std::function<void(QWidget* screen)>;

//! Sets the placement of non-modal screens (empty: windows of their own).
void SetScreenPlacement(ScreenPlacement placement);
//! Shows a screen non-modally through the placement in force.
void PlaceScreen(QWidget* screen);

}  // namespace mfg
