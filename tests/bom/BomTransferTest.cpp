#include <gtest/gtest.h>

#include <sstream>

#include "BomFixture.h"
#include "BomTransfer.h"
#include "host/Users.h"

namespace mfg {
namespace {

using test::BomTest;

TEST(BomCsv, QuotedFieldsKeepCommasQuotesAndBreaks)
{
    std::istringstream in("\xEF\xBB\xBF" "a,\"b,c\",\"say \"\"hi\"\"\"\r\n\n\"two\nlines\",,\n");
    auto records = ReadCsvRecords(in);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(records[1], (std::vector<std::string>{"two\nlines", "", ""}));
    EXPECT_EQ(CsvField("x,\"y\""), "\"x,\"\"y\"\"\"");
    EXPECT_EQ(CsvField("车架"), "车架");
}

TEST_F(BomTest, ImportSavesGoodParentsAndSaysWhyOthersAreRefused)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID in (11, 12)");
    std::istringstream in(
        "parent,component,mnfqty,masterqty,wasterate,process\n"
        "3003,1017,3,1,0,\n"        // 儿童自行车: a new figure for a line it has
        "3003,1027,8,1,2.5,GX06\n"  // and a new line; its seven other lines go
        "2001,2001,1,1,0,\n"        // 车架组件 naming itself
        "2002,1001,两米,1,0,\n"     // not a number
        "2002,1099,1,1,0,\n");      // no such component
    auto import = *ImportBomCsv(in);
    EXPECT_TRUE(import.refusals.empty());
    const auto& results = import.parents;
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].saved);
    EXPECT_EQ(results[0].lines, 2);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3").AsInteger(), 2);
    EXPECT_DOUBLE_EQ(Stored("select MnfQty from L_GoodsBom where GoodsID = 3 and ElemGID = 117").AsFloat(), 3);
    EXPECT_EQ(Stored("select Orderno from L_GoodsBom where GoodsID = 3 and ElemGID = 127").AsString(), "010");

    EXPECT_FALSE(results[1].saved);
    EXPECT_EQ(results[1].reasons, std::vector<std::string>{"物料清单产生循环引用:\r\n2001->2001"});
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 11").AsInteger(), 4);
    ASSERT_EQ(results[2].reasons.size(), 2u);
    EXPECT_EQ(results[2].reasons[0], "第 5 行: 数量不是有效的数字: 两米");
    EXPECT_EQ(results[2].reasons[1], "第 6 行: 子件编码 1099 不存在");
}

TEST_F(BomTest, ALineWhoseParentCannotHaveABomRefusesTheWholeFile)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID in (3, 12)");
    std::ostringstream exported;
    ExportBomCsv(3, exported);
    const auto before = Stored("select sum(ElemGID * 1000 + MnfQty + ItemNo) from L_GoodsBom where GoodsID = 3").AsFloat();
    struct Case {
        std::string slip;  // what the second line of 3003 says instead of its parent
        std::string refusal;
    };
    for (const Case& c : {Case{"30003", "第 3 行: 父件编码 30003 不存在"},
                          Case{"", "第 3 行: 父件编码不能为空"},
                          Case{"1001", "第 3 行: 父件编码 1001: 当前货品不属于产成品、半成品或虚拟件，不能进行结构清单维护!"}}) {
        std::string text = exported.str();
        auto second = text.find("\n3003,", text.find("\n3003,") + 1);
        text.replace(second + 1, 4, c.slip);
        // A good parent after it is not written either.
        std::istringstream in(text + "2002,1002,3,1,0,\n");
        auto import = *ImportBomCsv(in);
        EXPECT_EQ(import.refusals, std::vector<std::string>{c.refusal}) << c.slip;
        EXPECT_TRUE(import.parents.empty());
        EXPECT_DOUBLE_EQ(
            Stored("select sum(ElemGID * 1000 + MnfQty + ItemNo) from L_GoodsBom where GoodsID = 3").AsFloat(), before)
            << c.slip;
        EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 12").AsInteger(), 5) << c.slip;
    }
}

