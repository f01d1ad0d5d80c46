#pragma once

class QWidget;

namespace mfg {

//! Gives every control of a window that has no accessible name yet the name a screen reader
//! announces: an input takes the text of the caption just before it in its layout (a label of
//! words, not a number or a dash), and so does a grid, or else the title of its tab page or
//! group, or else the window's title. The control a composite control hands its focus to (a look-up combo's edit)
//! takes the same name, as does the frozen-column view of a grid. Controls already named keep
//! their names.
void NameControls(QWidget& window);

}  // namespace mfg
