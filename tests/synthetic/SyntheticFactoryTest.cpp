#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "SyntheticFactory.h"
#include "TestDatabase.h"

namespace mfg {
namespace {

constexpr std::uint64_t kSeed = 42;

std::int64_t Count(Connection& db, const std::string& sql) { return db.Query(sql).FirstValue().AsInteger(); }

//! Every row of every table, in a fixed order, one text per row.
std::vector<std::string> Contents(Connection& db)
{
    auto tables = db.TableNames();
    std::sort(tables.begin(), tables.end());
    std::vector<std::string> lines;
    for (const auto& table : tables) {
        for (const auto& row : db.Query("select * from " + table).rows) {
            std::string text = table + ":";
            for (const auto& value : row) text += value.AsString() + "|";
            lines.push_back(std::move(text));
        }
    }
    return lines;
}

//! The first row in which two contents differ, or empty when they are the same.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (left == a.end() && right == b.end()) return {};
    return (left == a.end() ? "(end)" : *left) + "  <>  " + (right == b.end() ? "(end)" : *right);
}

//! One factory, written once and only read by the tests.
class SyntheticFactoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        size = SyntheticSizeOf(400);
        db = test::OpenTestDatabase(false);
        summary = LoadSyntheticFactory(*db, size, kSeed);
    }
    static void TearDownTestSuite() { db.reset(); }

    static inline std::unique_ptr<Connection> db;
    static inline SyntheticSize size;
    static inline SyntheticSummary summary;
};

TEST(SyntheticSize, NamedSizesMeetTheirFloorsAndBadTextIsRefused)
{
    auto large = ParseSyntheticSize("large");
    ASSERT_TRUE(large);
    EXPECT_GE(large->goods, 50000);
    EXPECT_GE(large->bomLinks, 250000);
    EXPECT_EQ(large->depth, 12);
    EXPECT_GE(large->documentLines, 100000);
    EXPECT_GE(large->mpsLines, 2000);
    auto xlarge = ParseSyntheticSize("xlarge");
    ASSERT_TRUE(xlarge);
    EXPECT_EQ(xlarge->goods, 500000);
    EXPECT_EQ(xlarge->bomLinks, 2500000);
    EXPECT_EQ(xlarge->depth, 12);
    EXPECT_EQ(ParseSyntheticSize("small")->goods, 500);
    EXPECT_EQ(ParseSyntheticSize("medium")->depth, 9);
    EXPECT_EQ(ParseSyntheticSize("1234")->goods, 1234);
    for (const char* bad : {"tiny", "99", "12x", "", "-500"}) EXPECT_FALSE(ParseSyntheticSize(bad)) << bad;
}

TEST(SyntheticFactory, SameSeedGivesTheSameRowsAndAnotherSeedOthers)
{
    const auto small = SyntheticSizeOf(150);
    auto first = test::OpenTestDatabase(false);
    auto second = test::OpenTestDatabase(false);
    auto third = test::OpenTestDatabase(false);
    LoadSyntheticFactory(*first, small, 7);
    LoadSyntheticFactory(*second, small, 7);
    LoadSyntheticFactory(*third, small, 8);
    EXPECT_EQ(FirstDifference(Contents(*first), Contents(*second)), "");
    EXPECT_NE(FirstDifference(Contents(*first), Contents(*third)), "");
}

TEST(SyntheticFactory, ReportsEachStageAndFinishes)
{
    std::vector<std::string> stages;
    auto target = test::OpenTestDatabase(false);
    LoadSyntheticFactory(*target, SyntheticSizeOf(100), 1,
                         [&](std::string_view stage, size_t done, size_t total) {
                             EXPECT_LE(done, total);
                             stages.emplace_back(stage);
                         });
    ASSERT_GE(stages.size(), 5u);
    EXPECT_EQ(stages.front(), "基础资料");
    EXPECT_EQ(stages.back(), "");
}

