#include "BomIndex.h"

#include <algorithm>

#include "host/Host.h"
#include "types/LevelWalk.h"

namespace mfg {
namespace {

const std::vector<const BomIndexLine*>& Found(const std::unordered_map<int, std::vector<const BomIndexLine*>>& map,
                                              int key)
{
    static const std::vector<const BomIndexLine*> none;
    auto found = map.find(key);
    return found == map.end() ? none : found->second;
}

//! The goods fields of a row that reads Code, Name, Specs, Kind, UnitName and guserdef1 ... 5.
BomGoods GoodsOfRow(DataSet& row, int goodsID)
{
    BomGoods goods{goodsID,
                   static_cast<int>(row.FieldByName("Kind").AsInteger()),
                   row.FieldByName("Code").AsString(),
                   row.FieldByName("Name").AsString(),
                   row.FieldByName("Specs").AsString(),
                   row.FieldByName("UnitName").AsString(),
                   {}};
    for (std::size_t i = 0; i < goods.gUserDef.size(); ++i)
        goods.gUserDef[i] = row.FieldByName("guserdef" + std::to_string(i + 1)).AsString();
    return goods;
}

constexpr const char* GoodsColumns =
    "Select a.GoodsID, a.Code, a.Name, a.Specs, a.Kind, u.UnitName, a.guserdef1, a.guserdef2, a.guserdef3, "
    "a.guserdef4, a.guserdef5 From L_Goods a Left Join L_GoodsUnit u on (a.GoodsID = u.GoodsID and u.isbase = 1) ";

constexpr const char* LineColumns =
    "Select a.GoodsID, a.ElemGID, a.ItemNo, a.Quantity, a.MnfQty, a.MasterQty, a.UseTime, a.WasteRate, a.Memo, "
    "a.Orderno, a.UserDef1, a.UserDef2, a.UserDef3, a.UserDef4, a.UserDef5 From L_GoodsBom a";

}  // namespace

void BomIndex::Read(int goodsID, BomReach reach)
{
    lines.clear();
    goods.clear();
    const std::string key = reach == BomReach::Components ? "a.GoodsID" : "a.ElemGID";
    std::vector<std::int64_t> named = WalkLevels({goodsID}, [&](const std::string& ids, const auto& reached) {
        auto rows = CreateAutoQuery(std::string(LineColumns) + " Where " + key + " in (" + ids + ")", true);
        const std::size_t first = lines.size();
        ReadLines(*rows);
        for (std::size_t i = first; i < lines.size(); ++i)
            reached(reach == BomReach::Components ? lines[i].componentID : lines[i].parentID);
    });
    for (const std::string& ids : IdLists(named)) ReadGoods("Where a.GoodsID in (" + ids + ")");
    Sort();
}

void BomIndex::ReadLines(DataSet& rows)
{
    Field& parent = rows.FieldByName("GoodsID");
    Field& component = rows.FieldByName("ElemGID");
    Field& itemNo = rows.FieldByName("ItemNo");
    Field& quantity = rows.FieldByName("Quantity");
    Field& mnfQty = rows.FieldByName("MnfQty");
    Field& masterQty = rows.FieldByName("MasterQty");
    Field& useTime = rows.FieldByName("UseTime");
    Field& wasteRate = rows.FieldByName("WasteRate");
    Field& memo = rows.FieldByName("Memo");
    Field& orderNo = rows.FieldByName("Orderno");
    std::array<Field*, 5> userDef{};
    for (std::size_t i = 0; i < userDef.size(); ++i) userDef[i] = &rows.FieldByName("UserDef" + std::to_string(i + 1));
    for (rows.First(); !rows.Eof(); rows.Next()) {
        BomIndexLine line{static_cast<int>(parent.AsInteger()),
                          static_cast<int>(component.AsInteger()),
                          static_cast<int>(itemNo.AsInteger()),
                          quantity.AsFloat(),
                          mnfQty.AsFloat(),
                          masterQty.IsNull() ? 1.0 : masterQty.AsFloat(),
                          useTime.AsFloat(),
                          wasteRate.AsFloat(),
                          orderNo.IsNull() ? std::nullopt : std::optional(orderNo.AsString()),
                          memo.AsString(),
                          {}};
        for (std::size_t i = 0; i < userDef.size(); ++i) line.userDef[i] = userDef[i]->AsString();
        lines.push_back(std::move(line));
    }
}

void BomIndex::ReadGoods(const std::string& condition)
{
    auto rows = CreateAutoQuery(std::string(GoodsColumns) + condition, true);
    Field& goodsID = rows->FieldByName("GoodsID");
    for (rows->First(); !rows->Eof(); rows->Next()) {
        int id = static_cast<int>(goodsID.AsInteger());
        goods.try_emplace(id, GoodsOfRow(*rows, id));
    }
}

void BomIndex::AddGoods(BomGoods value)
{
    int id = value.goodsID;
    goods.insert_or_assign(id, std::move(value));
}

void BomIndex::AddLine(BomIndexLine line)
{
    lines.push_back(std::move(line));
}

void BomIndex::Sort()
{
    byParent.clear();
    byComponent.clear();
    for (const BomIndexLine& line : lines) {
        if (!goods.contains(line.parentID) || !goods.contains(line.componentID)) continue;
        byParent[line.parentID].push_back(&line);
        byComponent[line.componentID].push_back(&line);
    }
    auto code = [this](int id) -> const std::string& { return goods.at(id).code; };
    for (auto& [parentID, components] : byParent)
        std::stable_sort(components.begin(), components.end(), [&](const BomIndexLine* a, const BomIndexLine* b) {
            if (a->orderNo != b->orderNo) return a->orderNo < b->orderNo;  // none sorts first
            if (int order = code(a->componentID).compare(code(b->componentID))) return order < 0;
            return a->itemNo < b->itemNo;
        });
    for (auto& [componentID, parents] : byComponent)
        std::stable_sort(parents.begin(), parents.end(), [&](const BomIndexLine* a, const BomIndexLine* b) {
            if (int order = code(a->parentID).compare(code(b->parentID))) return order < 0;
            return a->itemNo < b->itemNo;
        });
}

const BomGoods* BomIndex::FindGoods(int goodsID) const
{
    auto found = goods.find(goodsID);
    return found == goods.end() ? nullptr : &found->second;
}

const std::vector<const BomIndexLine*>& BomIndex::ComponentsOf(int parentID) const
{
    return Found(byParent, parentID);
}

const std::vector<const BomIndexLine*>& BomIndex::ParentsOf(int componentID) const
{
    return Found(byComponent, componentID);
}

std::vector<int> BomIndex::Parents() const
{
    std::vector<int> result;
    result.reserve(byParent.size());
    for (const auto& [parentID, components] : byParent) result.push_back(parentID);
    std::sort(result.begin(), result.end());
    return result;
}

std::optional<BomGoods> ReadBomGoods(int goodsID)
{
    auto row = CreateAutoQuery(std::string(GoodsColumns) + "Where a.GoodsID = " + std::to_string(goodsID), true);
    if (row->IsEmpty()) return std::nullopt;
    return GoodsOfRow(*row, goodsID);
}

}  // namespace mfg
