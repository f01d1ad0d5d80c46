#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "HostFixture.h"
#include "host/Registry.h"

namespace mfg {
namespace {

class FakeScreen : public Screen {
public:
    explicit FakeScreen(std::string name) : name(std::move(name)) {}
    void Show() override {}
    int ShowModal() override { return 1; }
    std::string name;
};

//! A registry whose privilege check answers from a set of granted (number, kind) and records what
//! it was asked.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest()
        : registry([this](int number, int kind) {
              asked.emplace_back(number, kind);
              return granted.count({number, kind}) > 0;
          })
    {
    }

    ScreenFactory Factory(std::string name)
    {
        return [this, name] {
            ++created;
            return std::make_unique<FakeScreen>(name);
        };
    }

    std::set<std::pair<int, int>> granted;
    std::vector<std::pair<int, int>> asked;
    int created = 0;
    Registry registry;
};

std::string NameOf(const std::unique_ptr<Screen>& screen) { return dynamic_cast<FakeScreen&>(*screen).name; }

TEST_F(RegistryTest, GetPrivilegedFormCreatesOnlyWhenTheKindOfTheScreensPrivilegeIsHeld)
{
    registry.RegisterPrivilegedForm("WorkCalendarForm", 2046, Factory("calendar"), "TWorkCalendarForm");
    registry.RegisterPrivilegedForm("WideCapacityForm", 2059, Factory("capacity"), "TWideCapacityForm");
    granted = {{2059, 5}, {2046, 1}};

    auto capacity = registry.GetPrivilegedForm("WIDECAPACITYFORM", 5);
    ASSERT_TRUE(capacity);
    EXPECT_EQ(NameOf(capacity), "capacity");
    EXPECT_EQ(asked.back(), std::make_pair(2059, 5));

    EXPECT_FALSE(registry.GetPrivilegedForm("widecapacityform", 1)) << "kind 1 of 2059 is not held";
    EXPECT_EQ(created, 1) << "a refused screen is never built";
    ASSERT_TRUE(registry.GetPrivilegedForm("workcalendarform", 1));

    asked.clear();
    EXPECT_FALSE(registry.GetPrivilegedForm("NoSuchForm", 1));
    EXPECT_TRUE(asked.empty()) << "an unknown name asks no privilege";

    EXPECT_EQ(registry.GetPrivilegedFormID("TWideCapacityForm"), 2059);
    EXPECT_EQ(registry.GetPrivilegedFormID("twidecapacityform"), 2059);
    EXPECT_EQ(registry.GetPrivilegedFormID("WorkCalendarForm"), 2046) << "the registry name answers too";
    EXPECT_EQ(registry.GetPrivilegedFormID("TNoSuchForm"), std::nullopt);
}

TEST_F(RegistryTest, RegisteringANameAgainReplacesItInPlaceAndUnregisterRemovesIt)
{
    registry.RegisterPrivilegedForm("GoodsBomForm", 2047, Factory("bom"));
    registry.RegisterPrivilegedForm("GoodsUsedBomForm", 2047, Factory("used"));
    registry.RegisterPrivilegedForm("GOODSBOMFORM", 2049, Factory("bom2"));
    auto forms = registry.Forms();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0].name, "GOODSBOMFORM");
    EXPECT_EQ(forms[0].privilege, 2049);
    EXPECT_EQ(forms[0].className, "GOODSBOMFORM") << "without a class the name stands for it";
    EXPECT_EQ(forms[1].name, "GoodsUsedBomForm");

    EXPECT_TRUE(registry.UnregisterPrivilegedForm("goodsbomform"));
    EXPECT_FALSE(registry.UnregisterPrivilegedForm("goodsbomform"));
    EXPECT_FALSE(registry.HasForm("GoodsBomForm"));
    EXPECT_THROW(registry.RegisterPrivilegedForm("", 1, Factory("x")), std::invalid_argument);
    EXPECT_THROW(registry.RegisterPrivilegedForm("X", 1, nullptr), std::invalid_argument);
}

