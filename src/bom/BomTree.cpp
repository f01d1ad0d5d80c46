#include "BomTree.h"

#include <unordered_set>

#include "host/Format.h"
#include "host/Host.h"
#include "types/Variant.h"

namespace mfg {
namespace {

constexpr int PurchasedKind = 1;

std::string OptionalQuantityText(const std::optional<double>& value)
{
    return value ? FormatQuantityText(*value) : std::string();
}

std::optional<double> OptionalFloat(const Field& field)
{
    return field.IsNull() ? std::nullopt : std::optional(field.AsFloat());
}

void TakeGoods(BomTreeNode& node, const BomGoods& goods)
{
    node.goodsID = goods.goodsID;
    node.kind = goods.kind;
    node.code = goods.code;
    node.name = goods.name;
    node.specs = goods.specs;
    node.unitName = goods.unitName;
    node.gUserDef = goods.gUserDef;
}

void TakeLine(BomTreeNode& node, const BomIndexLine& line)
{
    node.quantity = line.quantity;
    node.masterQty = line.masterQty;
    node.wasteRate = line.wasteRate;
    node.useTime = line.useTime;
    node.memo = line.memo;
    node.userDef = line.userDef;
}

//! A row set recreated with the given fields.
void Recreate(DataSet& set, std::initializer_list<std::pair<std::string, FieldType>> fields)
{
    set.Close();
    set.ClearFields();
    for (const auto& [name, type] : fields) set.AddField(name, type);
}

//! The columns that the tree print and the where-used print share, in their order.
void RecreateTreeRows(DataSet& rows)
{
    Recreate(rows, {{"Grade", FieldType::Text},
                    {"GoodsCode", FieldType::Text},
                    {"GoodsName", FieldType::Text},
                    {"Specs", FieldType::Text},
                    {"UnitName", FieldType::Text},
                    {"Quantity", FieldType::Float},
                    {"WasteRate", FieldType::Float}});
}

class BomExplosion {
public:
    BomExplosion(const BomIndex& index, bool scaled) : index(index), scaled(scaled) {}

    BomTree Run(const BomGoods& root, double rootQuantity, std::string_view quantityText)
    {
        BomTreeNode node;
        TakeGoods(node, root);
        node.mnfQty = rootQuantity;
        node.text =
            root.code + " " + root.name + " " + root.specs + " [ " + std::string(quantityText) + " ] " + root.unitName;
        tree.nodes.push_back(std::move(node));
        AddBomChildren(root.goodsID, 0);
        return std::move(tree);
    }

private:
    // Only the start of a level looks at the flag: after a deep branch overflows, the siblings of
    // every node on its path are still listed, unexpanded, so the user sees where the loop sits.
    void AddBomChildren(int goodsID, int parentIndex)
    {
        if (tree.overflow) return;
        const int level = tree.nodes[static_cast<std::size_t>(parentIndex)].level + 1;
        const double parentQuantity = tree.nodes[static_cast<std::size_t>(parentIndex)].mnfQty;
        for (const BomIndexLine* line : index.ComponentsOf(goodsID)) {
            const BomGoods& goods = *index.FindGoods(line->componentID);
            BomTreeNode node;
            TakeGoods(node, goods);
            TakeLine(node, *line);
            // A line stored without a parent quantity is read as one for a single parent.
            const double masterQty = line->masterQty == 0 ? 1.0 : line->masterQty;
            node.mnfQty =
                level == 1 && !scaled ? line->mnfQty : FormatQuantity(line->mnfQty * parentQuantity / masterQty);
            node.level = level;
            node.parent = parentIndex;
            node.text = goods.code + " " + goods.name + " " + goods.specs + " [ " + FloatText(node.mnfQty) + " ] " +
                        goods.unitName + " " + FloatText(line->wasteRate) + "% " + line->memo;
            tree.nodes.push_back(std::move(node));
            if (goods.kind == PurchasedKind) continue;
            if (level >= BomLevelLimit) {
                tree.overflow = true;
                return;
            }
            AddBomChildren(line->componentID, static_cast<int>(tree.nodes.size()) - 1);
        }
    }

