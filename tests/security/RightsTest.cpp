// Every console command checked against an operator who holds no right at all: each is refused
// with the right it lacks named, and nothing is written.
#include <gtest/gtest.h>

#include <fstream>

#include <fmt/format.h>

#include "ConsoleFixture.h"

namespace mfg::test {
namespace {

struct Guarded {
    std::vector<std::string> arguments;
    std::string named;  //!< what the refusal must name: the privilege number, or the administrator
};

class Rights : public ConsoleTest {
protected:
    Rights()
    {
        AddOperator("nogrant", "pw");
        // Days the calendar extension would add back, a BOM line the import would save.
        Mfg({"sql", "delete from MNF_CALENDAR where WORKDATE > '2028-12-20'"});
        std::ofstream(temporary / "bom.csv")
            << "parent,component,mnfqty,masterqty,wasterate,process\n3003,1017,3,1,0,\n";
    }

    ConsoleResult AsNoGrant(std::vector<std::string> arguments, const std::string& input = {})
    {
        arguments.insert(arguments.begin(), {"--user", "nogrant"});
        return Mfg(arguments, input, {"MFG_PASSWORD=pw"});
    }
};

//! Every command with the right it needs; "{}" stands for the test's temporary folder.
const std::vector<Guarded> Matrix{
    {{"calendar", "extend"}, "2046"},
    {{"calendar", "set", "--from", "2027-01-01", "--to", "2027-01-31", "--rest", "none"}, "2046"},
    {{"calendar", "toggle", "2026-12-10"}, "2046"},
    {{"calendar", "show", "--month", "2026-12"}, "2046"},
    {{"calendar", "check"}, "2046"},
    {{"bom", "check", "3001"}, "2047"},
    {{"bom", "audit", "3003"}, "审核权限"},
    {{"bom", "unaudit", "2008"}, "反审核权限"},
    {{"bom", "import", "{}/bom.csv"}, "2047"},
    {{"bom", "export", "3001"}, "2047"},
    {{"bom", "tree", "3001"}, "2047"},
    {{"bom", "where-used", "2008"}, "2047"},
    {{"bom", "export-tree", "3001", "--xlsx", "{}/tree.xlsx"}, "2047"},
    {{"mps", "from-sales", "--all"}, "2048"},
    {{"mps", "list"}, "2048"},
    {{"mps", "audit", "JH-2026-12-0003"}, "2048"},
    {{"mrp", "--goods", "3001:10:2026-12-20"}, "2044"},
    {{"mrp", "--goods", "3001:10:2026-12-20", "--release", "manufacture"}, "2044"},
    {{"cost", "3001"}, "2049"},
    {{"capacity", "--from", "2026-12-01", "--to", "2026-12-31"}, "2059"},
    {{"billcode", "--type", "2", "--table", "P_ORDER"}, "2002"},
    {{"billcode", "--type", "12", "--table", "S_ORDER"}, "管理员"},
    {{"sql", "update L_Goods set Name = 'x'"}, "管理员"},
    {{"sql", "select 1; delete from m_privilege"}, "管理员"},
    {{"user", "add", "someone"}, "管理员"},
    {{"init", "--force", "--demo"}, "管理员"},
    {{"call", "RUNMRP"}, "2044"},
    {{"check"}, "管理员"},
};

class RightsMatrix : public Rights, public ::testing::WithParamInterface<std::size_t> {};

INSTANTIATE_TEST_SUITE_P(Commands, RightsMatrix, ::testing::Range<std::size_t>(0, Matrix.size()));

TEST_P(RightsMatrix, RefusesAnOperatorWithoutTheRight)
{
    const Guarded& command = Matrix[GetParam()];
    std::vector<std::string> arguments;
    for (const auto& part : command.arguments) arguments.push_back(fmt::format(fmt::runtime(part), temporary.string()));
    SCOPED_TRACE(fmt::format("mfg {}", fmt::join(arguments, " ")));
    const TableHashes before = HashTables(url);
    auto result = AsNoGrant(arguments, "new-password\n");
    EXPECT_NE(result.exitCode, 0) << "not refused\n" << result.out;
    EXPECT_NE(result.err.find(command.named), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << "showed\n" << result.out;
    auto changed = ChangedTables(before, HashTables(url));
    EXPECT_TRUE(changed.empty()) << "changed " << fmt::format("{}", fmt::join(changed, ", "));
    EXPECT_FALSE(std::filesystem::exists(temporary / "tree.xlsx"));
}

TEST_F(Rights, ARunRightIsNoExportRightAndQueriesStayQueries)
{
    // The demo's planner may run the MRP but not export its results.
    auto run = Mfg({"--user", "jhy", "mrp", "--goods", "3001:10:2026-12-20"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto json = Mfg({"--user", "jhy", "mrp", "--goods", "3001:10:2026-12-20", "--json"});
    EXPECT_NE(json.exitCode, 0);
    EXPECT_NE(json.err.find("2044"), std::string::npos) << json.err;

    auto query = Mfg({"--user", "jhy", "sql", "select count(*) as n from L_Goods", "--json"});
    EXPECT_EQ(query.exitCode, 0) << query.err;
    EXPECT_NE(query.out.find("\"n\""), std::string::npos) << query.out;
    auto write = Mfg({"--user", "admin", "sql", "update L_Goods set Name = Name where 1 = 0"});
    EXPECT_EQ(write.exitCode, 0) << "the administrator writes: " << write.err;
}

}  // namespace
}  // namespace mfg::test
