#include "ReleaseScreens.h"

#include "ManufactureRelease.h"
#include "PurchaseRelease.h"
#include "SuggestionReleases.h"
#include "TMakeMachiningForm.h"
#include "TMakeSorderForm.h"

namespace mfg {

std::vector<std::string> ReleasePurchaseSuggestions(DataSet& cdsPurSug, int kind, QWidget* parent)
{
    PurchaseRelease release(kind);
    return release.Release(cdsPurSug, [parent](std::int32_t, const std::string& text) {
        return TMakeMachiningForm::ChooseSupplier(text, parent);
    });
}

std::vector<std::string> ReleaseManufactureSuggestions(const MrpEngine& engine, DataSet& cdsManuSug, int kind,
                                                       QWidget* parent)
{
    ManufactureRelease release(kind);
    if (!release.Permitted()) return {};
    if (!cdsManuSug.Locate("selected", {1})) return {};
    if (!ConfirmReleaseOfTicked(cdsManuSug)) return {};
    TMakeSorderForm form(kind, engine, cdsManuSug, parent);
    if (form.ShowModal() != mrOk) return {};
    auto codes = release.Release(form.ReleaseRows(), engine);
    RecordManufactureRelease(cdsManuSug, release.Released());
    return codes;
}

}  // namespace mfg
