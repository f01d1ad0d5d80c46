#include "ManufactureRelease.h"

#include <stdexcept>

#include <fmt/format.h>

#include "Calculations.h"
#include "MrpEngine.h"
#include "PurchaseRelease.h"
#include "ReleaseTransaction.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/Users.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr int kVirtualItem = 9;

const ManufactureKind kManufacture{42,
                                   "Mnf_ManuOrder",
                                   "MNF_ManuOrder",
                                   "MNF_MANUORDERDETAIL",
                                   "MNF_MANUORDERSUB",
                                   2042,
                                   "你没有加工单的新增权限,不能下达加工单!",
                                   "MRP生产建议下达的生产加工单",
                                   "确定执行主生产计划  -- 下达生产加工单"};
const ManufactureKind kOutsourcing{54,
                                   "CM_Machining",
                                   "CM_Machining",
                                   "CM_MACHININGDETAIL",
                                   "CM_MACHININGSUB",
                                   2054,
                                   "你没有委托加工单的新增权限,不能下达委托加工单!",
                                   "MRP生产建议下达的委托加工单",
                                   "确定执行主生产计划  -- 下达委托加工单"};

constexpr std::string_view kLineColumns =
    "billid, itemno, goodsid, aprice, price, quantity, amount, unitid, unitquantity, unitprice, unitqty1, unitqty2, "
    "unitqty3, extqty, referextqty, batchcode, productdate, validdate, tokenqty, tokenamt, wastedqty, wastedamt, "
    "refercount, referbilltype, referbillid, referitemno, breferid, referqty, ioqty, userdef1, userdef2, userdef3, "
    "remark";

std::vector<std::string> HeaderColumns(const ManufactureKind& kind)
{
    if (kind.IsOutsourcing())
        return BillRows::ColumnList(
            "billid, billkind, billstate, billcode, billdate, traderid, goodsid, shopid, empid, departmentid, "
            "opid, checkorid, printtmpltid, credid, quantity, finishedqty, deliverydate, refercount, "
            "referitemno, referbilltype, referbillid, closed, userdef1, userdef2, userdef3, userdef4, "
            "userdef5, updatetime, remark, sflag, extqty");
    return BillRows::ColumnList(
        "billid, billkind, billstate, billcode, billdate, workshopid, storeid, goodsid, shopid, empid, "
        "departmentid, opid, checkorid, printtmpltid, credid, plandate, finisheddate, amount, quantity, "
        "finishedqty, refercount, usetime, referitemno, referbilltype, referbillid, closed, userdef1, "
        "userdef2, userdef3, userdef4, userdef5, updatetime, remark, sflag, extqty");
}

std::vector<std::string> LineColumns(const ManufactureKind& kind)
{
    return BillRows::ColumnList(kind.IsOutsourcing() ? std::string(kLineColumns)
                                                     : std::string(kLineColumns) + ", countwageitemid");
}

bool IsGoodsRow(const DataSet& cdsManu)
{
    return !cdsManu.FieldByName("goodscode").AsString().empty();
}

std::int32_t IntOf(const DataSet& rows, std::string_view field)
{
    return static_cast<std::int32_t>(rows.FieldByName(field).AsInteger());
}

}  // namespace

const ManufactureKind& ManufactureKindOf(int billType)
{
    if (billType == kManufacture.billType) return kManufacture;
    if (billType == kOutsourcing.billType) return kOutsourcing;
    throw std::invalid_argument(fmt::format("no manufacture release of bill type {}", billType));
}

ManufactureRelease::ManufactureRelease(int billType)
    : kind(ManufactureKindOf(billType)),
      header(std::string(kind.headerTable), HeaderColumns(kind)),
      lines(std::string(kind.lineTable), LineColumns(kind)),
      substitutes(std::string(kind.subTable),
                  BillRows::ColumnList(
                      "billid, itemno, subgoodsid, orderno, rate, quantity, tokenqty, wastedqty, extqty, memo")),
      steps("MNF_MANUORDERPROC",
            BillRows::ColumnList("billid, itemno, orderno, remark, countwageitemid, workshopid, workcenterid"))
{
}

bool ManufactureRelease::Permitted() const
{
    if (HasAppendPrivilege(kind.privilege)) return true;
    ShowError(kind.refused);
    return false;
}

