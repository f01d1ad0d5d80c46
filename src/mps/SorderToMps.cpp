#include "SorderToMps.h"

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "BillCode.h"
#include "Calculations.h"
#include "ManuPlanBill.h"
#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr const char* kSalesLinesSql =
    " select 0 as Selected ,\n"
    " a.BillID,\n"
    " a.BillDate,\n"
    " b.ItemNO,\n"
    " a.RevDate,\n"
    " a.BillCode ,\n"
    " b.GoodsID,\n"
    " (b.Quantity - b.ReferQty) As MnQty ,\n"
    " g.Code As GoodsCode ,\n"
    " g.Name As GoodsName ,\n"
    " g.Specs,\n"
    " u.UnitName As UnitName,\n"
    " cast(NULL as datetime) As MNEndDate\n"
    " from S_ORDER a\n"
    " inner join S_OrderDetail b on a.BillID = b.BillID\n"
    " inner join L_Goods g on b.GoodsID = g.GoodsID\n"
    " left join l_Goodsunit u on (g.GoodsID = u.GoodsID and u.isbase = 1)\n"
    " where a.Closed = 0\n"
    " and b.Closed = 0\n"
    " and isnull(b.MPSREFERED,0) = 0\n"
    " and b.Quantity > b.ReferQty\n"
    " and ((a.RevDate Is Null and a.BillDate Between :BegDate and :EndDate)\n"
    " or (a.RevDate Between :BegDate2 and :EndDate2))\n"
    " and a.BillState = 1\n"
    " and g.kind = 3\n"
    " and a.shopid = :shopid\n"
    " Order By a.BillCode";

constexpr const char* kRemark = "销售订单直接下达";

//! Marks the order line as taken (MPSREFERED) unless a schedule line took it already; false then.
//! Inside the transaction that writes the schedule line: a second user converting the same line at
//! the same moment waits here for that transaction and then finds the line taken.
bool ClaimSalesLine(std::int64_t billId, std::int64_t itemNo)
{
    return SqlExecute(fmt::format("update S_OrderDetail set MPSREFERED=1 where BillID={0} and ItemNo={1} and "
                                  "isnull(MPSREFERED,0)=0 and not exists (select 1 from MNF_ManuPlan p where "
                                  "p.ReferBillID={0} and p.ReferItemNo={1})",
                                  billId, itemNo)) > 0;
}

//! The order line another user converted, with the schedule line that took it.
std::string TakenLineText(const std::string& orderCode, std::int64_t billId, std::int64_t itemNo)
{
    std::string planCode = GetValueOfSql(fmt::format("select min(BillCode) from MNF_ManuPlan where ReferBillID={} "
                                                     "and ReferItemNo={}",
                                                     billId, itemNo),
                                         "")
                               .AsString();
    return fmt::format("订单 {} 第 {} 行已由其他用户转入主生产计划{}, 未再转入。", orderCode, itemNo,
                       planCode.empty() ? "" : " (" + planCode + ")");
}

}  // namespace

SorderToMps::SorderToMps()
{
    qrySorderDetail.SetSql(kSalesLinesSql);
    qrySorderDetail.OnFieldChange("Selected", [this](Field& field) { SelectedChanged(field); });
}

void SorderToMps::Reload(DateTime begDate, DateTime endDate)
{
    Host& host = CurrentHost();
    qrySorderDetail.Close();
    qrySorderDetail.SetParam("shopid", host.ShopID());
    qrySorderDetail.SetParam("BegDate", begDate.Date());
    qrySorderDetail.SetParam("BegDate2", begDate.Date());
    qrySorderDetail.SetParam("EndDate", endDate.Date());
    qrySorderDetail.SetParam("EndDate2", endDate.Date());
    qrySorderDetail.Open(host.DBStartup());
}

bool SorderToMps::Locate(std::string_view billCode, std::optional<int> itemNo)
{
    if (itemNo) return qrySorderDetail.Locate("BillCode;ItemNO", {std::string(billCode), *itemNo});
    return qrySorderDetail.Locate("BillCode", {std::string(billCode)});
}

