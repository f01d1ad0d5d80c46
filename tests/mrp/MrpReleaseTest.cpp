// Release lines from manufacture suggestions, and the funds projection.
#include <gtest/gtest.h>

#include "MrpFactory.h"

namespace mfg::test {
namespace {

class MrpReleaseTest : public MrpFactoryTest {
protected:
    void SetUp() override
    {
        Goods({.id = 1, .kind = 2, .leadTime = 2, .price = 3});
        Goods({.id = 2, .kind = 1, .price = 2});
        Bom(1, 2, 1);
    }

    //! The suggestions as the workbench holds them: with selection and goods columns of its own.
    void Suggestions(DataSet& cdsManuSug)
    {
        for (auto name : {"selected", "goodsid", "sugqty", "fixqty", "price", "amount"})
            cdsManuSug.AddField(name, std::string_view(name) == "goodsid" || std::string_view(name) == "selected"
                                          ? FieldType::Integer
                                          : FieldType::Float);
        cdsManuSug.AddField("goodscode", FieldType::Text);
        cdsManuSug.AddField("finisheddate", FieldType::DateTime);
        cdsManuSug.AddField("startdate", FieldType::DateTime);
        cdsManuSug.CreateDataSet();
        engine.FillManufactureSuggestions(cdsManuSug);
    }
};

TEST_F(MrpReleaseTest, ASuggestionIsSplitOverItsPegsAndConsecutiveRowsShareOneGoodsLine)
{
    ASSERT_TRUE(Run({Plan(1, 60, Day(2026, 12, 10), "MPS1"), Plan(1, 70, Day(2026, 12, 10), "MPS2"),
                     Plan(1, 5, Day(2026, 12, 17), "MPS3")}));
    DataSet cdsManuSug;
    Suggestions(cdsManuSug);
    ASSERT_EQ(cdsManuSug.RecordCount(), 2);
    for (cdsManuSug.First(); !cdsManuSug.Eof(); cdsManuSug.Next()) {
        cdsManuSug.Edit();
        cdsManuSug.FieldByName("selected").SetValue(1);
        cdsManuSug.FieldByName("goodscode").SetValue("G1");
        if (cdsManuSug.RecNo() == 1) cdsManuSug.FieldByName("fixqty").SetValue(100);
        cdsManuSug.Post();
    }
    DataSet cdsManu;
    engine.BuildManufactureRelease(cdsManu, cdsManuSug);
    std::vector<std::tuple<std::string, double, double, std::string, std::string>> rows;
    for (cdsManu.First(); !cdsManu.Eof(); cdsManu.Next())
        rows.emplace_back(cdsManu.FieldByName("goodscode").AsString(), cdsManu.FieldByName("fixqty").AsFloat(),
                          cdsManu.FieldByName("manuqty").AsFloat(), cdsManu.FieldByName("billtype").AsString(),
                          cdsManu.FieldByName("billcode").AsString());
    using Rows = decltype(rows);
    EXPECT_EQ(rows, (Rows{{"G1", 105, 0, "", ""},
                          {"", 0, 60, "主生产计划", "MPS1"},
                          {"", 0, 40, "主生产计划", "MPS2"},
                          {"", 0, 5, "主生产计划", "MPS3"}}));
    cdsManu.SetRecNo(2);
    EXPECT_EQ(cdsManu.FieldByName("startdate").AsDateTime(), Day(2026, 12, 8));
    EXPECT_EQ(cdsManu.FieldByName("finishdate").AsDateTime(), Day(2026, 12, 10));
    EXPECT_TRUE(engine.IsPlanLineSource(cdsManu));
    cdsManu.Edit();
    cdsManu.FieldByName("billcode").SetValue("MPS9");
    cdsManu.Post();
    EXPECT_FALSE(engine.IsPlanLineSource(cdsManu));
    cdsManu.First();
    EXPECT_FALSE(engine.IsPlanLineSource(cdsManu));
}

TEST_F(MrpReleaseTest, WithoutLeadTimeOffsetAResidualPegShowsNoDocument)
{
    SqlExecute("update aa_onhand set DownQty = 4 where GoodsID = 1");
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 10))}, MrpDefaultOptions & ~optAhead));
    DataSet cdsManuSug;
    Suggestions(cdsManuSug);
    for (cdsManuSug.First(); !cdsManuSug.Eof(); cdsManuSug.Next()) {
        cdsManuSug.Edit();
        cdsManuSug.FieldByName("selected").SetValue(1);
        cdsManuSug.Post();
    }
    // The safety stock of 4 is short today: its suggestion is pegged to no document.
    DataSet cdsManu;
    engine.BuildManufactureRelease(cdsManu, cdsManuSug);
    ASSERT_EQ(cdsManu.RecordCount(), 3);
    cdsManu.SetRecNo(2);
    EXPECT_EQ(cdsManu.FieldByName("billtype").AsString(), "");
    EXPECT_TRUE(cdsManu.FieldByName("billdate").IsNull());
    EXPECT_DOUBLE_EQ(cdsManu.FieldByName("manuqty").AsFloat(), 4);
    cdsManu.SetRecNo(3);
    EXPECT_EQ(cdsManu.FieldByName("startdate").AsDateTime(), cdsManu.FieldByName("finishdate").AsDateTime());
}

