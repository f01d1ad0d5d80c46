#include "ManuPlanBill.h"

#include <fmt/format.h>

#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {

std::string GetManuPlanBillCode(DateTime billDate, int& serialNo)
{
    BillCodeRule rule = ReadBillCodeRule(kManuPlanBillType, billDate);
    if (serialNo == -1) {
        std::string sql = fmt::format(
            "select Max(dbo.fn_codetoserialno(BillCode,{})) as SerialNo From MNF_ManuPlan "
            "Where (Shopid=:shopid or Shopid is NULL) {}",
            rule.width, rule.condition);
        serialNo = static_cast<int>(GetValueOfSql(sql, 0, {{"shopid", CurrentHost().ShopID()}}).AsInteger()) + 1;
    }

    std::string code = rule.head;
    if (!rule.head.empty() && !rule.datePart.empty()) code += rule.sepa + rule.datePart;
    if (!code.empty()) code += rule.sepa;
    return code + SerialDigits(serialNo, rule);
}

std::string WriteNewManuPlanBill(DateTime billDate, const BillWriter& write)
{
    return WriteWithFreshCode(
        CurrentHost().DBStartup(), [&](int& serialNo) { return GetManuPlanBillCode(billDate, serialNo); }, write);
}

ManuPlanAuditResult AuditManuPlan(std::string_view billCode)
{
    Host& host = CurrentHost();
    std::string bill = fmt::format(" where BillCode={} and ShopID={}", QuoteSql(billCode), host.ShopID());
    // A bill partly audited by hand still gets its remaining lines audited.
    auto changed = SqlExecute(fmt::format("update MNF_ManuPlan set BillState=1, CheckorID={}{} and BillState=0",
                                          host.UserID(), bill));
    if (changed > 0) return ManuPlanAuditResult::Audited;
    if (GetValueOfSql("select count(*) from MNF_ManuPlan" + bill, 0).AsInteger() > 0)
        return ManuPlanAuditResult::AlreadyAudited;
    return ManuPlanAuditResult::NotFound;
}

std::string ManuPlanListSql()
{
    return fmt::format(
        "select m.BillCode, m.BillDate, m.BillState, g.Code as GoodsCode, g.Name as GoodsName, m.Quantity, "
        "m.FinishDate, m.ReleasedQty, m.Closed, m.ReferBillID, m.ReferItemNo, m.ReMark "
        "from MNF_ManuPlan m join L_Goods g on m.GoodsID=g.GoodsID where m.ShopID={} order by m.BillCode, m.ItemNo",
        CurrentHost().ShopID());
}

}  // namespace mfg