TEST_F(SyntheticFactoryTest, HoldsExactlyTheCountsOfItsSize)
{
    EXPECT_EQ(Count(*db, "select count(*) from L_Goods"), size.goods);
    EXPECT_EQ(Count(*db, "select count(*) from L_GoodsBom"), size.bomLinks);
    EXPECT_EQ(Count(*db, "select count(*) from MNF_ManuPlan where BillState = 1"), size.mpsLines);
    for (int kind : {1, 2, 3, 9})
        EXPECT_GT(Count(*db, "select count(*) from L_Goods where Kind = " + std::to_string(kind)), 0) << "kind " << kind;
    EXPECT_GT(summary.substitutes, 0);
    EXPECT_EQ(Count(*db, "select count(*) from L_GoodsBomsub"), summary.substitutes);
    EXPECT_GT(Count(*db, "select count(*) from aa_onhand where DownQty > 0"), 0);
    EXPECT_GT(Count(*db, "select count(*) from L_Goods where Kind = 1 and MinPurchaseQty > 0 and OrderAddQty > 0"), 0);
    EXPECT_GT(Count(*db, "select count(*) from L_Goods where LeadTime > 0"), 0);
}

TEST_F(SyntheticFactoryTest, OpenLinesAreThoseTheMrpCountsAndTheRestIsLeftOut)
{
    // The filters of the MRP load for branch 1, audited documents only.
    const std::string orders =
        " m join {}detail d on m.billid=d.billid and m.shopid=1 where d.closed=0 and d.referqty<d.unitquantity"
        " and (m.validdate+1>=getdate() or m.validdate is null) and m.billstate=1";
    const std::string requests = " m join {}detail d on m.billid=d.billid where m.closed=0 and d.closed=0"
                                 " and d.referqty<d.unitquantity and m.billstate=1 and ";
    auto with = [](std::string text, const std::string& table) { return text.replace(text.find("{}"), 2, table); };
    std::int64_t open = 0;
    std::map<std::string, std::int64_t> perKind;
    for (const char* table : {"p_order", "f_importorder", "s_order", "f_exportorder"})
        open += perKind[table] = Count(*db, "select count(*) from " + std::string(table) + with(orders, table));
    for (const char* table : {"p_request", "d_request"})
        open += perKind[table] = Count(*db, "select count(*) from " + std::string(table) + with(requests, table) + "m.shopid=1");
    open += perKind["d_distribute"] =
        Count(*db, "select count(*) from d_distribute" + with(requests, "d_distribute") + "(m.dstshopid=1 or m.srcshopid=1)");
    open += perKind["mnf_manuorder"] =
        Count(*db, "select count(*) from mnf_manuorder m where m.closed=0 and (m.referbilltype is null or m.referbilltype<>12)"
                   " and m.finishedqty<m.quantity and m.finisheddate>=getdate()-1 and m.shopid=1 and m.billstate=1");
    open += perKind["cm_machining"] =
        Count(*db, "select count(*) from cm_machining m where m.closed=0 and m.finishedqty<m.quantity"
                   " and m.deliverydate>=getdate()-1 and m.shopid=1 and m.billstate=1");
    EXPECT_EQ(open, size.documentLines);
    for (const auto& [table, lines] : perKind) EXPECT_GT(lines, 0) << table;

    std::int64_t all = Count(*db, "select count(*) from MNF_ManuPlan") + Count(*db, "select count(*) from MNF_MANUORDER") +
                       Count(*db, "select count(*) from CM_MACHINING");
    for (const char* detail : {"P_ORDERDETAIL", "f_importorderdetail", "S_OrderDetail", "f_exportorderdetail", "P_REQUESTDETAIL",
                               "d_requestdetail", "d_distributedetail"})
        all += Count(*db, std::string("select count(*) from ") + detail);
    EXPECT_GT(summary.closedLines, 0);
    EXPECT_EQ(all - open - size.mpsLines, summary.closedLines);
    EXPECT_GT(Count(*db, "select count(*) from d_distribute where SrcShopID = 1"), 0) << "outgoing distributions";
    EXPECT_GT(Count(*db, "select count(*) from P_ORDERDETAIL where ChargeDate < getdate() - 1 and Closed = 0"), 0) << "overdue";
}