TEST_F(RegistryTest, FunctionsAreCalledByNameWithoutCaseAndReceiveTheRegisteredName)
{
    std::vector<std::string> calls;
    int block = 0;
    auto call = [&](std::string_view name, std::string_view argument, void* params) {
        calls.push_back(std::string(name) + "|" + std::string(argument));
        EXPECT_EQ(params, &block);
        return 0;
    };
    registry.RegistFunction("RUNMRP", call);
    registry.RegistFunction("SHOWMNFFORM", call);

    EXPECT_EQ(registry.CallFunction("runmrp", "", &block), 0);
    EXPECT_EQ(registry.CallFunction("ShowMnfForm", "GoodsBomForm", &block), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"RUNMRP|", "SHOWMNFFORM|GoodsBomForm"}));
    EXPECT_EQ(registry.CallFunction("SORDERTOMPS"), std::nullopt);
    EXPECT_EQ(registry.FunctionNames(), (std::vector<std::string>{"RUNMRP", "SHOWMNFFORM"}));

    registry.RegistFunction("UNLOAD", [&](std::string_view name, std::string_view, void*) {
        registry.UnregisterFunction(name);
        return static_cast<std::int32_t>(name.size());
    });
    EXPECT_EQ(registry.CallFunction("unload"), 6) << "a command may remove itself while it runs";
    EXPECT_FALSE(registry.HasFunction("UNLOAD"));
    EXPECT_THROW(registry.RegistFunction("X", nullptr), std::invalid_argument);
}

TEST_F(RegistryTest, UnregisterModuleRemovesWhatTheModuleRegisteredAndNothingElse)
{
    registry.RegisterPrivilegedForm("HostForm", 1, Factory("host"));
    registry.RegistFunction("HOSTCMD", [](std::string_view, std::string_view, void*) { return 0; });
    {
        Registry::ModuleScope loading(registry, "PK_Manufacture");
        registry.RegisterPrivilegedForm("GoodsBomForm", 2047, Factory("bom"));
        registry.RegistFunction("RUNMRP", [](std::string_view, std::string_view, void*) { return 0; });
    }
    registry.RegisterPrivilegedForm("LaterHostForm", 1, Factory("later"));
    EXPECT_EQ(registry.Forms()[1].module, "PK_Manufacture");
    EXPECT_EQ(registry.Forms()[2].module, "") << "the tag ends with the scope";

    registry.UnregisterModule("pk_manufacture");
    EXPECT_FALSE(registry.HasForm("GoodsBomForm"));
    EXPECT_FALSE(registry.HasFunction("RUNMRP"));
    EXPECT_TRUE(registry.HasForm("HostForm"));
    EXPECT_TRUE(registry.HasForm("LaterHostForm"));
    EXPECT_TRUE(registry.HasFunction("HOSTCMD"));
}

class DefaultRegistryTest : public test::DemoHostTest {};

TEST_F(DefaultRegistryTest, TheHostCheckAsksTheCurrentUsersGrantsAndTellsARefusal)
{
    Registry registry;
    registry.RegisterPrivilegedForm("WideCapacityForm", 2059,
                                    [] { return std::make_unique<FakeScreen>("capacity"); });
    registry.RegisterPrivilegedForm("GoodsPriceCalcForm", 2049,
                                    [] { return std::make_unique<FakeScreen>("cost"); });
    host.SetUser(2, "计划员");
    EXPECT_TRUE(registry.GetPrivilegedForm("WIDECAPACITYFORM", 5));
    EXPECT_FALSE(registry.GetPrivilegedForm("GOODSPRICECALCFORM", 1));
    EXPECT_EQ(dialogs.Texts(MessageKind::Warning).size(), 1u);

    host.SetUser(1, "管理员");
    EXPECT_TRUE(registry.GetPrivilegedForm("GOODSPRICECALCFORM", 1));
}

}  // namespace
}  // namespace mfg
