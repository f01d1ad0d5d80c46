#include "DataCheck.h"

#include <fmt/format.h>

#include "ManufactureRelease.h"
#include "PurchaseRelease.h"
#include "host/Host.h"

namespace mfg {
namespace {

void SalesLinesConvertedTwice(std::vector<DataProblem>& problems)
{
    auto rows = CurrentHost().DBStartup().Query(
        "select s.BillCode, p.ReferItemNo, count(*) as Lines, min(p.BillCode) as FirstCode, max(p.BillCode) as "
        "LastCode from MNF_ManuPlan p left join S_ORDER s on s.BillID = p.ReferBillID where p.ReferBillID is not "
        "null group by p.ReferBillID, s.BillCode, p.ReferItemNo having count(*) > 1 order by s.BillCode, "
        "p.ReferItemNo");
    for (const auto& row : rows.rows)
        problems.push_back({"销售订单行只能转入一次主生产计划",
                            fmt::format("订单 {} 第 {} 行转入了 {} 次 ({} … {})", row[0].AsString(), row[1].AsString(),
                                        row[2].AsString(), row[3].AsString(), row[4].AsString())});
}

void BomParentsWithMixedStates(std::vector<DataProblem>& problems)
{
    auto rows = CurrentHost().DBStartup().Query(
        "select g.Code, sum(case when b.State = 1 then 1 else 0 end) as Audited, sum(case when b.State = 1 then 0 "
        "else 1 end) as NotAudited from L_GoodsBom b left join L_Goods g on g.GoodsID = b.GoodsID group by "
        "b.GoodsID, g.Code having min(b.State) <> max(b.State) order by g.Code");
    for (const auto& row : rows.rows)
        problems.push_back({"一个 BOM 的各行审核状态相同", fmt::format("{} 的 BOM 有 {} 行已审核, {} 行未审核",
                                                                   row[0].AsString(), row[1].AsString(),
                                                                   row[2].AsString())});
}

void CodesPrintedTwice(std::vector<DataProblem>& problems)
{
    auto rows = CurrentHost().DBStartup().Query(
        "select BillType, BillCode, count(*) from AB_BILLPRINT where BillCode is not null group by BillType, BillCode "
        "having count(*) > 1 order by BillType, BillCode");
    for (const auto& row : rows.rows)
        problems.push_back({"一个单据编号只有一条打印记录", fmt::format("单据类型 {} 的 {} 有 {} 条打印记录",
                                                                     row[0].AsString(), row[1].AsString(),
                                                                     row[2].AsString())});
}

//! A released order is one with a print record; it was written whole, with its lines, or not at all.
void OrdersWithoutLines(std::vector<DataProblem>& problems, int billType, std::string_view headerTable,
                        std::string_view lineTable)
{
    auto rows = CurrentHost().DBStartup().Query(fmt::format(
        "select m.BillCode from {0} m join AB_BILLPRINT p on p.BillType = {2} and p.BillID = m.BillID where not "
        "exists (select 1 from {1} d where d.BillID = m.BillID) order by m.BillCode",
        headerTable, lineTable, billType));
    for (const auto& row : rows.rows)
        problems.push_back({"下达的单据都有明细行",
                            fmt::format("单据类型 {} 的 {} 没有明细行", billType, row[0].AsString())});
}

}  // namespace

std::vector<DataProblem> CheckModuleData()
{
    std::vector<DataProblem> problems;
    SalesLinesConvertedTwice(problems);
    BomParentsWithMixedStates(problems);
    CodesPrintedTwice(problems);
    for (int billType : {2, 5}) {
        const PurchaseKind& kind = PurchaseKindOf(billType);
        OrdersWithoutLines(problems, billType, kind.headerTable, kind.lineTable);
    }
    for (int billType : {42, 54}) {
        const ManufactureKind& kind = ManufactureKindOf(billType);
        OrdersWithoutLines(problems, billType, kind.headerTable, kind.lineTable);
    }
    return problems;
}

}  // namespace mfg