std::optional<ReleaseRowProblem> ManufactureRelease::Check(DataSet& cdsManu) const
{
    double limit = 0, sum = 0;
    const DateTime today = Today();
    for (cdsManu.First(); !cdsManu.Eof(); cdsManu.Next()) {
        if (IsGoodsRow(cdsManu)) {
            limit = cdsManu.FieldByName("fixqty").AsFloat();
            sum = 0;
            continue;
        }
        auto problem = [&](std::string message, std::string field) {
            return ReleaseRowProblem{cdsManu.RecNo(), std::move(message), std::move(field)};
        };
        const double manuqty = FormatQuantity(cdsManu.FieldByName("manuqty").AsFloat());
        sum += manuqty;
        const Field& start = cdsManu.FieldByName("startdate");
        const Field& finish = cdsManu.FieldByName("manufinishdate");
        if (manuqty <= 0) return problem("本次下达数量必须大于0！", "manuqty");
        if (sum > limit) return problem("本次下达数量不能大于修正数量！", "manuqty");
        if (kind.IsOutsourcing() && IntOf(cdsManu, "traderid") <= 0)
            return problem("没有选择加工单位或选择有误！", "traderid");
        if (!kind.IsOutsourcing() && IntOf(cdsManu, "workid") <= 0)
            return problem("没有选择生产车间或选择有误！", "workid");
        if (start.IsNull() || finish.IsNull()) return problem("开工日期或完工日期不能为空！", "manufinishdate");
        if (finish.AsDateTime().Date() < start.AsDateTime().Date())
            return problem("完工日期不得小于开工日期！", "manufinishdate");
        if (start.AsDateTime().Date() < today) return problem("开工日期不得小于当前系统日期！", "startdate");
    }
    return std::nullopt;
}

void ManufactureRelease::Clear()
{
    header.Clear();
    lines.Clear();
    substitutes.Clear();
    steps.Clear();
}

void ManufactureRelease::AppendSubstitutes(std::int32_t parent, std::int32_t component, int billId, int itemNo,
                                           double quantity)
{
    auto query = CreateAutoQuery(
        "Select m.*,u.rate  as unitrate from l_goodsbomsub m  left join l_goodsunit u on "
        "m.SubGoodsID = u.goodsid and u.unittype=1  left join l_goods g on "
        "m.subgoodsid=g.goodsid   Where g.closed =0 and m.goodsid =" +
            std::to_string(parent) + " and m.elemgid =" + std::to_string(component),
        true);
    for (query->First(); !query->Eof(); query->Next()) {
        const double rate = query->FieldByName("rate").AsFloat();
        const double unitRate = query->FieldByName("unitrate").AsFloat();
        const double subQuantity = FormatQuantity(quantity * rate);
        substitutes.Append();
        substitutes.Set("Billid", billId);
        substitutes.Set("Itemno", itemNo);
        substitutes.Set("Orderno", query->FieldByName("ItemNO").Value());
        substitutes.Set("SubGoodsID", query->FieldByName("SubGoodsID").Value());
        substitutes.Set("rate", rate);
        substitutes.Set("Quantity", subQuantity);
        substitutes.Set("TokenQty", 0);
        substitutes.Set("WastedQty", 0);
        if (unitRate != 0) substitutes.Set("Extqty", FormatQuantity(subQuantity / unitRate));
        substitutes.Set("memo", query->FieldByName("memo").Value());
    }
}

void ManufactureRelease::AppendComponents(std::int32_t parent, double quantity, int billId, int& itemNo, bool nested)
{
    auto query = CreateAutoQuery(
        "Select B.ElemgID,B.Quantity,B.WasteRate,B.countwageitemid,U.UnitID,G.APrice,b.memo From L_GoodsBom B  left "
        "join "
        "L_GoodsUnit U on B.ElemgID = U.GoodsID and U.IsBase = 1  left join L_Goods G on B.ElemgID = G.GoodsID  where "
        "B.State=1 and " +
            std::string(nested ? "g.closed =0" : "g.closed = 0") + " and B.GoodsID = " + std::to_string(parent) +
            " order by orderno",
        true);
    for (query->First(); !query->Eof(); query->Next()) {
        const auto component = static_cast<std::int32_t>(query->FieldByName("ElemgID").AsInteger());
        const double qc = RoundHalfUp(query->FieldByName("Quantity").AsFloat() * quantity *
                                          (query->FieldByName("WasteRate").AsFloat() * 0.01 + 1),
                                      6);
        // A virtual item is no material of its own: its parts go into the order in its place.
        if (LookupData(3, component, "Kind").AsInteger() == kVirtualItem) {
            AppendComponents(component, qc, billId, itemNo, true);
            continue;
        }
        const double aprice = query->FieldByName("APrice").AsFloat();
        const auto unitid = static_cast<std::int32_t>(query->FieldByName("UnitID").AsInteger());
        lines.Append();
        lines.Set("BillID", billId);
        lines.Set("ItemNo", ++itemNo);
        lines.Set("GoodsID", component);
        lines.Set("unitQuantity", qc);
        lines.Set("Quantity", qc);
        for (auto zero : {"ReferCount", "ReferQty", "APrice", "IOQty", "TokenQty", "TokenAmt", "WastedQty", "WastedAmt",
                          "referextqty"})
            lines.Set(zero, 0);
        lines.Set("Price", aprice);
        lines.Set("unitprice", aprice);
        lines.Set("Amount", aprice * qc);
        lines.Set("unitid", unitid);
        SetUnitQuantities(lines, unitid, qc);
        lines.Set("extqty", AuxiliaryQuantity(component, qc));
        lines.Set("countwageitemid", query->FieldByName("countwageitemid").Value());
        lines.Set("remark", query->FieldByName("memo").Value());
        AppendSubstitutes(parent, component, billId, itemNo, qc);
    }
}