TEST_F(MrpReleaseTest, FundsProjectBalancesDuesWagesAndPurchasesByPeriodUpToTheHorizon)
{
    SqlExecute("insert into L_SysParam (ParamName, ParamValue) values ('IsBand', '1')");
    SqlExecute("insert into ac_account (AccountID, Code, Name, ShopID, IsCash, Balance, DownAmt) values (1, '01', '现金', 1, 1, 1000, 100)");
    SqlExecute("insert into ac_duecharge (BillID, ItemNo, ShopID, PayDate, Amount, PaidAmt, Closed) values "
               "(1, 1, 1, '2026-12-15', 200, 0, 0)");
    SqlExecute("insert into ac_duepay (BillID, ItemNo, ShopID, PayDate, Amount, PaidAmt, Closed) values "
               "(1, 1, 1, '2026-12-16', 50, 0, 0)");
    SqlExecute("insert into aw_monthwagedatam (BillID, BillDate, ShopID) values (1, '2026-11-30', 1)");
    SqlExecute("insert into aw_monthwagefix (BillID, ItemNo, PayAmt) values (1, 1, 300)");
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 8)), Plan(1, 0, Day(2027, 1, 20), "MPS1", 2)}));
    ASSERT_EQ(engine.wageLines.size(), 1u);
    DataSet cdsPurSug;
    engine.FillPurchaseSuggestions(cdsPurSug, 0);
    auto budget = [&](int period, double expense) {
        DataSet cdsBudget;
        engine.FillFundsProjection(cdsPurSug, cdsBudget, period, expense);
        std::vector<std::tuple<std::string, double, double, double>> rows;
        for (; !cdsBudget.Eof(); cdsBudget.Next())
            rows.emplace_back(cdsBudget.FieldByName("date").AsString(), cdsBudget.FieldByName("stock").AsFloat(),
                              cdsBudget.FieldByName("onhand").AsFloat(), cdsBudget.FieldByName("hardup").AsFloat());
        return rows;
    };
    using Rows = std::vector<std::tuple<std::string, double, double, double>>;
    // The purchase of 10 at 2 is due today (the component's date falls back before today); the
    // wage of 30 November repeats on 30 December; January's falls after the horizon.
    EXPECT_EQ(budget(1, 0), (Rows{{"2026-12-06", 1000, 980, 880},
                                  {"2026-12-15", 880, 1080, 1080},
                                  {"2026-12-16", 1080, 1030, 1030},
                                  {"2026-12-30", 1030, 730, 730}}));
    // The expense is charged once for each date with a cash event in the week.
    const Rows weekly{{"2026-12-11", 1000, 970, 870}, {"2026-12-18", 870, 1000, 1000}, {"2027-01-01", 1000, 690, 690}};
    EXPECT_EQ(budget(2, 10), weekly);
    EXPECT_EQ(budget(2, 10), weekly);
}

}  // namespace
}  // namespace mfg::test
