#pragma once

#include <cstdint>
#include <memory>

namespace mfg {
class TMrpDB;
//! MrpDB: the module's data module, from ManufactureLoad to ManufactureUnload.
TMrpDB* MrpDB();
}  // namespace mfg

//! The module's entry points, found by name when the host loads libPK_Manufacture.so.
extern "C" {
//! Creates the data module and registers the module's screens and commands with the host.
void ManufactureLoad();
//! Destroys the data module; a second call finds none and does nothing.
void ManufactureUnload();
//! Runs a registered command ("RUNMRP", "SORDERTOMPS", "SHOWMNFFORM" with a screen name), names
//! compared without case; the parameter block is passed through untouched. Always 0.
std::int32_t Manufacture_Call(const char* name, const char* argument, void* params);
}
