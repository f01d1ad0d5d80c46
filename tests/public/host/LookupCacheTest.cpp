#include <gtest/gtest.h>

#include "HostFixture.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

using test::DemoHostTest;

std::string Text(const Variant& value) { return value.AsString(); }

TEST_F(DemoHostTest, LookupDataFindsTheRecordOfEveryKindByItsKey)
{
    EXPECT_EQ(Text(LookupData(3, 1, "Name")), "山地自行车");
    EXPECT_EQ(Text(LookupData(3, 1, "code")), "3001") << "field names ignore case";
    EXPECT_EQ(Text(LookupData(3, 1, "UnitName")), "辆");
    EXPECT_EQ(LookupData(13, 2, "Calctype").AsInteger(), 0);
    EXPECT_DOUBLE_EQ(LookupData(13, 2, "Rate").AsFloat(), 7.2);
    EXPECT_EQ(Text(LookupData(18, 2, "Name")), "李明");
    EXPECT_EQ(LookupData(19, 7, "ShopID").AsInteger(), 2);
    EXPECT_EQ(Text(LookupData(28, 2, "Name")), "涂装车间");
    EXPECT_EQ(Text(LookupData(39, 1, "Code")), "001");
    EXPECT_EQ(Text(LookupData(40, 1052, "UnitName")), "盒");
    EXPECT_DOUBLE_EQ(LookupData(40, 1052, "Rate").AsFloat(), 12);
    EXPECT_EQ(Text(LookupData(47, 7, "Name")), "旧检测台") << "closed records stay for old documents";
    EXPECT_EQ(Text(LookupData(48, 4, "Name")), "编圈");
}

TEST_F(DemoHostTest, AKeyMatchesAsNumberOrTextAndAMissingRecordGivesNull)
{
    EXPECT_EQ(Text(LookupData(3, "101", "Code")), "1001");
    EXPECT_EQ(Text(LookupData(3, 101.0, "Code")), "1001");
    EXPECT_TRUE(LookupData(3, 9999, "Name").IsNull());
    EXPECT_TRUE(LookupData(3, Variant(), "Name").IsNull());
    EXPECT_TRUE(LookupData(3, 1, "BarCode").IsNull()) << "a null field stays null";
}

TEST_F(DemoHostTest, LookupDataExFindsByAnotherFieldTheFirstMatchInCacheOrder)
{
    EXPECT_EQ(LookupDataEx(3, "Code", "3002", "GoodsID").AsInteger(), 2);
    EXPECT_EQ(Text(LookupDataEx(40, "UnitID", 1051, "UnitName")), "根");
    EXPECT_EQ(Text(LookupDataEx(19, "code", "gy005", "Name")), "天津二分厂配套供应站") << "text keys ignore case";
    EXPECT_EQ(Text(LookupDataEx(40, "GoodsID", 105, "UnitName")), "根") << "first unit of the goods by sequence";
    EXPECT_TRUE(LookupDataEx(3, "Code", "0000", "Name").IsNull());
}

TEST_F(DemoHostTest, UnknownKindsCachesSourcesAndFieldsAreErrorsNamingThem)
{
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const LookupError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message([] { LookupData(99, 1, "Name"); }).find("99"), std::string::npos);
    EXPECT_NE(message([] { OpenLookupDataSet("qryNothing"); }).find("qryNothing"), std::string::npos);
    EXPECT_NE(message([] { FindLookupDataSource("dsNothing"); }).find("dsNothing"), std::string::npos);
    auto field = message([] { LookupData(3, 9999, "NoSuchField"); });
    EXPECT_NE(field.find("NoSuchField"), std::string::npos) << "even when the record is missing";
    EXPECT_NE(field.find("qryGoods"), std::string::npos);
    EXPECT_NE(message([] { LookupDataEx(3, "NoKey", 1, "Name"); }).find("NoKey"), std::string::npos);
}

TEST_F(DemoHostTest, EveryCacheOpensOnceAndTheDataSourcesShareThem)
{
    for (auto name : LookupCache::CacheNames()) {
        auto& dataSet = OpenLookupDataSet(name);
        EXPECT_TRUE(dataSet.Active()) << name;
        EXPECT_FALSE(dataSet.IsEmpty()) << name;
        EXPECT_EQ(&OpenLookupDataSet(name), &dataSet) << name;
    }
    EXPECT_EQ(&FindLookupDataSource("dsGoods"), &OpenLookupDataSet("qryGoods"));
    EXPECT_EQ(&FindLookupDataSource("dsWorkCenter"), &OpenLookupDataSet("QRYWORKCENTER"));
    EXPECT_EQ(OpenLookupDataSet("qryGoods").RecordCount(), 58);
}

TEST_F(DemoHostTest, ACacheKeepsWhatItReadUntilRefreshed)
{
    EXPECT_EQ(Text(LookupData(3, 1, "Name")), "山地自行车");
    auto& goods = OpenLookupDataSet("qryGoods");
    host.SqlExecute("update L_Goods set Name = '山地车' where GoodsID = 1");
    host.SqlExecute(
        "insert into L_Goods (GoodsID, Code, Name, Kind, UnitID) values (500, '3500', '新车型', 3, 5001)");
    EXPECT_EQ(Text(LookupData(3, 1, "Name")), "山地自行车");
    EXPECT_TRUE(LookupData(3, 500, "Name").IsNull());

    EXPECT_EQ(&RefreshLookupDataSet("qryGoods"), &goods) << "screens keep the dataset across a refresh";
    EXPECT_EQ(Text(LookupData(3, 1, "Name")), "山地车");
    EXPECT_EQ(Text(LookupDataEx(3, "Code", "3500", "Name")), "新车型");
    EXPECT_EQ(goods.RecordCount(), 59);

    host.SqlExecute("delete from L_Goods where GoodsID = 500");
    host.LookupDB().Clear();
    EXPECT_TRUE(LookupData(3, 500, "Name").IsNull()) << "a cleared cache reads again on next use";
}

TEST_F(DemoHostTest, AComboFilterOnACacheHidesNothingFromLookupData)
{
    auto& goods = OpenLookupDataSet("qryGoods");
    goods.SetFilter("Kind = 3");
    goods.SetFiltered(true);
    EXPECT_EQ(goods.RecordCount(), 3);
    EXPECT_EQ(Text(LookupData(3, 101, "Name")), "钢管");
    RefreshLookupDataSet("qryGoods");
    EXPECT_EQ(Text(LookupData(3, 101, "Name")), "钢管");
    EXPECT_TRUE(goods.Filtered());
    EXPECT_EQ(goods.RecordCount(), 3) << "the combo's filter stays after a refresh";
}

}  // namespace
}  // namespace mfg