void SorderToMps::SelectedChanged(Field& selected)
{
    Field& finish = qrySorderDetail.FieldByName("MNEndDate");
    if (selected.AsInteger() == 0) {
        finish.Clear();
        return;
    }
    const Field& delivery = qrySorderDetail.FieldByName("RevDate");
    finish.SetValue(delivery.IsNull() ? qrySorderDetail.FieldByName("BillDate").Value() : delivery.Value());
}

DateTime SorderToMps::EarliestFinishDate() { return std::max(Today(), GetFirstDayOfPosMonth().Date()); }

bool SorderToMps::Validate()
{
    DataSet& lines = qrySorderDetail;
    bool anySelected = false;
    for (lines.First(); !lines.Eof() && !anySelected; lines.Next())
        anySelected = lines.FieldByName("Selected").AsInteger() != 0;
    if (!anySelected) {
        ShowInformation("没有选择要转入主生产计划的销售订单记录!");
        return false;
    }
    DateTime earliest = EarliestFinishDate();
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (lines.FieldByName("Selected").AsInteger() == 0) continue;
        const Field& finish = lines.FieldByName("MNEndDate");
        if (finish.IsNull() || finish.AsDateTime().Date() < earliest) {
            ShowInformation("生产完工日期不能小于今天!");
            return false;
        }
        if (lines.FieldByName("MnQty").AsFloat() <= 0) {
            ShowInformation("数量应大于零!");
            return false;
        }
    }
    return true;
}

void SorderToMps::WriteSelected()
{
    Host& host = CurrentHost();
    DataSet& lines = qrySorderDetail;
    DateTime billDate = EarliestFinishDate();
    writtenCodes.clear();
    takenLines.clear();
    // A bill type without a code rule stops here, before a key is taken.
    ReadBillCodeRule(kManuPlanBillType, billDate);
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (lines.FieldByName("Selected").AsInteger() == 0) continue;
        const std::int64_t billId = lines.FieldByName("BillID").AsInteger();
        const std::int64_t itemNo = lines.FieldByName("ItemNO").AsInteger();
        TransactionGuard transaction(host.DBStartup());
        if (!ClaimSalesLine(billId, itemNo)) {
            takenLines.push_back(TakenLineText(lines.FieldByName("BillCode").AsString(), billId, itemNo));
            continue;
        }
        int key = GetNewKey("MNF_ManuPlan");
        std::string code = WriteNewManuPlanBill(billDate, [&](const std::string& freshCode) {
            SqlExecute(fmt::format(
                "Insert Into MNF_ManuPlan(BillID,ItemNo,BillKind,BillState,BillDate, ShopId,BillCode, "
                "ReferCount,Frozen, GoodsID,QUANTITY,FinishDate,ReleasedQty,OPID,Closed,SFlag,ReMark,ReferBillID,"
                "ReferItemNo ) Values( {},1,1,0,'{}' , {} ,{},0,0,{},{},'{}', 0, {},0,0,'{}', {},{} ) ",
                key, billDate.Format("mm/dd/yyyy"), host.ShopID(), QuoteSql(freshCode),
                lines.FieldByName("GoodsID").AsString(), lines.FieldByName("MnQty").AsString(),
                lines.FieldByName("MNEndDate").AsDateTime().Format("mm/dd/yyyy"), host.UserID(), kRemark, billId,
                itemNo));
        });
        transaction.Commit();
        writtenCodes.push_back(code);
    }
}

ConvertResult SorderToMps::Convert()
{
    if (!Validate()) return ConvertResult::Refused;
    try {
        WriteSelected();
    } catch (const DbError& error) {
        ShowError(error);
        return ConvertResult::Failed;
    } catch (const BillCodeError& error) {
        ShowError(error.what());
        return ConvertResult::Failed;
    }
    if (takenLines.empty())
        ShowMessageBox("已成功将所选的订单记录转入主生产计划!", "提示", MessageButtons::Ok, MessageIcon::Information);
    else
        ShowInformation(fmt::format("{}", fmt::join(takenLines, "\n")));
    return ConvertResult::Converted;
}

}  // namespace mfg
