// Every console argument that reaches a statement, fed with injection payloads: whatever the
// command answers, no table may change.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "ConsoleFixture.h"

namespace mfg::test {
namespace {

const std::vector<std::string> Payloads{
    "P_ORDER; update m_operator set IsAdmin=1 where Code='jhy'; --",
    "x'; update m_operator set IsAdmin=1 where Code='jhy'; --",
    "x\"; delete from L_Goods; --",
    "x]; delete from L_Goods; --",
    "' or '1'='1",
    "1); delete from m_privilege; --",
    "P_ORDER where 1=0; delete from L_Goods",
    "2026-12-01'; delete from MNF_CALENDAR; --",
};

//! A command with the place of the payload marked "{}".
const std::vector<std::vector<std::string>> Commands{
    {"billcode", "--type", "2", "--table", "{}"},
    {"billcode", "--type", "2", "--table", "P_ORDER", "--date", "{}"},
    {"--user", "{}", "bom", "check", "3001"},
    {"bom", "check", "{}"},
    {"bom", "audit", "{}"},
    {"bom", "unaudit", "{}"},
    {"bom", "tree", "{}"},
    {"bom", "where-used", "{}"},
    {"bom", "export", "{}", "--json"},
    {"cost", "{}"},
    {"mps", "audit", "{}"},
    {"mps", "from-sales", "{}"},
    {"mrp", "--mps", "{}"},
    {"mrp", "--sales", "{}"},
    {"mrp", "--goods", "{}:10:2026-12-20"},
    {"mrp", "--goods", "3001:10:2026-12-20", "--release", "purchase", "--trader", "{}"},
    {"mrp", "--goods", "3001:10:2026-12-20", "--release", "manufacture", "--workshop", "{}"},
    {"capacity", "--from", "2026-12-01", "--to", "2026-12-31", "--workshop", "{}"},
    {"calendar", "show", "--month", "{}"},
    {"calendar", "toggle", "{}"},
    {"login", "{}"},
};

class Injection : public ConsoleTest {};

//! One command of the table with every payload in its marked place.
class InjectedCommand : public ConsoleTest, public ::testing::WithParamInterface<std::size_t> {};

INSTANTIATE_TEST_SUITE_P(Commands, InjectedCommand, ::testing::Range<std::size_t>(0, Commands.size()));

TEST_P(InjectedCommand, NoPayloadChangesATable)
{
    const auto& command = Commands[GetParam()];
    const TableHashes before = HashTables(url);
    std::string errors;
    for (const auto& payload : Payloads) {
        std::vector<std::string> arguments;
        for (const auto& part : command) arguments.push_back(fmt::format(fmt::runtime(part), payload));
        errors += Mfg(arguments, "x\n").err;
    }
    auto changed = ChangedTables(before, HashTables(url));
    EXPECT_TRUE(changed.empty()) << fmt::format("mfg {} with the payloads changed {}\n{}", fmt::join(command, " "),
                                                fmt::join(changed, ", "), errors);
}

TEST_F(Injection, BillCodeTakesOnlyATableOfTheSchema)
{
    auto injected = Mfg({"--user", "jhy", "billcode", "--type", "5", "--table",
                         "P_ORDER; update m_operator set IsAdmin=1 where Code='jhy'; --"});
    EXPECT_NE(injected.exitCode, 0);
    EXPECT_NE(injected.err.find("没有单据表"), std::string::npos) << injected.err;
    auto admin = Mfg({"sql", "select IsAdmin from m_operator where Code = 'jhy'", "--json"});
    EXPECT_NE(admin.out.find("\"IsAdmin\": 0"), std::string::npos) << admin.out;

    auto named = Mfg({"billcode", "--type", "2", "--table", "p_order"});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(named.out, "CG-2026-12-0004\n") << "a table of the schema is named without regard to case";
}

}  // namespace
}  // namespace mfg::test
