#pragma once

#include "data/DataSet.h"

namespace mfg {

class MrpEngine;

//! The purchase suggestions of a run as the release reads them: the engine's columns with the
//! workbench's own (selected, goodscode, goodsname, specs, unitname), every row ticked.
void FillPurchaseSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsPurSug, unsigned lotFlags);
//! The manufacture suggestions of a run in the same way.
void FillManufactureSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsManuSug);

}  // namespace mfg