void ManufactureRelease::AppendProcessSteps(std::int32_t goodsid, int billId)
{
    auto query = CreateAutoQuery("Select * from l_goodsbomproc  Where goodsid =" + std::to_string(goodsid), true);
    int itemNo = 0;
    for (query->First(); !query->Eof(); query->Next()) {
        steps.Append();
        steps.Set("Billid", billId);
        steps.Set("Itemno", ++itemNo);
        for (auto copied : {"Orderno", "countwageitemid", "workshopid", "workcenterid"})
            steps.Set(copied, query->FieldByName(copied).Value());
    }
}

void ManufactureRelease::WriteOrder(DataSet& cdsManu, const MrpEngine& engine, const BomFigures& figures, int billId,
                                    const std::string& billCode, DateTime billDate)
{
    Host& host = CurrentHost();
    const std::int32_t goodsid = IntOf(cdsManu, "goodsid");
    const double manuqty = FormatQuantity(cdsManu.FieldByName("manuqty").AsFloat());
    header.Append();
    header.Set("BillID", billId);
    header.Set("BillDate", billDate);
    header.Set("BillCode", billCode);
    header.Set("BillState", 0);
    header.Set("BillKind", 1);
    header.Set("OPID", host.UserID());
    header.Set("GoodsID", goodsid);
    header.Set("ShopID", host.ShopID());
    header.Set("Quantity", manuqty);
    header.Set("extqty", AuxiliaryQuantity(goodsid, manuqty));
    for (auto zero : {"FinishedQty", "ReferCount", "SFlag", "Closed"}) header.Set(zero, 0);
    header.Set("UpdateTime", host.GetSystemTime());
    header.Set("Remark", std::string(kind.remark));
    if (kind.IsOutsourcing()) {
        header.Set("traderid", cdsManu.FieldByName("traderid").Value());
        header.Set("DeliveryDate", cdsManu.FieldByName("manufinishdate").Value());
    } else {
        header.Set("WorkShopID", cdsManu.FieldByName("workid").Value());
        if (IntOf(cdsManu, "empid") > 0) header.Set("EmpID", IntOf(cdsManu, "empid"));
        // Without a batch size the working hours of the BOM say nothing about this order.
        header.Set("UseTime", figures.masterQty == 0 ? 0.0 : manuqty * figures.useTime / figures.masterQty);
        header.Set("PlanDate", cdsManu.FieldByName("startdate").Value());
        header.Set("FinishedDate", cdsManu.FieldByName("manufinishdate").Value());
        header.Set("Amount", 0);
    }
    if (!cdsManu.FieldByName("billcode").AsString().empty() && engine.IsPlanLineSource(cdsManu)) {
        header.Set("referbillid", cdsManu.FieldByName("billid").Value());
        header.Set("referitemno", cdsManu.FieldByName("itemno").Value());
        header.Set("referbilltype", cdsManu.FieldByName("billtype").AsString() == "主生产计划" ? 43 : 12);
    }
    int itemNo = 0;
    AppendComponents(goodsid, manuqty, billId, itemNo, false);
    if (!kind.IsOutsourcing()) AppendProcessSteps(goodsid, billId);
    released.push_back({goodsid, manuqty, billCode});
}

std::vector<std::string> ManufactureRelease::Release(DataSet& cdsManu, const MrpEngine& engine)
{
    std::vector<std::string> codes;
    released.clear();
    try {
        const DateTime billDate = ReleaseDocumentDate();
        ReleaseTransaction release({kind.billType, kind.keyTable, kind.headerTable}, billDate, header);
        std::int32_t previous = -1;
        BomFigures figures;
        for (cdsManu.First(); !cdsManu.Eof(); cdsManu.Next()) {
            const std::int32_t goodsid = IntOf(cdsManu, "goodsid");
            if (goodsid != previous) {
                auto bom = CreateAutoQuery("select UseTime, MasterQty from l_goodsbom where state=1 and goodsid=" +
                                               std::to_string(goodsid) + " order by elemgid",
                                           true);
                figures = bom->IsEmpty() ? BomFigures{}
                                         : BomFigures{bom->FieldByName("UseTime").AsFloat(),
                                                      bom->FieldByName("MasterQty").AsFloat()};
                previous = goodsid;
            }
            if (IsGoodsRow(cdsManu)) continue;
            release.AddDocument([&](int billId, const std::string& billCode) {
                WriteOrder(cdsManu, engine, figures, billId, billCode, billDate);
            });
        }
        codes = release.Commit(
            [&] {
                header.Write();
                lines.Write();
                substitutes.Write();
                steps.Write();
            },
            told);
        for (std::size_t i = 0; i < codes.size(); ++i) released[i].billCode = codes[i];
    } catch (const std::exception& error) {
        Clear();
        released.clear();
        ShowError("生产建议下达失败:" + CleanReleaseError(error.what()));
        return {};
    }
    ShowInformation("生产建议已下达成功!");
    return codes;
}

}  // namespace mfg
