#pragma once

#include "data/DataSet.h"

namespace mfg {

class MrpEngine;

//! The purchase suggestions of a run as the workbench lists them, every row ticked: what the
//! console releases without a screen.
void FillPurchaseSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsPurSug, unsigned lotFlags);
//! The manufacture suggestions of a run in the same way.
void FillManufactureSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsManuSug);

}  // namespace mfg