TEST_F(SyntheticFactoryTest, BomHasNoCycleAndEveryProductReachesTheFullDepth)
{
    std::map<std::int64_t, std::set<std::int64_t>> children;
    for (const auto& row : db->Query("select GoodsID, ElemGID from L_GoodsBom union select GoodsID, SubGoodsID from L_GoodsBomsub").rows)
        children[row[0].AsInteger()].insert(row[1].AsInteger());
    // Longest path below each goods; meeting a goods that is still on the path is a cycle.
    std::map<std::int64_t, int> depth;
    std::set<std::int64_t> onPath;
    bool cycle = false;
    std::function<int(std::int64_t)> longest = [&](std::int64_t goods) {
        if (auto known = depth.find(goods); known != depth.end()) return known->second;
        if (!onPath.insert(goods).second) {
            cycle = true;
            return 0;
        }
        int best = 0;
        for (auto child : children[goods]) best = std::max(best, 1 + longest(child));
        onPath.erase(goods);
        return depth[goods] = best;
    };
    for (const auto& row : db->Query("select GoodsID from L_Goods where Kind = 3 and CANCMB = 1").rows)
        EXPECT_EQ(longest(row[0].AsInteger()), size.depth) << "product " << row[0].AsInteger();
    for (const auto& [parent, elems] : children) longest(parent);
    EXPECT_FALSE(cycle);
}

TEST_F(SyntheticFactoryTest, SubAssembliesAreSharedAcrossDepths)
{
    // A component used by several parents of different levels (their codes' specs hold the level).
    EXPECT_GT(Count(*db, "select count(*) from (select b.ElemGID from L_GoodsBom b join L_Goods e on e.GoodsID = b.ElemGID"
                         " join L_Goods p on p.GoodsID = b.GoodsID where e.Kind = 2"
                         " group by b.ElemGID having count(distinct p.Specs) > 1) s"),
              0);
    EXPECT_GT(Count(*db, "select count(*) from (select ElemGID from L_GoodsBom group by ElemGID having count(*) > 20) s"), 0)
        << "common materials";
}

TEST_F(SyntheticFactoryTest, BomLinesKeepTheRulesOfAStoredBom)
{
    const std::pair<const char*, const char*> rules[] = {
        {"header values differ between lines of a parent",
         "select count(*) from (select GoodsID from L_GoodsBom group by GoodsID having count(distinct MasterQty) > 1"
         " or count(distinct UseTime) > 1 or count(distinct State) > 1) s"},
        {"a component twice in one process",
         "select count(*) from (select GoodsID from L_GoodsBom group by GoodsID, ElemGID, COUNTWAGEITEMID having count(*) > 1) s"},
        {"Quantity is not MnfQty per MasterQty", "select count(*) from L_GoodsBom where abs(Quantity * MasterQty - MnfQty) > 0.000001"},
        {"a material as parent", "select count(*) from L_GoodsBom b join L_Goods g on g.GoodsID = b.GoodsID where g.Kind = 1"},
        {"a virtual component without lines of its own",
         "select count(*) from L_GoodsBom b join L_Goods g on g.GoodsID = b.ElemGID where g.Kind = 9"
         " and not exists (select 1 from L_GoodsBom c where c.GoodsID = b.ElemGID)"},
        {"a line's process is not a process line of the parent",
         "select count(*) from L_GoodsBom b where b.COUNTWAGEITEMID is not null and not exists"
         " (select 1 from L_GoodsBomProc p where p.GoodsID = b.GoodsID and p.COUNTWAGEITEMID = b.COUNTWAGEITEMID)"},
        {"working hours are not the sum of the process lines",
         "select count(*) from (select b.GoodsID, max(b.UseTime) t from L_GoodsBom b group by b.GoodsID) h"
         " where exists (select 1 from L_GoodsBomProc p where p.GoodsID = h.GoodsID) and abs(h.t -"
         " (select sum(UseTime) from L_GoodsBomProc p where p.GoodsID = h.GoodsID)) >= 0.0001"},
        {"CANCMB does not mark the parents",
         "select count(*) from L_Goods g where CANCMB <> (case when exists (select 1 from L_GoodsBom b where b.GoodsID = g.GoodsID)"
         " then 1 else 0 end)"},
        {"an audited BOM without its auditor", "select count(*) from L_GoodsBom where State = 1 and Checkorid is null"},
    };
    for (auto [rule, sql] : rules) EXPECT_EQ(Count(*db, sql), 0) << rule;
}

