#include "BomSubstituteRows.h"

#include <cmath>
#include <set>

#include <fmt/format.h>

#include "GoodsBom.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr int GoodsKind = 3;

}  // namespace

BomSubstituteRows::BomSubstituteRows()
{
    for (auto [name, type] : {std::pair<const char*, FieldType>{"goodsid", FieldType::Integer},
                              {"elemgid", FieldType::Integer},
                              {"itemno", FieldType::Text},
                              {"subgoodsid", FieldType::Integer},
                              {"rate", FieldType::Float},
                              {"memo", FieldType::Text},
                              {"GOODSCODE", FieldType::Text},
                              {"GOODSNAME", FieldType::Text},
                              {"SPECS", FieldType::Text},
                              {"UNITNAME", FieldType::Text},
                              {"quantity", FieldType::Float},
                              {"goodsitemno", FieldType::Integer}})
        rows.AddField(name, type);
    rows.OnNewRecord([this](DataSet& set) {
        set.FieldByName("goodsid").SetValue(parentID);
        set.FieldByName("elemgid").SetValue(componentID);
        set.FieldByName("quantity").SetValue(0.0);
        set.FieldByName("rate").SetValue(1.0);
        set.FieldByName("goodsitemno").SetValue(itemNo);
        // The next sequence among the rows whose sequence is a number.
        set.FieldByName("itemno").SetValue(std::to_string(NextItemNo(set, "itemno")));
    });
    rows.OnFieldChange("subgoodsid", [this](Field& field) {
        for (auto [target, source] : {std::pair<const char*, const char*>{"GOODSCODE", "Code"},
                                      {"GOODSNAME", "Name"},
                                      {"SPECS", "Specs"},
                                      {"UNITNAME", "UnitName"}})
            rows.FieldByName(target).SetValue(LookupData(GoodsKind, field.Value(), source));
    });
    rows.OnFieldChange("rate", [this](Field& field) {
        double rate = FormatQuantity(field.AsFloat());
        if (field.AsFloat() != rate) field.SetValue(rate);
        rows.FieldByName("quantity").SetValue(FormatQuantity(rate * Factor()));
    });
    rows.OnFieldChange([this](Field&) { modified = true; });
}

void BomSubstituteRows::Start(GoodsBom& owner, int component, int lineItemNo, double lineMnfQty, double lineWasteRate)
{
    bom = &owner;
    parentID = owner.ParentID();
    componentID = component;
    itemNo = lineItemNo;
    mnfQty = lineMnfQty;
    wasteRate = lineWasteRate;
    rows.Close();
    rows.CreateDataSet();
}

void BomSubstituteRows::AddRow(const DataSet& source)
{
    rows.Append();
    for (const char* name : {"GoodsID", "Elemgid", "Itemno", "GoodsItemno", "SubGoodsID", "Rate", "Memo"})
        rows.FieldByName(name).SetValue(source.FieldByName(name).Value());
    rows.Post();
}

bool BomSubstituteRows::ReadComponent()
{
    rows.First();
    modified = false;
    loadedCount = rows.RecordCount();
    auto goods = CreateAutoQuery(
        "Select top 1  g.Code As GoodsCode,g.Name As GoodsName,g.Specs, b.Masterqty,b.UseTime, u.UnitName As UnitName "
        "From L_Goods g  Left Join L_GoodsUnit u On (g.GoodsID = u.GoodsID and u.isbase = 1) Left Join L_GoodsBom b On "
        "(g.GoodsID =  b.GoodsId) Where g.GoodsID = " +
            std::to_string(componentID),
        true);
    if (goods->IsEmpty()) {
        ShowInformation("货品不存在");
        return false;
    }
    componentCode = goods->FieldByName("GoodsCode").AsString();
    componentName = goods->FieldByName("GoodsName").AsString();
    componentSpecs = goods->FieldByName("Specs").AsString();
    componentUnitName = goods->FieldByName("UnitName").AsString();
    return true;
}

bool BomSubstituteRows::Load(GoodsBom& owner, int component, int lineItemNo, double lineMnfQty, double lineWasteRate)
{
    Start(owner, component, lineItemNo, lineMnfQty, lineWasteRate);
    DataSet& source = owner.Substitutes();
    for (source.First(); !source.Eof(); source.Next())
        if (source.FieldByName("GoodsItemNO").AsInteger() == itemNo) AddRow(source);
    return ReadComponent();
}