TEST_F(BomTest, AnExportedBomImportsBackUnchanged)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID = 18");
    std::ostringstream out;
    ExportBomCsv(18, out);
    EXPECT_EQ(out.str(),
              "parent,component,mnfqty,masterqty,wasterate,process\n"
              "2008,1006,2,2,0,GX04\n"
              "2008,1004,72,2,1,GX04\n");
    auto before = Stored("select sum(MnfQty * 1000 + ItemNo) from L_GoodsBom where GoodsID = 18").AsFloat();
    std::istringstream in(out.str());
    auto results = ImportBomCsv(in)->parents;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].saved);
    EXPECT_DOUBLE_EQ(Stored("select sum(MnfQty * 1000 + ItemNo) from L_GoodsBom where GoodsID = 18").AsFloat(), before);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBomsub where GoodsID = 18").AsInteger(), 1);  // kept with its line
}

TEST_F(BomTest, AFirstLineWithASlipIsRefusedAsDataNotTakenForTheHeader)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID = 12");
    const auto before = Stored("select sum(ElemGID * 1000 + MnfQty) from L_GoodsBom where GoodsID = 12").AsFloat();
    // No header: the first line is 2002's 1002 line with "3x" typed for 3.
    std::istringstream in("2002,1002,3x,1,3,\n2002,1001,2.5,1,3,\n2002,1031,0.35,1,inf,\n2002,1022,1,nan,0,\n");
    auto results = ImportBomCsv(in)->parents;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].saved);
    EXPECT_EQ(results[0].reasons, (std::vector<std::string>{"第 1 行: 数量不是有效的数字: 3x",
                                                            "第 3 行: 损耗率不是有效的数字: inf",
                                                            "第 4 行: 父件数量不是有效的数字: nan"}));
    EXPECT_DOUBLE_EQ(Stored("select sum(ElemGID * 1000 + MnfQty) from L_GoodsBom where GoodsID = 12").AsFloat(), before);
    EXPECT_EQ(Stored("select MnfQty from L_GoodsBom where GoodsID = 12 and ElemGID = 102").AsFloat(), 1);

    // Only the very column names make a header; a header with a slip is a line to refuse.
    EXPECT_TRUE(IsBomCsvHeader({"parent", " Component", "mnfqty", "masterqty", "wasterate", "process"}));
    EXPECT_FALSE(IsBomCsvHeader({"parent", "componnet", "mnfqty", "masterqty", "wasterate", "process"}));
    std::istringstream misspelt("parent,componnet,mnfqty,masterqty,wasterate,process\n");
    auto refused = *ImportBomCsv(misspelt);
    EXPECT_TRUE(refused.parents.empty());
    EXPECT_EQ(refused.refusals, std::vector<std::string>{"第 1 行: 父件编码 parent 不存在"});
}

// Figures that are numbers meet the BOM's rules in the editor's words; the parent quantity is the
// parent's, told once however many lines carry it.
TEST_F(BomTest, AnImportTellsTheRulesAsTheEditorDoesAndAParentFaultOnce)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID = 12");
    std::istringstream in("2002,1002,3,0,3,\n2002,1001,-2,0,3,\n2002,1031,0.35,0,150,\n2002,1022,1,0,0,\n");
    auto results = ImportBomCsv(in)->parents;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].saved);
    EXPECT_EQ(results[0].reasons, (std::vector<std::string>{"第 1 行: 父件数量不能小于或等于零！",
                                                            "第 2 行: 数量应大于零",
                                                            "第 3 行: 损耗率应在0-100之间"}));
}

TEST_F(BomTest, AnImportNeedsTheRightsOfTheBoms)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID = 3");
    Users users(host.DBStartup());
    CurrentUsersScope usersScope(users);
    int planner = users.AddUser({"mrp", "计划员", "", 1});
    users.GrantAllKinds(planner, 2044);
    host.SetUser(planner, "计划员");
    std::istringstream in("3003,1017,3,1,0,\n");
    EXPECT_FALSE(ImportBomCsv(in));
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_NE(dialogs.Texts()[0].find("2047"), std::string::npos) << dialogs.Texts()[0];
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3").AsInteger(), 9);

    users.Grant(planner, 2047, static_cast<int>(PrivKind::Append));
    std::istringstream again("3003,1017,3,2,0,\n");
    auto results = ImportBomCsv(again);
    ASSERT_TRUE(results);
    EXPECT_TRUE(results->parents[0].saved);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3").AsInteger(), 1);
    EXPECT_DOUBLE_EQ(Stored("select Quantity from L_GoodsBom where GoodsID = 3").AsFloat(), 1.5);
}

}  // namespace
}  // namespace mfg
