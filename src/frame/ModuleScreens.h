#pragma once

#include <string>
#include <string_view>

#include "host/Registry.h"

namespace mfg {

//! The module's own screens by class name ("TMRPForm", "TWorkCalendarForm", ...). Each screen
//! subsystem adds its factory here when it is linked in; the entry points offer the host only the
//! screens that exist.
void AddModuleScreen(std::string className, ScreenFactory factory);
//! The factory of a screen class; empty when that screen is not part of this build.
ScreenFactory FindModuleScreen(std::string_view className);
//! Forgets every screen (tests).
void ClearModuleScreens();

}  // namespace mfg
