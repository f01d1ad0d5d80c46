#include "Manufacture.h"

#include <array>
#include <string>

#include "ModuleScreens.h"
#include "MrpDB.h"
#include "host/Dialogs.h"
#include "host/Registry.h"
#include "host/Users.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

std::unique_ptr<TMrpDB> mrpDB;

struct RegisteredScreen {
    const char* name;
    const char* className;
    int privilege;
};

// In the order the host's menu lists them.
constexpr std::array<RegisteredScreen, 5> kScreens{{
    {"WorkCalendarForm", "TWorkCalendarForm", 2046},
    {"GoodsBomForm", "TGoodsBomForm", 2047},
    {"GoodsUsedBomForm", "TGoodsUsedBomForm", 2047},
    {"GoodsPriceCalcForm", "TGoodsPriceCalcForm", 2049},
    {"WideCapacityForm", "TWideCapacityForm", 2059},
}};

constexpr unsigned kOpenedMessage = 0x0400 + 1924;

std::int32_t CallEntry(std::string_view name, std::string_view argument, void* params)
{
    std::string n(name), a(argument);
    return Manufacture_Call(n.c_str(), a.c_str(), params);
}

//! RUNMRP and SORDERTOMPS: one modal screen, gone when the command returns.
void RunModal(int privilege, std::string_view className)
{
    if (!HasNewPrivilege2(privilege, 5, true)) return;
    auto factory = FindModuleScreen(className);
    if (!factory) return;
    auto screen = factory();
    screen->ShowModal();
}

void ShowRegistered(const std::string& argument)
{
    int kind = argument == "WIDECAPACITYFORM" ? 5 : 1;
    auto screen = GetPrivilegedForm(argument, kind);
    if (!screen) return;
    screen->Perform(kOpenedMessage, 0, 0);
    screen->Show();
}

}  // namespace

TMrpDB* MrpDB() { return mrpDB.get(); }

}  // namespace mfg

extern "C" void ManufactureLoad()
{
    using namespace mfg;
    mrpDB = std::make_unique<TMrpDB>();
    for (const auto& screen : kScreens)
        if (auto factory = FindModuleScreen(screen.className))
            RegisterPrivilegedForm(screen.name, screen.privilege, factory, screen.className);
    for (const char* command : {"RUNMRP", "SORDERTOMPS", "SHOWMNFFORM"}) RegistFunction(command, CallEntry);
}

extern "C" void ManufactureUnload() { mfg::mrpDB.reset(); }

extern "C" std::int32_t Manufacture_Call(const char* name, const char* argument, void*)
{
    using namespace mfg;
    std::string command = ToUpperAscii(name ? name : "");
    std::string arg = ToUpperAscii(argument ? argument : "");
    try {
        if (command == "RUNMRP") RunModal(2044, "TMRPForm");
        else if (command == "SORDERTOMPS") RunModal(2048, "TSorderToMPSForm");
        else if (command == "SHOWMNFFORM") ShowRegistered(arg);
    } catch (const std::exception& e) {
        // No error crosses into the host: the user is told, the host gets 0 as always.
        ShowError(e);
    }
    return 0;
}
