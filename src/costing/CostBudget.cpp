#include "CostBudget.h"

#include <fmt/format.h>

#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

//! The price statement of a basis for the goods `goods` names: an id, or a column of the outer query.
std::string PriceStatement(const std::string& goods, PriceBasis basis)
{
    switch (basis) {
        case PriceBasis::ReferencePurchase:
            return "Select PPrice as Price From L_GoodsUnit where GoodsID = " + goods + " and isbase = 1";
        case PriceBasis::LastPurchase:
            return "Select Top 1 Price From AA_BillFlow where GoodsID = " + goods +
                   " and BillType = 4 And BillKind in (1, 3) Order By Billdate Desc";
        case PriceBasis::StockCost:
            break;
    }
    return "Select APrice as Price From L_Goods where GoodsID = " + goods;
}

//! Code, name, specs and base unit of a goods, as the product and a picked component show them.
struct GoodsTexts {
    std::string code, name, specs, unitName;
};

GoodsTexts ReadGoods(int goodsId)
{
    auto query = CreateAutoQuery(
        "Select a.code, a.name, a.specs, a.Kind, u.unitname as unitname "
        " from l_goods a left join l_goodsunit u on (a.goodsid = u.goodsid and u.isbase = 1)"
        " where a.goodsid = " +
            std::to_string(goodsId),
        true);
    if (query->IsEmpty()) return {};
    return {query->FieldByName("code").AsString(), query->FieldByName("name").AsString(),
            query->FieldByName("specs").AsString(), query->FieldByName("unitname").AsString()};
}

}  // namespace

std::string CostBudget::LinesSql(int goodsId, PriceBasis basis, BomDepth depth)
{
    std::string id = std::to_string(goodsId);
    bool first = depth == BomDepth::FirstLevel;
    std::string source = first ? " l_goodsbom b " : " getbomlastgoodsid(" + id + ") b ";
    std::string condition = first ? " b.goodsid=" + id : " b.flag = 1";
    // The pieces are lines of their own, so that a name never runs into the next keyword.
    return "select b.elemgid, g.name goodsname,g.code goodscode,g.specs,u.unitname,\n"
           "sum(b.WasteRate/100*b.Quantity)/sum(b.Quantity)*100 as wasterate, sum(b.Quantity) as quantity ,\n"
           "price=(" +
           PriceStatement("b.elemgid", basis) + ")\n from " + source +
           "\ninner join l_goods g on g.goodsid=b.elemgid\n"
           "inner join l_goodsunit u on u.goodsid=g.goodsid and u.isbase=1\n"
           "where " +
           condition + " group by b.elemgid, g.name ,g.code ,g.specs,u.unitname order by g.code";
}

std::string CostBudget::PriceSql(int componentId, PriceBasis basis)
{
    return PriceStatement(std::to_string(componentId), basis);
}

void CostBudget::SelectProduct(int goodsId)
{
    // A product whose batch quantity is 0 keeps no unit price of the one before it.
    product.goodsId = goodsId;
    product.price = 0;
    LoadLines();
}

bool CostBudget::SetDepth(BomDepth value)
{
    depth = value;
    if (!HasProduct()) {
        ShowError("请选择货品名称!");
        return false;
    }
    LoadLines();
    for (auto& line : lines) {
        Reprice(line);
        PostLine(line);
    }
    Totals();
    return true;
}

void CostBudget::SetBasis(PriceBasis value)
{
    basis = value;
    for (auto& line : lines) {
        Reprice(line);
        PostLine(line);
    }
    Totals();
}

void CostBudget::SetQty(double value)
{
    product.qty = CheckUserNumber(value, "数量", NumberRange::NonNegative());
    for (auto& line : lines) {
        line.quantity = FormatQuantity(line.baseQty.value_or(0) * value);
        PostLine(line);
    }
    Totals();
}