    const BomIndex& index;
    bool scaled;
    BomTree tree;
};

void AddWhereUsed(const BomIndex& index, int goodsID, int parentIndex, BomTree& tree)
{
    if (tree.overflow) return;
    const int level = tree.nodes[static_cast<std::size_t>(parentIndex)].level + 1;
    for (const BomIndexLine* line : index.ParentsOf(goodsID)) {
        const BomGoods& goods = *index.FindGoods(line->parentID);
        BomTreeNode node;
        TakeGoods(node, goods);
        TakeLine(node, *line);
        node.mnfQty = line->mnfQty;
        node.level = level;
        node.parent = parentIndex;
        node.text = goods.code + " " + goods.name + " " + goods.specs + " " + FloatText(line->quantity) + " " +
                    goods.unitName + " " + FloatText(line->wasteRate) + "% ";
        tree.nodes.push_back(std::move(node));
        if (goods.kind == PurchasedKind) continue;
        if (level >= BomLevelLimit) {
            tree.overflow = true;
            return;
        }
        AddWhereUsed(index, line->parentID, static_cast<int>(tree.nodes.size()) - 1, tree);
    }
}

void AppendWhereUsedRows(const BomIndex& index, int goodsID, int level, std::unordered_set<int>& path, DataSet& rows)
{
    for (const BomIndexLine* line : index.ParentsOf(goodsID)) {
        const BomGoods& goods = *index.FindGoods(line->parentID);
        rows.AppendRecord({std::string(static_cast<std::size_t>(level), '.') + std::to_string(level + 1), goods.code,
                           goods.name, goods.specs, goods.unitName, line->quantity, line->wasteRate});
        if (!path.insert(line->parentID).second) continue;
        AppendWhereUsedRows(index, line->parentID, level + 1, path, rows);
        path.erase(line->parentID);
    }
}

}  // namespace

std::string FloatText(double value)
{
    return Variant(value).AsString();
}

std::string BomBrowseHeader::MasterQtyText() const
{
    return OptionalQuantityText(masterQty);
}
std::string BomBrowseHeader::UseTimeText() const
{
    return OptionalQuantityText(useTime);
}
std::string BomBrowseHeader::PreTimeText() const
{
    return OptionalQuantityText(preTime);
}

double BomBrowseHeader::RootQuantity() const
{
    return masterQty ? FormatQuantity(*masterQty) : 0.0;
}

std::optional<BomBrowseHeader> ReadBomBrowseHeader(int goodsID)
{
    auto goods = ReadBomGoods(goodsID);
    if (!goods) return std::nullopt;
    BomBrowseHeader header;
    header.goodsID = goodsID;
    header.goods = std::move(*goods);
    RefreshBomValues(header);
    return header;
}

void RefreshBomValues(BomBrowseHeader& header)
{
    auto row = CreateAutoQuery("Select goodsid, Masterqty, UseTime,PreTime,State from l_goodsBom where goodsid = " +
                                   std::to_string(header.goodsID),
                               true);
    const bool found = !row->IsEmpty();
    header.masterQty = found ? OptionalFloat(row->FieldByName("Masterqty")) : std::nullopt;
    header.useTime = found ? OptionalFloat(row->FieldByName("UseTime")) : std::nullopt;
    header.preTime = found ? OptionalFloat(row->FieldByName("PreTime")) : std::nullopt;
    header.state = found ? static_cast<int>(row->FieldByName("State").AsInteger()) : 0;
}

BomTree BuildBomTree(const BomIndex& index, const BomGoods& root, double rootQuantity, std::string_view quantityText,
                     bool scaled)
{
    return BomExplosion(index, scaled).Run(root, rootQuantity, quantityText);
}

BomTree BuildWhereUsedTree(const BomIndex& index, const BomGoods& root)
{
    BomTree tree;
    BomTreeNode node;
    TakeGoods(node, root);
    node.text = root.code + " " + root.name + " " + root.specs + " " + root.unitName;
    tree.nodes.push_back(std::move(node));
    AddWhereUsed(index, root.goodsID, 0, tree);
    return tree;
}

void FillBomHeaderRecord(DataSet& record, const BomBrowseHeader* header)
{
    Recreate(record, {{"GoodsID", FieldType::Integer},
                      {"GoodsCode", FieldType::Text},
                      {"GoodsName", FieldType::Text},
                      {"Specs", FieldType::Text},
                      {"UnitName", FieldType::Text},
                      {"MasterQty", FieldType::Float},
                      {"UseTime", FieldType::Float},
                      {"PreTime", FieldType::Float},
                      {"State", FieldType::Integer}});
    record.CreateDataSet();
    if (!header) {
        record.AppendRecord({});
        return;
    }
    auto quantity = [](const std::optional<double>& value) {
        return value ? Variant(FormatQuantity(*value)) : Variant();
    };
    const BomGoods& goods = header->goods;
    record.AppendRecord({header->goodsID, goods.code, goods.name, goods.specs, goods.unitName,
                         quantity(header->masterQty), quantity(header->useTime), quantity(header->preTime),
                         header->state});
}

void FillWhereUsedHeaderRecord(DataSet& record, const BomGoods* goods)
{
    Recreate(record, {{"GoodsID", FieldType::Integer},
                      {"GoodsCode", FieldType::Text},
                      {"GoodsName", FieldType::Text},
                      {"Specs", FieldType::Text},
                      {"UnitName", FieldType::Text}});
    record.CreateDataSet();
    if (!goods) {
        record.AppendRecord({});
        return;
    }
    record.AppendRecord({goods->goodsID, goods->code, goods->name, goods->specs, goods->unitName});
}

void FlattenBomTree(const BomTree& tree, DataSet& rows)
{
    RecreateTreeRows(rows);
    rows.AddField("Memo", FieldType::Text);
    for (const char* name : {"mnfQty", "UseTime", "MasterQty"}) rows.AddField(name, FieldType::Float);
    for (int i = 1; i <= 5; ++i) rows.AddField("UserDef" + std::to_string(i), FieldType::Text);
    for (int i = 1; i <= 5; ++i) rows.AddField("GUserDef" + std::to_string(i), FieldType::Text);
    rows.CreateDataSet();
    for (const BomTreeNode& node : tree.nodes) {
        std::vector<Variant> values{std::string(static_cast<std::size_t>(node.level), '.') + std::to_string(node.level),
                                    node.code,
                                    node.name,
                                    node.specs,
                                    node.unitName,
                                    node.quantity,
                                    node.wasteRate,
                                    node.memo,
                                    node.mnfQty,
                                    node.useTime,
                                    node.masterQty};
        for (const std::string& text : node.userDef) values.emplace_back(text);
        for (const std::string& text : node.gUserDef) values.emplace_back(text);
        rows.AppendRecord(values);
    }
    rows.First();
}

void FillWhereUsedRows(const BomIndex& index, int goodsID, DataSet& rows)
{
    RecreateTreeRows(rows);
    rows.CreateDataSet();
    std::unordered_set<int> path{goodsID};
    AppendWhereUsedRows(index, goodsID, 0, path, rows);
    rows.First();
}

}  // namespace mfg