bool BomSubstituteRows::LoadMerged(GoodsBom& owner, int component, double mergedQty)
{
    Start(owner, component, 0, mergedQty, 0);
    DataSet& source = owner.Substitutes();
    for (source.First(); !source.Eof(); source.Next()) {
        if (source.FieldByName("ElemGID").AsInteger() != component) continue;
        double quantity = source.FieldByName("quantity").AsFloat();
        if (rows.Locate("subgoodsid", {source.FieldByName("SubGoodsID").Value()})) {
            quantity += rows.FieldByName("quantity").AsFloat();
        } else {
            AddRow(source);
        }
        rows.Edit();
        rows.FieldByName("rate").SetValue(mergedQty == 0 ? 0.0 : quantity / mergedQty);
        rows.FieldByName("quantity").SetValue(quantity);
        rows.Post();
    }
    return ReadComponent();
}

void BomSubstituteRows::AppendRow() { rows.Append(); }

void BomSubstituteRows::SetSubstitute(int goodsID)
{
    if (rows.IsEmpty()) rows.Append();
    else if (rows.State() == DataSetState::Browse) rows.Edit();
    rows.FieldByName("subgoodsid").SetValue(goodsID);
}

void BomSubstituteRows::SetPickedSubstitute(int goodsID, double quantity)
{
    SetSubstitute(goodsID);
    double picked = quantity <= 0 ? 1 : quantity;
    rows.FieldByName("rate").SetValue(FormatQuantity(picked / Factor()));
    rows.FieldByName("quantity").SetValue(FormatQuantity(picked));
}

void BomSubstituteRows::DeleteRow()
{
    if (!rows.IsEmpty()) rows.Delete();
}

bool BomSubstituteRows::RateAndMemoEditable() const
{
    return !rows.IsEmpty() && !rows.FieldByName("subgoodsid").IsNull();
}

bool BomSubstituteRows::Validate()
{
    rows.Post();
    std::set<std::int64_t> seen;
    int row = 0;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        ++row;
        const Field& goods = rows.FieldByName("subgoodsid");
        if (!goods.IsNull() && goods.AsInteger() == componentID) {
            ShowError("子件与替代件相同!");
            return false;
        }
        if (goods.IsNull()) {
            ShowInformation(fmt::format("第 {} 行，还没选择货品！", row));
            return false;
        }
        double rate = rows.FieldByName("rate").AsFloat();
        if (!(rate > 0) || !std::isfinite(rate)) {
            ShowError(fmt::format("第 {} 行，替代品比率不能为0或小于0！", row));
            return false;
        }
        if (!seen.insert(goods.AsInteger()).second) {
            ShowError("替代件重复!");
            return false;
        }
    }
    return true;
}

bool BomSubstituteRows::Accept()
{
    if (!Validate()) return false;
    bom->DeleteSubstitutesOfLine(itemNo);
    DataSet& target = bom->Substitutes();
    for (rows.First(); !rows.Eof(); rows.Next()) {
        target.Append();
        for (auto [to, from] : {std::pair<const char*, const char*>{"GoodsID", "goodsid"},
                                {"ElemGID", "elemgid"},
                                {"ItemNo", "itemno"},
                                {"GoodsItemNO", "goodsitemno"},
                                {"SubGoodsID", "subgoodsid"},
                                {"Rate", "rate"},
                                {"Memo", "memo"},
                                {"goodscode", "GOODSCODE"},
                                {"goodsname", "GOODSNAME"},
                                {"specs", "SPECS"},
                                {"unitname", "UNITNAME"},
                                {"quantity", "quantity"}})
            target.FieldByName(to).SetValue(rows.FieldByName(from).Value());
        target.Post();
    }
    modified = false;
    loadedCount = rows.RecordCount();
    return true;
}

bool BomSubstituteRows::Unsaved()
{
    rows.Post();
    return modified || (!rows.IsEmpty() && rows.RecordCount() != loadedCount);
}

}  // namespace mfg
