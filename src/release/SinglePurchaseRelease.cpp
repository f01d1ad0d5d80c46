#include "SinglePurchaseRelease.h"

#include <fmt/format.h>

#include "Calculations.h"
#include "PurchaseColumns.h"
#include "ReleaseTransaction.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/Users.h"

namespace mfg {
namespace {

double UnitRate(const Variant& unitid)
{
    return LookupData(40, unitid, "Rate").AsFloat();
}

}  // namespace

SinglePurchaseRelease::SinglePurchaseRelease(int billType, const Suggestion& released)
    : kind(PurchaseKindOf(billType)),
      suggestion(released),
      header(std::string(kind.headerTable),
             kind.IsOrder() ? purchase::OrderColumns(false) : purchase::RequestColumns()),
      lines(std::string(kind.lineTable), kind.IsOrder() ? purchase::OrderLineColumns() : purchase::RequestLineColumns())
{
}

void SinglePurchaseRelease::DefineLines(DataSet& cdsMake)
{
    cdsMake.AddField("revdate", FieldType::DateTime);
    cdsMake.AddField("traderid", FieldType::Integer);
    cdsMake.AddField("tradername", FieldType::Text);
    cdsMake.AddField("unitid", FieldType::Integer);
    cdsMake.AddField("unitname", FieldType::Text);
    cdsMake.AddField("quantity", FieldType::Float);
    cdsMake.AddField("price", FieldType::Float);
    cdsMake.AddField("amount", FieldType::Float);
    cdsMake.AddField("brief", FieldType::Text);
    cdsMake.AddField("price2", FieldType::Float);
    cdsMake.CreateDataSet();
}

double SinglePurchaseRelease::BaseQuantity(DataSet& cdsMake)
{
    double sum = 0;
    for (int row = 0; row < cdsMake.RecordCount(); ++row)
        sum += FormatQuantity(cdsMake.ValueAt(row, cdsMake.FieldByName("quantity").Index()).AsFloat() *
                              UnitRate(cdsMake.ValueAt(row, cdsMake.FieldByName("unitid").Index())));
    return sum;
}

void SinglePurchaseRelease::NewLine(DataSet& cdsMake, double before)
{
    const Variant unitid = LookupData(3, suggestion.goodsid, "UnitID");
    cdsMake.FieldByName("unitid").SetValue(unitid);
    cdsMake.FieldByName("unitname").SetValue(LookupData(40, unitid, "UnitName"));
    const Variant trader = LookupData(3, suggestion.goodsid, "TraderID");
    if (!trader.IsNull()) {
        cdsMake.FieldByName("traderid").SetValue(trader);
        SupplierChanged(cdsMake);
    }
    cdsMake.FieldByName("quantity").SetValue(FormatQuantity(suggestion.quantity - before));
    cdsMake.FieldByName("revdate").SetValue(suggestion.revdate);
    cdsMake.FieldByName("price").SetValue(suggestion.price);
    cdsMake.FieldByName("price2").SetValue(suggestion.price);
    ConvertPrice(cdsMake);
    AmountChanged(cdsMake);
}

void SinglePurchaseRelease::ConvertPrice(DataSet& cdsMake) const
{
    const double price = cdsMake.FieldByName("price").AsFloat();
    // A rate that is not a whole number is used as stored: cutting it would misprice the line.
    const double converted = kind.IsOrder() && moneyid > 0
                                 ? ConvertByRate(moneyid, LookupData(13, moneyid, "Rate").AsFloat(), price)
                                 : price;
    cdsMake.FieldByName("price2").SetValue(converted);
}

void SinglePurchaseRelease::SupplierChanged(DataSet& cdsMake)
{
    const Variant trader = cdsMake.FieldByName("traderid").Value();
    cdsMake.FieldByName("tradername").SetValue(LookupData(19, trader, "name"));
    moneyid = static_cast<std::int32_t>(LookupData(19, trader, "MoneyID").AsInteger());
    ConvertPrice(cdsMake);
}

void SinglePurchaseRelease::UnitChanged(DataSet& cdsMake, std::int32_t previousUnit)
{
    const Variant unitid = cdsMake.FieldByName("unitid").Value();
    const double base = FormatQuantity(cdsMake.FieldByName("quantity").AsFloat() * UnitRate(previousUnit));
    const double rate = UnitRate(unitid);
    cdsMake.FieldByName("quantity").SetValue(rate == 0 ? 0.0 : FormatQuantity(base / rate));
    cdsMake.FieldByName("unitname").SetValue(LookupData(40, unitid, "UnitName"));
    cdsMake.FieldByName("price").SetValue(FormatPrice(LookupData(40, unitid, "pprice").AsFloat()));
    ConvertPrice(cdsMake);
    AmountChanged(cdsMake);
}

void SinglePurchaseRelease::PriceChanged(DataSet& cdsMake) const
{
    ConvertPrice(cdsMake);
    AmountChanged(cdsMake);
}

void SinglePurchaseRelease::AmountChanged(DataSet& cdsMake)
{
    cdsMake.FieldByName("amount").SetValue(
        FormatAmount(cdsMake.FieldByName("quantity").AsFloat() * cdsMake.FieldByName("price").AsFloat()));
}

std::optional<std::string> SinglePurchaseRelease::Check(DataSet& cdsMake) const
{
    if (!HasAppendPrivilege(kind.privilege)) return std::string(kind.refused);
    if (cdsMake.IsEmpty()) return "没有输入要下达" + std::string(kind.docName) + "的信息！";
    const DateTime firstDay = GetFirstDayOfPosMonth().Date();
    for (cdsMake.First(); !cdsMake.Eof(); cdsMake.Next()) {
        const std::string line = fmt::format("第[{}]行，", cdsMake.RecNo());
        const Field& revdate = cdsMake.FieldByName("revdate");
        if (revdate.IsNull() || revdate.AsDateTime().Date() < firstDay) return line + "收货日期没有输入或输入有误！";
        if (kind.IsOrder() && cdsMake.FieldByName("traderid").AsInteger() <= 0)
            return line + "没有选择供应商或选择有误！";
        if (FormatQuantity(cdsMake.FieldByName("quantity").AsFloat()) <= 0) return line + "没有输入数量或输入有误！";
    }
    return std::nullopt;
}

void SinglePurchaseRelease::WriteDocument(DataSet& cdsMake, int billId, const std::string& billCode, DateTime billDate)
{
    const std::string docName(kind.docName);
    const auto traderid = static_cast<std::int32_t>(cdsMake.FieldByName("traderid").AsInteger());
    const SupplierTerms terms = kind.IsOrder() ? ReadSupplierTerms(traderid) : SupplierTerms{};
    const double tax = terms.taxRate;
    const double q = FormatQuantity(cdsMake.FieldByName("quantity").AsFloat());
    const double price = cdsMake.FieldByName("price").AsFloat();
    const double p2 = cdsMake.FieldByName("price2").AsFloat();
    const double amount = cdsMake.FieldByName("amount").AsFloat();
    const Variant unitid = cdsMake.FieldByName("unitid").Value();
    const double rate = UnitRate(unitid);
    const DateTime revdate = cdsMake.FieldByName("revdate").AsDateTime().Date();

    SetPurchaseHeader(header, kind, billId, billCode, billDate,
                      cdsMake.FieldByName("brief").AsString() + "(MRP采购建议下达的" + docName + ")");
    header.Set("Amount", FormatAmount(q * p2 * kHeaderTaxFactor));
    if (kind.IsOrder()) {
        header.Set("TraderID", traderid);
        header.Set("cTraderID", traderid);
        header.Set("RevDate", revdate);
        if (!terms.shiptype.AsString().empty()) header.Set("ShipType", terms.shiptype);
        header.Set("contactphone", terms.tel1);
        header.Set("contactor", terms.contactor);
        header.Set("billto", terms.shipto);
        header.Set("contactfax", terms.fax);
        header.Set("lcAmount", FormatAmount(amount * (0.01 * tax + 1)));
        header.Set("exrate", terms.rate);
        header.Set("moneyid", terms.moneyid);
    }
    lines.Append();
    lines.Set("BillID", billId);
    lines.Set("ItemNo", 1);
    lines.Set("GoodsID", suggestion.goodsid);
    lines.Set("chargedate", revdate);
    for (auto zero :
         {"ReferCount", "ReferQty", "referextqty", "APrice", "IOQty", "extqty", "GReferQty", "Greferextqty", "Closed"})
        lines.Set(zero, 0);
    lines.Set("Amount", FormatAmount(q * p2 * (100 + tax) * 0.01));
    lines.Set("unitid", unitid);
    lines.Set("unitQuantity", q);
    lines.Set("Quantity", FormatQuantity(q * rate));
    lines.Set("unitprice", p2);
    lines.Set("Price", rate == 0 ? 0.0 : p2 / rate);
    SetUnitQuantities(lines, static_cast<std::int32_t>(unitid.AsInteger()), q);
    if (kind.IsOrder()) {
        lines.Set("OrigPrice", p2);
        lines.Set("OrigTaxPrice", p2 * (100 + tax) * 0.01);
        lines.Set("TaxPrice", p2 * (100 + tax) * 0.01);
        lines.Set("disc", 100);
        lines.Set("taxrate", tax);
        lines.Set("taxamt", FormatAmount(q * p2 * tax * 0.01));
        lines.Set("goodsamt", FormatAmount(q * p2));
        lines.Set("lcPrice", rate == 0 ? 0.0 : price / rate);
        lines.Set("lcTaxPrice", price * (0.01 * tax + 1));
        lines.Set("lctaxamt", FormatAmount(q * price * 0.01 * tax));
        lines.Set("lcAmount", FormatAmount(q * price * (0.01 * tax + 1)));
        lines.Set("lcgoodsamt", FormatAmount(q * price));
        lines.Set("lcunitprice", price);
    }
}

double SinglePurchaseRelease::Release(DataSet& cdsMake)
{
    const std::string docName(kind.docName);
    const double released = BaseQuantity(cdsMake);
    try {
        const DateTime billDate = ReleaseDocumentDate();
        ReleaseTransaction release({kind.billType, kind.keyTable, kind.headerTable}, billDate, header);
        for (cdsMake.First(); !cdsMake.Eof(); cdsMake.Next())
            release.AddDocument(
                [&](int billId, const std::string& billCode) { WriteDocument(cdsMake, billId, billCode, billDate); });
        codes = release.Commit([&] {
            header.Write();
            lines.Write();
        });
    } catch (const std::exception& error) {
        header.Clear();
        lines.Clear();
        codes.clear();
        ShowError(docName + "下达失败:" + CleanReleaseError(error.what()));
        return 0;
    }
    ShowInformation(docName + "已下达成功!");
    return released;
}

}  // namespace mfg