void CostBudget::LoadLines()
{
    if (!HasProduct()) {
        product = {};
        lines.clear();
        return;
    }
    // Indirect costs are typed in by the user and survive a reload by their place in the list.
    std::vector<std::optional<double>> saved;
    for (const auto& line : lines) saved.push_back(line.amt.value_or(0));
    lines.clear();

    auto texts = ReadGoods(product.goodsId);
    product.goodsCode = texts.code;
    product.goodsName = texts.name;
    product.specs = texts.specs;
    product.unitName = texts.unitName;
    std::string id = std::to_string(product.goodsId);
    product.qty = GetValueOfSql("select top 1 MasterQty from l_goodsBom where goodsid=" + id, 0.0).AsFloat();

    auto query = CreateAutoQuery(LinesSql(product.goodsId, basis, depth), true);
    for (query->First(); !query->Eof(); query->Next()) {
        CostLine line;
        line.elemGid = static_cast<int>(query->FieldByName("elemgid").AsInteger());
        line.unitName = query->FieldByName("unitname").AsString();
        line.goodsName = query->FieldByName("goodsname").AsString();
        line.goodsCode = query->FieldByName("goodscode").AsString();
        line.specs = query->FieldByName("specs").AsString();
        if (lines.size() < saved.size()) line.amt = saved[lines.size()];
        line.wasteRate = query->FieldByName("wasterate").AsFloat();
        line.price = query->FieldByName("price").AsFloat();
        double quantity = query->FieldByName("quantity").AsFloat();
        line.quantity = FormatQuantity(quantity * product.qty);
        line.baseQty = FormatQuantity(quantity);
        PostLine(line);
        lines.push_back(std::move(line));
    }
    Totals();
}

void CostBudget::Reprice(CostLine& line) const
{
    line.price = GetValueOfSql(PriceSql(line.elemGid, basis), 0.0).AsFloat();
}

void CostBudget::PostLine(CostLine& line)
{
    line.actQty = FormatQuantity(line.quantity * (line.wasteRate * 0.01 + 1));
    line.amount = FormatAmount(line.actQty * line.price);
    line.sumAmt = FormatAmount(line.amount + line.amt.value_or(0));
}

void CostBudget::Totals()
{
    if (lines.empty()) {
        product.price = 0;
        product.amount = 0;
        return;
    }
    double sum = 0;
    for (const auto& line : lines) sum += line.sumAmt;
    product.amount = FormatAmount(sum);
    if (product.qty != 0) product.price = FormatPrice(product.amount / product.qty);
}

void CostBudget::AddLine()
{
    if (!HasProduct()) return;
    CostLine line;
    line.amt = 0.0;
    lines.push_back(std::move(line));
}

void CostBudget::DeleteLine(size_t index)
{
    if (index >= lines.size()) return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
    Totals();
}

void CostBudget::PickComponent(size_t index, int componentId)
{
    if (index >= lines.size()) return;
    auto& line = lines[index];
    line.elemGid = componentId;
    auto texts = ReadGoods(componentId);
    line.unitName = texts.unitName;
    line.goodsName = texts.name;
    line.goodsCode = texts.code;
    line.specs = texts.specs;
    auto bom =
        CreateAutoQuery(fmt::format("Select sum(WasteRate/100*Quantity)/sum(Quantity)*100 as wasterate, "
                                    "sum(Quantity) as quantity From L_GoodsBom where ElemgID = {} And GoodsID = {}",
                                    componentId, product.goodsId),
                        true);
    line.wasteRate = FormatQuantity(bom->FieldByName("wasterate").AsFloat());
    double quantity = FormatQuantity(bom->FieldByName("quantity").AsFloat() * product.qty);
    // A component outside the product's BOM counts one per product.
    if (quantity < 0.00001 && product.qty > 0.00001) quantity = product.qty;
    line.quantity = quantity;
    Reprice(line);
    PostLine(line);
    Totals();
}

void CostBudget::EditLine(size_t index, const std::function<void(CostLine&)>& change)
{
    if (index >= lines.size()) return;
    change(lines[index]);
    PostLine(lines[index]);
    Totals();
}

void CostBudget::SetLineQuantity(size_t index, double value)
{
    CheckUserNumber(value, "数量", NumberRange::NonNegative());
    EditLine(index, [value](CostLine& line) { line.quantity = value; });
}

void CostBudget::SetLineWasteRate(size_t index, double value)
{
    CheckUserNumber(value, "损耗率%", NumberRange::Percent());
    EditLine(index, [value](CostLine& line) { line.wasteRate = value; });
}

void CostBudget::SetLinePrice(size_t index, double value)
{
    CheckUserNumber(value, "单价", NumberRange::NonNegative());
    EditLine(index, [value](CostLine& line) { line.price = value; });
}

void CostBudget::SetLineAmt(size_t index, double value)
{
    CheckUserNumber(value, "间接费用", NumberRange::NonNegative());
    EditLine(index, [value](CostLine& line) { line.amt = value; });
}

void CostBudget::SetLineMemo(size_t index, std::string value)
{
    if (index >= lines.size()) return;
    lines[index].memo = std::move(value);
}

}  // namespace mfg
