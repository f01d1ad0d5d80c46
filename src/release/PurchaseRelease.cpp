#include "PurchaseRelease.h"

#include <stdexcept>

#include <fmt/format.h>

#include "Calculations.h"
#include "PurchaseColumns.h"
#include "ReleaseTransaction.h"
#include "SuggestionReleases.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/Users.h"

namespace mfg {
namespace {

const PurchaseKind kOrder{
    2, "采购订单", "P_Order", "P_ORDER", "P_ORDERDETAIL", 2002, "你没有采购订单的新增权限,不能下达采购订单!"};
const PurchaseKind kRequest{
    5, "请购单", "P_Request", "P_REQUEST", "P_REQUESTDETAIL", 2005, "你没有请购单的新增权限,不能下达请购单!"};

bool Ticked(const DataSet& rows)
{
    return rows.FieldByName("selected").AsInteger() == 1;
}

//! The quantity a document takes of a row: the corrected quantity in the host's decimals.
double ReleasedQuantity(const DataSet& rows)
{
    return FormatQuantity(rows.FieldByName("fixqty").AsFloat());
}

bool Releasable(const DataSet& rows)
{
    return rows.FieldByName("sugqty").AsFloat() > 0 && ReleasedQuantity(rows) > 0;
}

void Untick(DataSet& rows)
{
    rows.Edit();
    rows.FieldByName("selected").SetValue(0);
    rows.Post();
}

std::int32_t GoodsOf(const DataSet& rows)
{
    return static_cast<std::int32_t>(rows.FieldByName("goodsid").AsInteger());
}

}  // namespace

const PurchaseKind& PurchaseKindOf(int billType)
{
    if (billType == kOrder.billType) return kOrder;
    if (billType == kRequest.billType) return kRequest;
    throw std::invalid_argument(fmt::format("no purchase release of bill type {}", billType));
}

std::int32_t UsableDefaultSupplier(std::int32_t goodsid)
{
    const int shop = CurrentHost().ShopID();
    std::string sql =
        "select t.traderid from l_goods g,l_trader t where  g.traderid=t.traderid and (t.isclient=0 or "
        "t.acctrader=1)and g.goodsid = " +
        std::to_string(goodsid);
    if (shop != 0) sql += " and t.shopid = " + std::to_string(shop);
    const auto trader = static_cast<std::int32_t>(GetValueOfSql(sql, -99).AsInteger());
    if (trader <= 0 || LookupData(19, trader, "ShopID").AsInteger() != shop) return 0;
    return trader;
}

std::string SupplierFilter()
{
    const int shop = CurrentHost().ShopID();
    if (LookupSysParam("ShopTrader") == "1" || (shop == 0 && LookupSysParam("ShopAccount") == "0"))
        return "(IsVendor=1 and Closed=0 and TraderID>0 ) or (acctrader=1 and Closed=0 and TraderID>0)";
    return fmt::format(
        "(IsVendor = 1 and Closed = 0 and TraderID > 0 and ShopID = {0}) or (acctrader = 1 and Closed = "
        "0 and TraderID > 0 and ShopID = {0})",
        shop);
}

SupplierTerms ReadSupplierTerms(std::int32_t traderid)
{
    SupplierTerms terms;
    terms.traderid = traderid;
    auto query = CreateAutoQuery(
        "select shiptype,contactor,tel1,fax,shipto,paymethodid,isnull(moneyid,0) as moneyid from "
        "l_trader where traderid = " +
            std::to_string(traderid),
        true);
    if (!query->IsEmpty()) {
        terms.shiptype = query->FieldByName("shiptype").Value();
        terms.contactor = query->FieldByName("contactor").Value();
        terms.tel1 = query->FieldByName("tel1").Value();
        terms.fax = query->FieldByName("fax").Value();
        terms.shipto = query->FieldByName("shipto").Value();
        terms.paymethodid = query->FieldByName("paymethodid").Value();
        terms.moneyid = static_cast<std::int32_t>(query->FieldByName("moneyid").AsInteger());
    }
    // A rate that is not a whole number is used as stored: cutting it would misprice the order.
    if (terms.moneyid > 0) terms.rate = LookupData(13, terms.moneyid, "Rate").AsFloat();
    terms.taxRate = LookupData(19, traderid, "taxrate").AsFloat();
    return terms;
}

double InSupplierCurrency(const SupplierTerms& terms, double value)
{
    return terms.moneyid > 0 ? ConvertByRate(terms.moneyid, terms.rate, value) : value;
}

void SetUnitQuantities(BillRows& lines, std::int32_t unitid, double quantity)
{
    const auto sequence = LookupData(40, unitid, "Sequence").AsInteger();
    for (int field = 1; field <= 3; ++field)
        lines.Set(fmt::format("unitqty{}", field), sequence == field ? quantity : 0.0);
}

double AuxiliaryUnitRate(std::int32_t goodsid)
{
    return GetValueOfSql("select Rate from L_GoodsUnit where UnitType = 1 and GoodsID = " + std::to_string(goodsid), 0)
        .AsFloat();
}

double AuxiliaryQuantity(std::int32_t goodsid, double quantity)
{
    const double rate = AuxiliaryUnitRate(goodsid);
    return rate == 0 ? 0 : FormatQuantity(quantity / rate);
}

void SetPurchaseHeader(BillRows& header, const PurchaseKind& kind, int billId, const std::string& billCode,
                       DateTime billDate, const std::string& remark)
{
    Host& host = CurrentHost();
    header.Append();
    header.Set("BillID", billId);
    header.Set("BillDate", billDate);
    header.Set("BillState", 0);
    header.Set("BillKind", 1);
    header.Set("BillCode", billCode);
    header.Set("OPID", host.UserID());
    header.Set("ShopID", host.ShopID());
    header.Set("UpdateTime", host.GetSystemTime());
    for (auto zero : {"referamt", "ReferCount", "SFlag", "Closed"}) header.Set(zero, 0);
    header.Set("Remark", remark);
    if (!kind.IsOrder()) return;
    header.Set("modifierid", host.UserID());
    header.Set("validdate", DateTime::FromYmd(2050, 12, 31));
}

PurchaseRelease::PurchaseRelease(int billType)
    : kind(PurchaseKindOf(billType)),
      header(std::string(kind.headerTable), kind.IsOrder() ? purchase::OrderColumns(true) : purchase::RequestColumns()),
      lines(std::string(kind.lineTable), kind.IsOrder() ? purchase::OrderLineColumns() : purchase::RequestLineColumns())
{
}

std::int32_t PurchaseRelease::SupplierOf(std::int32_t goodsid) const
{
    if (!kind.IsOrder()) return 0;
    if (std::int32_t trader = UsableDefaultSupplier(goodsid)) return trader;
    auto chosen = chosenSuppliers.find(goodsid);
    return chosen == chosenSuppliers.end() ? 0 : chosen->second;
}

bool PurchaseRelease::ChooseSuppliers(DataSet& cdsPurSug, const SupplierChooser& choose)
{
    for (cdsPurSug.First(); !cdsPurSug.Eof(); cdsPurSug.Next()) {
        if (!Ticked(cdsPurSug) || cdsPurSug.FieldByName("sugqty").AsFloat() <= 0) continue;
        const std::int32_t goodsid = GoodsOf(cdsPurSug);
        if (SupplierOf(goodsid) > 0) continue;
        const std::string text = "提示: 请选择货品的往来单位!\n编号: " + cdsPurSug.FieldByName("goodscode").AsString() +
                                 "\n规格: " + cdsPurSug.FieldByName("specs").AsString() +
                                 "\n名称: " + cdsPurSug.FieldByName("goodsname").AsString();
        const std::int32_t trader = choose ? choose(goodsid, text) : 0;
        if (trader <= 0) return false;
        chosenSuppliers[goodsid] = trader;
    }
    return true;
}

std::vector<PurchaseRelease::Document> PurchaseRelease::Group(DataSet& cdsPurSug)
{
    std::vector<Document> documents;
    for (cdsPurSug.First(); !cdsPurSug.Eof(); cdsPurSug.Next()) {
        if (!Ticked(cdsPurSug) || !Releasable(cdsPurSug)) continue;
        Document document{SupplierOf(GoodsOf(cdsPurSug)), cdsPurSug.FieldByName("revdate").AsDateTime().Date(), {}};
        const int opening = cdsPurSug.RecNo();
        for (cdsPurSug.First(); !cdsPurSug.Eof(); cdsPurSug.Next()) {
            if (!Ticked(cdsPurSug)) continue;
            if (!Releasable(cdsPurSug)) {
                Untick(cdsPurSug);
                continue;
            }
            const bool joins =
                !kind.IsOrder() || (SupplierOf(GoodsOf(cdsPurSug)) == document.traderid &&
                                    cdsPurSug.FieldByName("revdate").AsDateTime().Date() == document.revdate);
            if (!joins) continue;
            document.rows.push_back(cdsPurSug.RecNo());
            Untick(cdsPurSug);
        }
        documents.push_back(std::move(document));
        cdsPurSug.SetRecNo(opening);
    }
    return documents;
}

void PurchaseRelease::WriteDocument(DataSet& cdsPurSug, const Document& document, int billId,
                                    const std::string& billCode, DateTime billDate)
{
    const SupplierTerms terms = kind.IsOrder() ? ReadSupplierTerms(document.traderid) : SupplierTerms{};
    cdsPurSug.SetRecNo(document.rows.front());
    const double openingAmount = cdsPurSug.FieldByName("amount").AsFloat();
    SetPurchaseHeader(header, kind, billId, billCode, billDate, "MRP采购建议下达的" + std::string(kind.docName));
    header.Set("Amount", InSupplierCurrency(terms, FormatAmount(openingAmount * kHeaderTaxFactor)));
    if (kind.IsOrder()) {
        header.Set("TraderID", document.traderid);
        header.Set("cTraderID", document.traderid);
        header.Set("RevDate", document.revdate);
        header.Set("ShipType", terms.shiptype);
        header.Set("contactphone", terms.tel1);
        header.Set("paymethodid", terms.paymethodid);
        header.Set("linkman", terms.contactor);
        header.Set("billto", terms.shipto);
        header.Set("contactfax", terms.fax);
        header.Set("lcAmount", FormatAmount(openingAmount * kHeaderTaxFactor));
        header.Set("exrate", terms.rate);
        header.Set("MoneyID", terms.moneyid);
    }
    const double tax = terms.taxRate;
    int itemNo = 0;
    for (int row : document.rows) {
        cdsPurSug.SetRecNo(row);
        const std::int32_t goodsid = GoodsOf(cdsPurSug);
        const double q = ReleasedQuantity(cdsPurSug);
        const double localPrice = cdsPurSug.FieldByName("price").AsFloat();
        const double amount = cdsPurSug.FieldByName("amount").AsFloat();
        const double p = InSupplierCurrency(terms, localPrice);
        const auto unitid = static_cast<std::int32_t>(LookupData(3, goodsid, "UnitID").AsInteger());
        lines.Append();
        lines.Set("BillID", billId);
        lines.Set("ItemNo", ++itemNo);
        lines.Set("chargedate", cdsPurSug.FieldByName("revdate").AsDateTime().Date());
        lines.Set("GoodsID", goodsid);
        lines.Set("unitQuantity", q);
        lines.Set("Quantity", q);
        for (auto zero :
             {"ReferCount", "ReferQty", "ReferExtQty", "APrice", "IOQty", "GReferQty", "GReferExtQty", "Closed"})
            lines.Set(zero, 0);
        lines.Set("Price", p);
        lines.Set("unitprice", p);
        lines.Set("Amount", FormatAmount(q * p * (100 + tax) * 0.01));
        lines.Set("unitid", unitid);
        SetUnitQuantities(lines, unitid, q);
        lines.Set("extqty", AuxiliaryQuantity(goodsid, q));
        if (!kind.IsOrder()) continue;
        lines.Set("OrigPrice", p);
        lines.Set("OrigTaxPrice", (100 + tax) * 0.01 * p);
        lines.Set("TaxPrice", (100 + tax) * 0.01 * p);
        lines.Set("disc", 100);
        lines.Set("taxrate", tax);
        lines.Set("taxamt", FormatAmount(q * p * tax * 0.01));
        lines.Set("goodsamt", FormatAmount(q * p));
        lines.Set("lcPrice", localPrice);
        lines.Set("lcunitprice", localPrice);
        lines.Set("lcTaxPrice", localPrice * (100 + tax) * 0.01);
        lines.Set("lctaxamt", FormatAmount(q * p * tax * 0.01));
        lines.Set("lcAmount", FormatAmount(amount * (100 + tax) * 0.01));
        lines.Set("lcgoodsamt", amount);
    }
}

std::vector<std::string> PurchaseRelease::Release(DataSet& cdsPurSug, const SupplierChooser& choose)
{
    if (cdsPurSug.IsEmpty()) return {};
    const std::string docName(kind.docName);
    if (!HasAppendPrivilege(kind.privilege)) {
        ShowError(kind.refused);
        return {};
    }
    bool anyTicked = false;
    for (cdsPurSug.First(); !cdsPurSug.Eof() && !anyTicked; cdsPurSug.Next()) anyTicked = Ticked(cdsPurSug);
    if (!anyTicked) {
        ShowInformation("请选择要下达" + docName + "的货品。");
        return {};
    }
    if (!ConfirmReleaseOfTicked(cdsPurSug)) return {};
    if (kind.IsOrder() && !ChooseSuppliers(cdsPurSug, choose)) return {};

    std::vector<std::string> codes;
    cdsPurSug.DisableControls();
    struct Enable {
        DataSet& rows;
        ~Enable() { rows.EnableControls(); }
    } enable{cdsPurSug};
    try {
        const std::vector<Document> documents = Group(cdsPurSug);
        const DateTime billDate = ReleaseDocumentDate();
        ReleaseTransaction release({kind.billType, kind.keyTable, kind.headerTable}, billDate, header);
        for (const auto& document : documents)
            release.AddDocument([&](int billId, const std::string& billCode) {
                WriteDocument(cdsPurSug, document, billId, billCode, billDate);
            });
        codes = release.Commit(
            [&] {
                header.Write();
                lines.Write();
            },
            told);
        for (std::size_t i = 0; i < documents.size(); ++i)
            for (int row : documents[i].rows) {
                cdsPurSug.SetRecNo(row);
                RecordRelease(cdsPurSug, ReleasedQuantity(cdsPurSug), codes[i]);
            }
        cdsPurSug.First();
        ShowInformation(docName + (codes.empty() ? "没有成功下达!" : "已下达成功!"));
    } catch (const std::exception& error) {
        header.Clear();
        lines.Clear();
        cdsPurSug.First();
        ShowError(docName + "下达失败:" + CleanReleaseError(error.what()));
        return {};
    }
    return codes;
}

}  // namespace mfg
