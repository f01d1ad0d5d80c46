#include <gtest/gtest.h>

#include <sstream>

#include "BomFixture.h"
#include "BomTransfer.h"

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
        "2002,1099,1,1,0,\n"        // no such component
        "4004,1001,1,1,0,\n"        // no such parent
        "1001,1002,1,1,0,\n");      // a purchased material has no BOM
    auto results = ImportBomCsv(in);
    ASSERT_EQ(results.size(), 5u);
    EXPECT_TRUE(results[0].saved);
    EXPECT_EQ(results[0].lines, 2);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3").AsInteger(), 2);
    EXPECT_DOUBLE_EQ(Stored("select MnfQty from L_GoodsBom where GoodsID = 3 and ElemGID = 117").AsFloat(), 3);
    EXPECT_EQ(Stored("select Orderno from L_GoodsBom where GoodsID = 3 and ElemGID = 127").AsString(), "010");

    EXPECT_FALSE(results[1].saved);
    EXPECT_EQ(results[1].reasons, std::vector<std::string>{"物料清单产生循环引用:\r\n2001->2001"});
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 11").AsInteger(), 4);
    ASSERT_EQ(results[2].reasons.size(), 2u);
    EXPECT_EQ(results[2].reasons[0], "第 5 行: '两米' 不是有效的浮点数");
    EXPECT_EQ(results[2].reasons[1], "第 6 行: 子件编码 1099 不存在");
    EXPECT_EQ(results[3].reasons, std::vector<std::string>{"父件编码 4004 不存在"});
    EXPECT_EQ(results[4].reasons,
              std::vector<std::string>{"当前货品不属于产成品、半成品或虚拟件，不能进行结构清单维护!"});
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
    auto results = ImportBomCsv(in);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].saved);
    EXPECT_DOUBLE_EQ(Stored("select sum(MnfQty * 1000 + ItemNo) from L_GoodsBom where GoodsID = 18").AsFloat(), before);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBomsub where GoodsID = 18").AsInteger(), 1);  // kept with its line
}

}  // namespace
}  // namespace mfg
