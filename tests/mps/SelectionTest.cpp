#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RowSelection.h"
#include "SelectionFilters.h"
#include "SelectionList.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

PlanFilter PlansOf(DateTime begDate, DateTime endDate)
{
    PlanFilter filter;
    filter.begDate = begDate;
    filter.endDate = endDate;
    return filter;
}

SalesOrderFilter OrdersOf(DateTime begDate, DateTime endDate)
{
    SalesOrderFilter filter;
    filter.begDate = begDate;
    filter.endDate = endDate;
    return filter;
}

class SelectionTest : public test::DemoHostTest {
protected:
    std::vector<std::string> Column(SelectionList& list, const std::string& field)
    {
        std::vector<std::string> values;
        DataSet& rows = list.List();
        for (rows.First(); !rows.Eof(); rows.Next()) values.push_back(rows.FieldByName(field).AsString());
        return values;
    }
    //! The values in text order, for lists the statement leaves unordered.
    std::vector<std::string> Sorted(SelectionList& list, const std::string& field)
    {
        auto values = Column(list, field);
        std::sort(values.begin(), values.end());
        return values;
    }
    void ReloadPlans(const PlanFilter& filter) { plans.Reload(PlanListConditions(filter, host.ShopID())); }
    void ReloadOrders(const SalesOrderFilter& filter) { orders.Reload(SalesOrderListConditions(filter, host.ShopID())); }

    std::pair<DateTime, DateTime> december = MonthRange(DateTime::FromYmd(2026, 12, 6));
    SelectionList plans{kPlanListSql};
    SelectionList orders{kSalesOrderListSql};
};

TEST_F(SelectionTest, ThePlanDialogOffersAuditedOpenLinesUntilReleasedLinesAreAskedFor)
{
    EXPECT_EQ(december.first, DateTime::FromYmd(2026, 12, 1));
    EXPECT_EQ(december.second, DateTime::FromYmd(2026, 12, 31));
    PlanFilter filter = PlansOf(december.first, december.second);
    ReloadPlans(filter);
    EXPECT_EQ(Sorted(plans, "billcode"), (std::vector<std::string>{"JH-2026-12-0001", "JH-2026-12-0002"}));
    filter.begDate = DateTime::FromYmd(2026, 11, 1);
    ReloadPlans(filter);
    EXPECT_EQ(Column(plans, "billcode").size(), 2u) << "JH-2026-11-0001 is fully released";
    filter.includeReleased = true;
    ReloadPlans(filter);
    EXPECT_EQ(Column(plans, "billcode").size(), 3u);
    filter.goodsId = 2;
    ReloadPlans(filter);
    EXPECT_EQ(Sorted(plans, "billcode"), (std::vector<std::string>{"JH-2026-11-0001", "JH-2026-12-0002"}));
    EXPECT_EQ(Column(plans, "selected"), (std::vector<std::string>{"0", "0"}));
}

TEST_F(SelectionTest, TheOrderDialogNarrowsByCustomerGoodsBranchAndOrderCode)
{
    SalesOrderFilter filter = OrdersOf(december.first, december.second);
    ReloadOrders(filter);
    // Order 3 was placed in November, 4 is not audited, 6 belongs to 二分厂 and line 2:3 is a material.
    EXPECT_EQ(Column(orders, "billcode").size(), 5u);
    filter.allShops = true;
    ReloadOrders(filter);
    EXPECT_EQ(Column(orders, "billcode").size(), 6u);
    filter.traderId = 5;
    ReloadOrders(filter);
    EXPECT_EQ(Sorted(orders, "billcode"),
              (std::vector<std::string>{"XS-2026-12-01-0001", "XS-2026-12-01-0001", "XS-2026-12-02-0001"}));
    filter.goodsId = 1;
    ReloadOrders(filter);
    EXPECT_EQ(Sorted(orders, "canuseqty"), (std::vector<std::string>{"100", "15"}));
    filter.billCode = "  12-02 ";
    ReloadOrders(filter);
    EXPECT_EQ(Column(orders, "shopname").size(), 1u);
}

