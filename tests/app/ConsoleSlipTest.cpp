// The console as a planner mistypes it: every numeric argument of mfg, fed the slips people make,
// is refused with exit code 2 and a message naming the argument, and nothing is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <fmt/format.h>
#include <unistd.h>

#include "Database.h"
#include "TestDatabase.h"

namespace mfg {
namespace {

//! The slips of the corpus: text, units, signs, zero, non-finite and huge numbers, a name, nothing.
const std::vector<std::string> Slips{"abc", "12元", "-1", "0", "inf", "nan", "1e300", "O'Brien", ""};

//! One numeric argument: the command line with {} where the slip goes, the text the message must
//! hold to name the argument, and the slips that are valid values of it (left out).
struct NumericArgument {
    std::vector<std::string> arguments;
    std::string named;
    std::set<std::string> valid;
};

const std::vector<NumericArgument> Arguments{
    {{"--shop", "{}", "mps", "from-sales", "--all", "--finish", "2026-12-24"}, "--shop", {}},
    {{"init", "--synthetic", "small", "--seed", "{}"}, "--seed", {"0"}},
    {{"billcode", "--type", "{}", "--table", "P_ORDER"}, "--type", {}},
    {{"user", "add", "slip", "--grant", "{}"}, "--grant", {}},
    {{"bom", "tree", "3001", "--qty", "{}"}, "--qty", {}},
    {{"cost", "3001", "--qty", "{}"}, "--qty", {"0"}},
    {{"mrp", "--goods", "3001:{}:2026-12-24", "--release", "manufacture"}, "--goods", {}},
    {{"mrp", "--sales", "XS-2026-12-01-0001:{}", "--release", "manufacture"}, "--sales", {}},
    // Hexadecimal digits: "abc" and "1e300" are masks.
    {{"mrp", "--goods", "3001:1:2026-12-24", "--options", "{}", "--release", "manufacture"},
     "--options",
     {"abc", "0", "1e300"}},
    {{"mrp", "--goods", "3001:1:2026-12-24", "--daily-expense", "{}", "--release", "manufacture"},
     "--daily-expense",
     {"0"}},
    {{"mps", "from-sales", "XS-2026-12-01-0001:{}", "--finish", "2026-12-24"}, "XS-2026-12-01-0001:", {}},
    // The quick setting's own rules take a day 0 and a holiday with only a month (which is dropped).
    {{"calendar", "set", "--from", "2026-12-01", "--to", "2026-12-31", "--holiday", "10-{}"}, "--holiday", {"0", ""}},
    {{"calendar", "show", "--month", "2026-{}"}, "--month", {}},
};

//! Every table a console command writes, the operation log aside.
const std::vector<std::string> WrittenTables{
    "L_GoodsBom",    "L_GoodsBomProc",      "L_GoodsBomsub",    "L_Goods",           "MNF_CALENDAR",   "MNF_ManuPlan",
    "MNF_MANUORDER", "MNF_MANUORDERDETAIL", "MNF_MANUORDERSUB", "MNF_MANUORDERPROC", "CM_MACHINING",
    "P_ORDER",       "P_ORDERDETAIL",       "P_REQUEST",        "P_REQUESTDETAIL",   "m_operator",     "m_privilege",
    "AG_KEYS",       "AB_BILLPRINT"};

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ConsoleSlipTest : public ::testing::Test {
protected:
    ConsoleSlipTest()
        : url(test::CopyOfDemoDatabase(std::string("console-") +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name())),
          folder(std::filesystem::temp_directory_path() / fmt::format("mfg-slips-{}", ::getpid()))
    {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~ConsoleSlipTest() override { std::filesystem::remove_all(folder); }

    //! Runs mfg on the test's database with today fixed and a temporary folder of its own.
    int Run(const std::vector<std::string>& arguments)
    {
        std::string command = fmt::format("TMPDIR={} {} --db {} --today 2026-12-06", ShellQuoted(folder.string()),
                                          ShellQuoted(MFG_CONSOLE), ShellQuoted(url));
        for (const auto& argument : arguments) command += " " + ShellQuoted(argument);
        command += fmt::format(" >{} 2>{} </dev/null", ShellQuoted((folder / "out").string()),
                               ShellQuoted((folder / "err").string()));
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Errors() { return ReadFile(folder / "err"); }

    //! The rows of every written table, each table's rows sorted, as one text.
    std::string Contents()
    {
        auto db = OpenDatabase(url);
        std::string text;
        for (const auto& table : WrittenTables) {
            auto rows = db->Query("select * from " + table);
            std::vector<std::string> lines;
            for (const auto& row : rows.rows) {
                std::string line;
                for (const auto& value : row) line += value.AsString() + "|";
                lines.push_back(std::move(line));
            }
            std::sort(lines.begin(), lines.end());
            text += table + "\n";
            for (const auto& line : lines) text += line + "\n";
        }
        return text;
    }

    std::string url;
    std::filesystem::path folder;
};

TEST_F(ConsoleSlipTest, EveryNumericArgumentRefusesEverySlipByNameAndWritesNothing)
{
    const std::string before = Contents();
    for (const auto& argument : Arguments) {
        for (const auto& slip : Slips) {
            if (argument.valid.contains(slip)) continue;
            std::vector<std::string> line;
            for (const auto& part : argument.arguments) {
                std::string filled = part;
                if (auto at = filled.find("{}"); at != std::string::npos) filled.replace(at, 2, slip);
                line.push_back(filled);
            }
            std::string shown = fmt::format("mfg {}", fmt::join(line, " "));
            EXPECT_EQ(Run(line), 2) << shown << "\n" << Errors();
            EXPECT_NE(Errors().find(argument.named), std::string::npos) << shown << "\n" << Errors();
            EXPECT_FALSE(std::filesystem::exists(folder / "ShopCalendar.dat")) << shown;
            if (Contents() != before) {
                ADD_FAILURE() << shown << " wrote to the database";
                return;
            }
        }
    }
}

TEST_F(ConsoleSlipTest, WithoutACodeRuleForScheduleLinesFromSalesWritesNothing)
{
    OpenDatabase(url)->Execute("delete from L_BillType where id = 43");
    const std::string before = Contents();
    EXPECT_NE(Run({"mps", "from-sales", "--all", "--finish", "2026-12-24"}), 0);
    EXPECT_NE(Errors().find("单据类型 43"), std::string::npos) << Errors();
    EXPECT_TRUE(Contents() == before) << "a refused conversion wrote to the database";
}

}  // namespace
}  // namespace mfg
