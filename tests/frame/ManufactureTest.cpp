// The module's door: dispatch of the registered commands, case ignored, with the privilege kinds
// the host is asked for, and a data module that lives from load to unload.
#include <gtest/gtest.h>

#include "Manufacture.h"
#include "ModuleScreens.h"
#include "MrpDB.h"
#include "host/HostFixture.h"
#include "host/Registry.h"
#include "host/Users.h"

namespace mfg {
namespace {

struct Calls {
    std::vector<std::string> events;
};

class CountingScreen : public Screen {
public:
    CountingScreen(Calls& calls, std::string name) : calls(calls), name(std::move(name)) {}
    void Show() override { calls.events.push_back("show " + name); }
    int ShowModal() override
    {
        calls.events.push_back("modal " + name);
        return 2;
    }
    void Perform(unsigned message, std::intptr_t, std::intptr_t) override
    {
        calls.events.push_back(name + " message " + std::to_string(message));
    }

private:
    Calls& calls;
    std::string name;
};

class ManufactureTest : public test::DemoHostTest {
protected:
    void SetUp() override
    {
        for (auto name : {"TMRPForm", "TSorderToMPSForm", "TWorkCalendarForm", "TWideCapacityForm"})
            AddModuleScreen(name, [this, name] { return std::make_unique<CountingScreen>(calls, name); });
        HostRegistry().Clear();
        ManufactureLoad();
    }
    void TearDown() override
    {
        ManufactureUnload();
        ClearModuleScreens();
        HostRegistry().Clear();
    }
    Calls calls;
};

TEST_F(ManufactureTest, LoadRegistersTheScreensThatExistAndTheCommands)
{
    ASSERT_NE(MrpDB(), nullptr);
    EXPECT_EQ(HostRegistry().FunctionNames(), (std::vector<std::string>{"RUNMRP", "SORDERTOMPS", "SHOWMNFFORM"}));
    auto forms = HostRegistry().Forms();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0].name, "WorkCalendarForm");
    EXPECT_EQ(HostRegistry().GetPrivilegedFormID("TWideCapacityForm"), 2059);
}

TEST_F(ManufactureTest, CommandsIgnoreCaseAndUnknownOnesDoNothing)
{
    EXPECT_EQ(Manufacture_Call("runmrp", "", nullptr), 0);
    EXPECT_EQ(Manufacture_Call("SOrderToMps", "", nullptr), 0);
    EXPECT_EQ(Manufacture_Call("showmnfform", "workcalendarform", nullptr), 0);
    EXPECT_EQ(Manufacture_Call("WIDECAPACITYFORM", "", nullptr), 0);
    EXPECT_EQ(Manufacture_Call("SHOWMNFFORM", "NoSuchForm", nullptr), 0);
    EXPECT_EQ(Manufacture_Call("", nullptr, nullptr), 0);
    EXPECT_EQ(calls.events, (std::vector<std::string>{"modal TMRPForm", "modal TSorderToMPSForm",
                                                      "TWorkCalendarForm message 2948", "show TWorkCalendarForm"}));
    // Through the host's function registry the registered name arrives as the command.
    calls.events.clear();
    HostRegistry().CallFunction("Runmrp", "", nullptr);
    EXPECT_EQ(calls.events, std::vector<std::string>{"modal TMRPForm"});
}

TEST_F(ManufactureTest, TheCapacityScreenNeedsKindFiveOthersKindOne)
{
    Users users(host.DBStartup());
    SetCurrentUsers(&users);
    NewUser newUser;
    newUser.code = "p1";
    newUser.name = "排程员";
    int planner = users.AddUser(newUser);
    host.SetUser(planner, "排程员");
    users.Grant(planner, 2046, 1);
    users.Grant(planner, 2059, 1);
    dialogs.Answer({});
    Manufacture_Call("SHOWMNFFORM", "WideCapacityForm", nullptr);
    Manufacture_Call("SHOWMNFFORM", "WorkCalendarForm", nullptr);
    EXPECT_EQ(calls.events, (std::vector<std::string>{"TWorkCalendarForm message 2948", "show TWorkCalendarForm"}));
    users.Grant(planner, 2059, 5);
    calls.events.clear();
    Manufacture_Call("SHOWMNFFORM", "widecapacityform", nullptr);
    EXPECT_EQ(calls.events, (std::vector<std::string>{"TWideCapacityForm message 2948", "show TWideCapacityForm"}));
    SetCurrentUsers(nullptr);
}

TEST_F(ManufactureTest, UnloadTwiceIsHarmless)
{
    ManufactureUnload();
    EXPECT_EQ(MrpDB(), nullptr);
    ManufactureUnload();
    EXPECT_EQ(MrpDB(), nullptr);
}

}  // namespace
}  // namespace mfg
