#include "SuggestionRows.h"

#include "MrpEngine.h"
#include "MrpWorkbench.h"

namespace mfg {

void FillPurchaseSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsPurSug, unsigned lotFlags)
{
    CreatePurchaseSuggestions(cdsPurSug);
    engine.FillPurchaseSuggestions(cdsPurSug, lotFlags);
    cdsPurSug.First();
}

void FillManufactureSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsManuSug)
{
    CreateManufactureSuggestions(cdsManuSug);
    engine.FillManufactureSuggestions(cdsManuSug);
    cdsManuSug.First();
}

}  // namespace mfg