TEST_F(SyntheticFactoryTest, CalendarNumbersWorkingDaysWithoutGaps)
{
    auto rows = db->Query("select WORKDATE, ISHOLIDAY, SEQUENCE from MNF_CALENDAR order by WORKDATE").rows;
    ASSERT_GT(rows.size(), 1000u);
    EXPECT_LE(rows.front()[0].AsDateTime(), test::TestToday().AddDays(-300));
    EXPECT_GE(rows.back()[0].AsDateTime(), test::TestToday().AddDays(700));
    std::int64_t expected = 1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) ASSERT_EQ(rows[i][0].AsDateTime().DayNumber(), rows[i - 1][0].AsDateTime().DayNumber() + 1) << "gap at row " << i;
        // A rest day carries the number the next working day will get.
        ASSERT_EQ(rows[i][2].AsInteger(), expected) << rows[i][0].AsDateTime().ToIsoString();
        if (rows[i][1].AsInteger() == 0) ++expected;
        const int weekday = rows[i][0].AsDateTime().DayOfWeek();
        if (weekday == 1 || weekday == 7) ASSERT_EQ(rows[i][1].AsInteger(), 1);
    }
}

TEST_F(SyntheticFactoryTest, EveryReferenceFindsItsRow)
{
    const std::pair<const char*, const char*> references[] = {
        {"BOM goods", "select count(*) from L_GoodsBom b where not exists (select 1 from L_Goods g where g.GoodsID = b.GoodsID)"
                      " or not exists (select 1 from L_Goods g where g.GoodsID = b.ElemGID)"},
        {"substitute of no BOM line",
         "select count(*) from L_GoodsBomsub s where not exists (select 1 from L_GoodsBom b where b.GoodsID = s.GoodsID"
         " and b.ElemGID = s.ElemGID and b.ItemNo = s.GoodsItemNO) or not exists (select 1 from L_Goods g where g.GoodsID = s.SubGoodsID)"},
        {"BOM substitute not among the component's defaults",
         "select count(*) from L_GoodsBomsub s where not exists (select 1 from l_goodssub d where d.GoodsID = s.ElemGID"
         " and d.SubGoodsID = s.SubGoodsID and d.Rate = s.Rate)"},
        {"goods without exactly one base unit",
         "select count(*) from L_Goods g where (select count(*) from L_GoodsUnit u where u.GoodsID = g.GoodsID and u.IsBase = 1) <> 1"
         " or not exists (select 1 from L_GoodsUnit u where u.UnitID = g.UnitID and u.GoodsID = g.GoodsID and u.IsBase = 1)"},
        {"unit without its name", "select count(*) from L_GoodsUnit u where not exists (select 1 from L_Unit n where n.UnitID = u.UnitID)"},
        {"default supplier", "select count(*) from L_Goods g where g.TraderID is not null and not exists"
                             " (select 1 from l_trader t where t.TraderID = g.TraderID and t.IsVendor = 1)"},
        {"stock store or goods", "select count(*) from aa_onhand o where not exists (select 1 from l_store s where s.StoreID = o.StoreID)"
                                 " or not exists (select 1 from L_Goods g where g.GoodsID = o.GoodsID)"},
        {"schedule line from a sales line of another goods",
         "select count(*) from MNF_ManuPlan p where p.ReferBillID is not null and not exists (select 1 from S_OrderDetail d"
         " where d.BillID = p.ReferBillID and d.ItemNo = p.ReferItemNo and d.GoodsID = p.GoodsID and d.MPSREFERED = 1)"},
        {"manufacture order for a missing source line",
         "select count(*) from MNF_MANUORDER m where (m.ReferBillType = 43 and not exists (select 1 from MNF_ManuPlan p"
         " where p.BillID = m.ReferBillID and p.ItemNo = m.ReferItemNo and p.GoodsID = m.GoodsID)) or (m.ReferBillType = 12"
         " and not exists (select 1 from S_OrderDetail d where d.BillID = m.ReferBillID and d.ItemNo = m.ReferItemNo"
         " and d.GoodsID = m.GoodsID))"},
        {"drawing of no order line",
         "select count(*) from i_drawdetail r where not exists (select 1 from MNF_MANUORDERDETAIL d where d.BillID = r.ReferBillID"
         " and d.ItemNo = r.ReferItemNo and d.GoodsID = r.GoodsID) or not exists (select 1 from i_draw m where m.BillID = r.BillID)"},
        {"manufacture goods without a BOM",
         "select count(*) from MNF_MANUORDER m where not exists (select 1 from L_GoodsBom b where b.GoodsID = m.GoodsID)"},
        {"purchase order of a customer", "select count(*) from P_ORDER m where not exists (select 1 from l_trader t"
                                         " where t.TraderID = m.TraderID and t.IsVendor = 1)"},
        {"sales order of a supplier", "select count(*) from S_ORDER m where not exists (select 1 from l_trader t"
                                      " where t.TraderID = m.TraderID and t.isclient = 1)"},
    };
    for (auto [reference, sql] : references) EXPECT_EQ(Count(*db, sql), 0) << reference;
    // Every line's unit belongs to its goods and its quantity is the unit quantity in base units.
    for (const char* detail : {"P_ORDERDETAIL", "f_importorderdetail", "S_OrderDetail", "f_exportorderdetail", "P_REQUESTDETAIL",
                               "d_requestdetail", "d_distributedetail", "MNF_MANUORDERDETAIL"}) {
        std::string table(detail);
        std::string header = table.substr(0, table.size() - 6);
        EXPECT_EQ(Count(*db, "select count(*) from " + table + " d where not exists (select 1 from L_GoodsUnit u where u.UnitID ="
                             " d.UnitID and u.GoodsID = d.GoodsID and abs(d.UnitQuantity * u.Rate - d.Quantity) < 0.0001)"),
                  0)
            << detail;
        EXPECT_EQ(Count(*db, "select count(*) from " + table + " d where not exists (select 1 from " + header +
                             " m where m.BillID = d.BillID)"),
                  0)
            << detail;
    }
}

TEST_F(SyntheticFactoryTest, ScopeRoutineReachesTheTreesOfTheProducts)
{
    std::string scope;
    for (const auto& row : db->Query("select GoodsID from L_Goods where Kind = 3 and CANCMB = 1").rows)
        scope += (scope.empty() ? "" : ",") + row[0].AsString();
    db->Execute("create table t_scope (goodsid int, elemgid int)");
    db->Execute("insert into t_scope exec dbo.getmrpgoodsid '" + scope + "'");
    EXPECT_GT(Count(*db, "select count(*) from t_scope"), size.bomLinks / 4);
    EXPECT_GT(Count(*db, "select count(*) from t_scope t join L_GoodsBomsub s on s.GoodsID = t.goodsid and s.SubGoodsID = t.elemgid"),
              0)
        << "substitutes are in the scope";
    db->Execute("drop table t_scope");
}

}  // namespace
}  // namespace mfg
