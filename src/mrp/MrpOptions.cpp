// Option names as the workbench and the console spell them.
#include <array>
#include <utility>

#include "MrpEngine.h"

namespace mfg {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint32_t>, 16> OptionNames{{
    {"optOnhand", optOnhand},           {"optSafeQty", optSafeQty},       {"optWasteQty", optWasteQty},
    {"optUsedQty", optUsedQty},         {"optSaleQty", optSaleQty},       {"optPurchaseQty", optPurchaseQty},
    {"optManufactureQty", optManufactureQty}, {"optAhead", optAhead}, {"optSub", optSub},
    {"optManuOrder", optManuOrder},     {"optRequest", optRequest},       {"optDistribute", optDistribute},
    {"optOverSOrder", optOverSOrder},   {"optOverPOrder", optOverPOrder}, {"optProductQty", optProductQty},
    {"optPrequest", optPrequest},
}};

}  // namespace

std::uint32_t MrpOptionByName(std::string_view name)
{
    for (const auto& [optionName, bit] : OptionNames)
        if (optionName == name) return bit;
    return 0;
}

std::vector<std::string_view> MrpOptionNames()
{
    std::vector<std::string_view> names;
    for (const auto& entry : OptionNames) names.push_back(entry.first);
    return names;
}

}  // namespace mfg
