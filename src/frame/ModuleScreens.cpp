#include "ModuleScreens.h"

#include <unordered_map>

#include "types/TextUtil.h"

namespace mfg {
namespace {

std::unordered_map<std::string, ScreenFactory, NoCaseHash, NoCaseEqual>& Screens()
{
    static std::unordered_map<std::string, ScreenFactory, NoCaseHash, NoCaseEqual> screens;
    return screens;
}

}  // namespace

void AddModuleScreen(std::string className, ScreenFactory factory) { Screens()[std::move(className)] = std::move(factory); }

ScreenFactory FindModuleScreen(std::string_view className)
{
    auto it = Screens().find(std::string(className));
    return it == Screens().end() ? ScreenFactory() : it->second;
}

void ClearModuleScreens() { Screens().clear(); }

}  // namespace mfg