TEST_F(SelectionTest, AQuoteInTheOrderCodeIsSearchedForNotExecuted)
{
    host.SqlExecute("update S_ORDER set BillCode = 'XS-O''BRIEN-1' where BillID = 5");
    SalesOrderFilter filter = OrdersOf(december.first, december.second);
    filter.billCode = "O'BRIEN";
    EXPECT_NE(SalesOrderListConditions(filter, 1).find("like '%O''BRIEN%'"), std::string::npos);
    ReloadOrders(filter);
    EXPECT_EQ(Column(orders, "billcode"), std::vector<std::string>{"XS-O'BRIEN-1"});
    filter.billCode = "' or 1=1 --";
    ReloadOrders(filter);
    EXPECT_TRUE(orders.List().IsEmpty());
}

TEST_F(SelectionTest, TheCustomerComboListsCustomersOfTheBranchOrOfAll)
{
    EXPECT_EQ(CustomerFilter(false, 1),
              "(IsVendor = 0 and Closed = 0 and TraderID > 0 and ShopID = 1) or "
              "(acctrader = 1 and Closed = 0 and TraderID > 0 and ShopID = 1)");
    EXPECT_EQ(CustomerFilter(true, 1),
              "(IsVendor = 0 and Closed = 0 and TraderID > 0) or (acctrader = 1 and Closed = 0 and TraderID > 0)");
}

TEST_F(SelectionTest, AStartAfterTheEndIsRefusedWithTheNote)
{
    EXPECT_TRUE(CheckFilterDates(DateTime::FromYmdHms(2026, 12, 6, 18, 0, 0), DateTime::FromYmd(2026, 12, 6)));
    EXPECT_FALSE(CheckFilterDates(DateTime::FromYmd(2026, 12, 7), DateTime::FromYmd(2026, 12, 6)));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "起始日期不能大于终止日期!");
    EXPECT_EQ(dialogs.Messages()[0].title, "提示");
}

TEST_F(SelectionTest, TicksToggleInvertAndClear)
{
    ReloadPlans(PlansOf(december.first, december.second));
    plans.List().First();
    plans.ToggleSelected();
    EXPECT_EQ(SelectionList::SelectedText(plans.List().FieldByName("selected")), "√");
    plans.ToggleSelected();
    EXPECT_EQ(SelectionList::SelectedText(plans.List().FieldByName("selected")), "");
    plans.ToggleSelected();
    InvertRows(plans.List());
    EXPECT_EQ(Column(plans, "selected"), (std::vector<std::string>{"0", "1"}));
    SelectAllRows(plans.List());
    EXPECT_EQ(Column(plans, "selected"), (std::vector<std::string>{"1", "1"}));
    ClearAllRows(plans.List());
    EXPECT_EQ(Column(plans, "selected"), (std::vector<std::string>{"0", "0"}));

    ReloadPlans(PlansOf(december.second, december.second));
    ASSERT_TRUE(plans.List().IsEmpty());
    plans.ToggleSelected();
    SelectAllRows(plans.List());
    EXPECT_TRUE(plans.List().IsEmpty());
}

TEST_F(SelectionTest, TitleClicksSortUpDownUpAndAReloadKeepsTheOrder)
{
    SalesOrderFilter filter = OrdersOf(december.first, december.second);
    orders.SortBy("billcode");
    ReloadOrders(filter);
    auto up = Column(orders, "billcode");
    EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
    EXPECT_EQ(orders.TitleText("billcode", "单据编号"), "单据编号  ▲");
    EXPECT_EQ(orders.TitleText("goodsname", "货品名称"), "货品名称");
    orders.SortBy("billcode");
    auto down = Column(orders, "billcode");
    EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
    EXPECT_EQ(orders.TitleText("billcode", "单据编号"), "单据编号  ▼");
    ReloadOrders(filter);
    EXPECT_EQ(Column(orders, "billcode"), down);
    orders.SortBy("billcode");
    EXPECT_EQ(Column(orders, "billcode"), up);
    orders.SortBy("goodscode");
    EXPECT_EQ(orders.TitleText("billcode", "单据编号"), "单据编号");
    EXPECT_EQ(orders.TitleText("goodscode", "货品编码"), "货品编码  ▲");
}

}  // namespace
}  // namespace mfg
