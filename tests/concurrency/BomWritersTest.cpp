// Users writing one parent's BOM at the same moment, each through a console of its own: imports
// of different files and an import beside an audit. Each writer holds the parent from its read to
// its write, so the parent ends with the lines of one writer whole and one audit state.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <fmt/format.h>

#include "ConsoleRun.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

constexpr int kRounds = 6;
constexpr int kImporters = 4;
constexpr int kParent = 11;  // 车架组件 2001, four lines in the demo

class BomWriters : public ::testing::Test {
protected:
    BomWriters() : url(CopyOfDemoDatabase(Name())), db(OpenDatabase(url)), folder(TempFolder()) {}

    static std::string Name() { return std::string("bom-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    static std::string TempFolder()
    {
        auto path = std::filesystem::temp_directory_path() / fmt::format("mfg-bom-writers-{}", ::getpid());
        std::filesystem::create_directories(path);
        return path.string();
    }

    ~BomWriters() override { std::filesystem::remove_all(folder); }

    ConsoleResult Mfg(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--db", url, "--today", "2026-12-06"});
        return RunConsole(arguments);
    }

    //! Runs the commands at once, each in a console of its own, and returns what each said.
    std::vector<ConsoleResult> AtOnce(const std::vector<std::vector<std::string>>& commands) const
    {
        std::vector<ConsoleResult> results(commands.size());
        std::vector<std::thread> users;
        for (size_t i = 0; i < commands.size(); ++i)
            users.emplace_back([&, i] { results[i] = Mfg(commands[i]); });
        for (auto& user : users) user.join();
        return results;
    }

    std::string WriteFile(const std::string& name, const std::string& text) const
    {
        std::string path = folder + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    //! The parent's component codes and whether its item numbers are all different.
    std::set<std::string> Components(bool& itemNosDistinct) const
    {
        auto rows = db->Query(fmt::format(
            "select g.Code, m.ItemNo from L_GoodsBom m join L_Goods g on g.GoodsID = m.ElemGID where m.GoodsID = {}", kParent));
        std::set<std::string> codes;
        std::set<std::int64_t> itemNos;
        for (const auto& row : rows.rows) {
            codes.insert(row[0].AsString());
            itemNos.insert(row[1].AsInteger());
        }
        itemNosDistinct = itemNos.size() == rows.rows.size();
        return codes;
    }

    void Unaudit() const { db->Execute(fmt::format("update L_GoodsBom set State = 0, Checkorid = null where GoodsID = {}", kParent)); }

    std::string url;
    std::unique_ptr<Connection> db;
    std::string folder;
};

//! A console that did not save says why in its own words, not in the database's.
void ExpectSavedOrRefusedInWords(const ConsoleResult& result)
{
    if (result.exitCode == 0) return;
    std::string said = result.out + result.err;
    EXPECT_FALSE(said.empty());
    for (const char* raw : {"UNIQUE constraint", "duplicate key", "database is locked", "deadlock"})
        EXPECT_EQ(said.find(raw), std::string::npos) << said;
}

TEST_F(BomWriters, ConcurrentImportsOfOneParentNeverMerge)
{
    Unaudit();
    const std::string base = Mfg({"bom", "export", "2001", "--csv"}).out;
    ASSERT_NE(base.find("2001,"), std::string::npos) << base;
    auto extras = db->Query(fmt::format("select top {} Code from L_Goods where Kind = 1 and Closed = 0 and GoodsID not in "
                                        "(select ElemGID from L_GoodsBom where GoodsID = {}) order by Code",
                                        kImporters, kParent));
    ASSERT_EQ(extras.rows.size(), static_cast<size_t>(kImporters));
    std::vector<std::set<std::string>> files;
    std::vector<std::vector<std::string>> imports;
    bool distinct = false;
    const std::set<std::string> stored = Components(distinct);
    for (int i = 0; i < kImporters; ++i) {
        const std::string extra = extras.rows[static_cast<size_t>(i)][0].AsString();
        imports.push_back({"bom", "import", WriteFile(fmt::format("import{}.csv", i), base + "2001," + extra + ",1,1,0,\n")});
        files.push_back(stored);
        files.back().insert(extra);
    }
    for (int round = 0; round < kRounds; ++round) {
        auto results = AtOnce(imports);
        int saved = 0;
        for (const auto& result : results) {
            saved += result.exitCode == 0;
            ExpectSavedOrRefusedInWords(result);
        }
        EXPECT_GE(saved, 1) << "round " << round;
        auto lines = Components(distinct);
        EXPECT_TRUE(distinct) << "round " << round << ": two lines with one ItemNo";
        EXPECT_NE(std::find(files.begin(), files.end(), lines), files.end())
            << "round " << round << ": the BOM has " << lines.size() << " lines, no file's whole set";
    }
}

TEST_F(BomWriters, AnImportBesideAnAuditLeavesOneAuditState)
{
    const std::string base = Mfg({"bom", "export", "2001", "--csv"}).out;
    auto extra = db->Query(fmt::format("select top 1 Code from L_Goods where Kind = 1 and Closed = 0 and GoodsID not in "
                                       "(select ElemGID from L_GoodsBom where GoodsID = {}) order by Code",
                                       kParent))
                     .FirstValue()
                     .AsString();
    // One file adds a component, the other takes it away again: every round the import changes the lines.
    const std::string files[] = {WriteFile("more.csv", base + "2001," + extra + ",1,1,0,\n"),
                                 WriteFile("base.csv", base)};
    for (int round = 0; round < kRounds; ++round) {
        Unaudit();
        auto results = AtOnce({{"bom", "import", files[round % 2]}, {"bom", "audit", "2001"}});
        for (const auto& result : results) ExpectSavedOrRefusedInWords(result);
        auto states = db->Query(fmt::format("select count(distinct State) from L_GoodsBom where GoodsID = {}", kParent));
        EXPECT_EQ(states.FirstValue().AsInteger(), 1) << "round " << round << ": audited and unaudited lines\n"
                                                       << results[0].out << results[1].out << results[1].err;
        auto check = Mfg({"bom", "check", "2001"});
        EXPECT_EQ(check.exitCode, 0) << check.out;
    }
    // A parent whose lines disagree on their audit fails the check, whatever else holds.
    db->Execute(fmt::format("update L_GoodsBom set State = 1, Checkorid = 1 where GoodsID = {}", kParent));
    db->Execute(fmt::format("update L_GoodsBom set State = 0, Checkorid = null where GoodsID = {} and ItemNo = 1", kParent));
    auto lines = db->Query(fmt::format("select count(*) from L_GoodsBom where GoodsID = {}", kParent)).FirstValue().AsInteger();
    auto check = Mfg({"bom", "check", "2001"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.out.find(fmt::format("2001 审核: 子件行的审核状态不一致: 已审核 {} 行, 未审核 1 行", lines - 1)),
              std::string::npos)
        << check.out;
}

}  // namespace
}  // namespace mfg::test
