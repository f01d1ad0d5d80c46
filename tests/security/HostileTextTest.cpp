// Text that is no UTF-8, escape sequences and formulas in the data: refused where it enters, made
// harmless where it goes out (JSON, tables, CSV, workbooks).
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "ConsoleFixture.h"
#include "Database.h"
#include "db/Connection.h"
#include "types/Utf8.h"

namespace mfg::test {
namespace {

const std::string Replacement = "\xEF\xBF\xBD";

//! What `unzip -p` prints of one part of a workbook.
std::string WorkbookPart(const std::filesystem::path& file, const std::string& part)
{
    std::string text;
    FILE* pipe = ::popen(("unzip -p '" + file.string() + "' " + part).c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ::pclose(pipe);
    return text;
}

class HostileText : public ConsoleTest {
protected:
    //! What `mfg` writes when its output is a terminal.
    std::string OnTerminal(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> all{MFG_CONSOLE, "--db", url, "--today", "2026-12-06"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        int terminal = -1;
        pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            ::setenv("TMPDIR", temporary.c_str(), 1);
            std::vector<char*> argv;
            for (auto& argument : all) argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(MFG_CONSOLE, argv.data());
            ::_exit(127);
        }
        std::string out;
        char buffer[4096];
        for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
        ::waitpid(child, nullptr, 0);
        ::close(terminal);
        return out;
    }
};

TEST_F(HostileText, TextThatIsNoUtf8IsRefusedWhereItEnters)
{
    const auto before = HashTables(url);
    auto literal = Mfg({"sql", "update L_Goods set Name = 'bad\xFF' where Code = '3001'"});
    EXPECT_NE(literal.exitCode, 0);
    EXPECT_NE(literal.err.find("不是 UTF-8"), std::string::npos) << literal.err;

    {
        auto db = OpenDatabase(url);
        try {
            db->Execute("update L_Goods set Name = :Name where Code = '3001'", {{"Name", std::string("bad\xC3")}});
            ADD_FAILURE() << "a parameter that is no UTF-8 was written";
        } catch (const DbError& error) {
            EXPECT_NE(std::string(error.what()).find("参数 Name 含有不是 UTF-8 的字节"), std::string::npos) << error.what();
        }
    }

    const auto file = temporary / "bad.csv";
    std::ofstream(file, std::ios::binary) << "parent,component,mnfqty,masterqty,wasterate,process\n"
                                          << "3001,1001,1,1,0,\n3001,10\xFF" "02,1,1,0,\n";
    auto import = Mfg({"bom", "import", file.string()});
    EXPECT_NE(import.exitCode, 0);
    EXPECT_NE(import.err.find("第 3 行含有不是 UTF-8 的字节"), std::string::npos) << import.err;
    EXPECT_EQ(ChangedTables(before, HashTables(url)), std::vector<std::string>{}) << "nothing of it is written";
}

TEST_F(HostileText, OldTextThatIsNoUtf8GoesOutReplaced)
{
    if (OnPostgres()) GTEST_SKIP() << "the server keeps no text that is not UTF-8";
    // Text stored before input was checked, as another program may have left it.
    OpenDatabase(url)->ExecuteNative("update L_Goods set Name = Name || cast(x'ff' as text)");

    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"sql", "--json", "select Code, Name from L_Goods"},
          {"bom", "export", "3001", "--json"},
          {"bom", "tree", "3001", "--json"},
          {"mps", "list", "--json"},
          {"mrp", "--mps", "all", "--json"}}) {
        auto result = Mfg(command);
        SCOPED_TRACE(command.front() + " " + command[1] + "\n" + result.err);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(ValidUtf8(result.out));
        EXPECT_NO_THROW((void)nlohmann::json::parse(result.out));
        EXPECT_NE(result.out.find(Replacement), std::string::npos);
    }
    auto table = Mfg({"sql", "select Code, Name from L_Goods"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_TRUE(ValidUtf8(table.out));

    const auto workbook = temporary / "mrp.xlsx";
    auto exported = Mfg({"mrp", "--mps", "all", "--xlsx", workbook.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    std::string strings = WorkbookPart(workbook, "xl/sharedStrings.xml");
    ASSERT_FALSE(strings.empty());
    EXPECT_TRUE(ValidUtf8(strings));
    EXPECT_NE(strings.find(Replacement), std::string::npos);
}

TEST_F(HostileText, EscapeSequencesAndFormulasStayText)
{
    {
        auto db = OpenDatabase(url);
        db->Execute("update L_Goods set Name = :Name where Code = '1001'", {{"Name", std::string("\x1b[2J\x1b]0;pwned\x07")}});
        db->Execute("update L_Goods set Code = :Code where Code = '2007'", {{"Code", std::string("=HYPERLINK(\"x\")")}});
        db->Execute("update L_Goods set Code = :Code where Code = '1037'", {{"Code", std::string("'-1+2")}});
    }
    auto table = Mfg({"sql", "select Code, Name from L_Goods where Code = '1001'"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_EQ(table.out.find('\x1b'), std::string::npos) << "a terminal would obey it";
    EXPECT_EQ(table.out.find('\x07'), std::string::npos);
    EXPECT_NE(table.out.find("\\x1b[2J"), std::string::npos) << table.out;
    // Not only tables: nothing a command prints reaches a terminal as a control character.
    OpenDatabase(url)->Execute("update L_Goods set Name = :Name where Code = '2001'", {{"Name", std::string("\x1b[2J")}});
    const std::string tree = OnTerminal({"bom", "tree", "3001"});
    EXPECT_NE(tree.find("2001"), std::string::npos) << tree;
    EXPECT_EQ(tree.find('\x1b'), std::string::npos) << tree;

    // 3003's BOM is not audited, so that it can be imported again.
    auto csv = Mfg({"bom", "export", "3003", "--csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    EXPECT_NE(csv.out.find("\n3003,\"'=HYPERLINK(\"\"x\"\")\",2,"), std::string::npos) << csv.out;
    EXPECT_NE(csv.out.find("\n3003,''-1+2,1,"), std::string::npos) << csv.out;
    EXPECT_EQ(csv.out.find(",'1"), std::string::npos) << "numbers stay numbers";

    // The file goes back in as it came out.
    const auto before = Mfg({"bom", "export", "3003", "--json"});
    const auto file = temporary / "3003.csv";
    std::ofstream(file, std::ios::binary) << csv.out;
    auto import = Mfg({"bom", "import", file.string()});
    EXPECT_EQ(import.exitCode, 0) << import.out << import.err;
    auto lines = [](const std::string& json) {
        auto all = nlohmann::json::parse(json)["lines"];
        for (auto& line : all) line = nlohmann::json{{"code", line["GoodsCode"]}, {"qty", line["MnfQty"]}};
        return all;
    };
    EXPECT_EQ(lines(Mfg({"bom", "export", "3003", "--json"}).out), lines(before.out));

    const auto workbook = temporary / "tree.xlsx";
    auto exported = Mfg({"bom", "export-tree", "3003", "--xlsx", workbook.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    std::string sheet = WorkbookPart(workbook, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(sheet.find("<f>"), std::string::npos) << "no cell is a formula";
    EXPECT_NE(WorkbookPart(workbook, "xl/sharedStrings.xml").find("=HYPERLINK"), std::string::npos);
}

}  // namespace
}  // namespace mfg::test
