#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BomIndex.h"
#include "data/DataSet.h"

namespace mfg {

//! The deepest level the browsers expand to (the root is level 0).
inline constexpr int BomLevelLimit = 30;
//! Shown when a browser's tree reaches BomLevelLimit.
inline constexpr std::string_view BomOverflowMessage = "BOM嵌套清单超过30层或存在循环调用!";

//! The record of one node of a browsed tree.
struct BomTreeNode {
    int goodsID = 0;
    int kind = 0;
    std::string code, name, specs, unitName;
    double quantity = 0;   //!< the line's Quantity (for one parent)
    double masterQty = 0;  //!< the line's MasterQty
    double wasteRate = 0;
    double mnfQty = 0;  //!< the line's MnfQty scaled to the root's quantity
    double useTime = 0;
    std::string memo;
    std::array<std::string, 5> gUserDef, userDef;
    int level = 0;
    int parent = -1;   //!< index of the parent node; -1 for the root
    std::string text;  //!< what the tree shows
};

//! A browsed tree: the nodes in tree order (depth first, the root first).
struct BomTree {
    std::vector<BomTreeNode> nodes;
    //! The build stopped at BomLevelLimit; the nodes added until then stay.
    bool overflow = false;
};

//! The chosen goods of the BOM browser with the parent-level values of its BOM.
struct BomBrowseHeader {
    int goodsID = 0;
    BomGoods goods;
    std::optional<double> masterQty, useTime, preTime;  //!< none when the goods has no BOM
    int state = 0;

    //! The texts of the "产品数量", "耗用工时", "准备时间" labels: the quantity format, empty when none.
    std::string MasterQtyText() const;
    std::string UseTimeText() const;
    std::string PreTimeText() const;
    //! "已审核" or "未审核".
    std::string_view StateText() const { return state == 0 ? "未审核" : "已审核"; }
    //! The root quantity the tree is exploded for (lbQuantity as a number, 0 when empty).
    double RootQuantity() const;
};

//! A number as the tree texts write it: shortest round-trip form, no trailing zeros.
std::string FloatText(double value);

//! Reads a goods and its BOM's parent quantity, working hours, preparation time and audit state;
//! none when the goods does not exist.
std::optional<BomBrowseHeader> ReadBomBrowseHeader(int goodsID);
//! Re-reads the parent-level values and the state after the BOM was edited.
void RefreshBomValues(BomBrowseHeader& header);

//! The BOM browser's explosion of `root` for the root quantity `rootQuantity` (the text shown as the
//! root's quantity is `quantityText`). Level 1 shows each line's MnfQty as stored unless `scaled`;
//! deeper levels, and level 1 when scaled, MnfQty x the parent node's quantity / MasterQty at the
//! quantity format. Purchased components (Kind 1) are not expanded.
BomTree BuildBomTree(const BomIndex& index, const BomGoods& root, double rootQuantity, std::string_view quantityText,
                     bool scaled = false);
//! The where-used explosion: the lines using `root`, then recursively the lines using each parent;
//! purchased parents are not expanded. Quantities are the lines' own.
BomTree BuildWhereUsedTree(const BomIndex& index, const BomGoods& root);

//! The single-row header record of the browser (GoodsID, GoodsCode, GoodsName, Specs, UnitName,
//! MasterQty, UseTime, PreTime, State), recreated; empty values when `header` is none.
void FillBomHeaderRecord(DataSet& record, const BomBrowseHeader* header);
//! The single-row header record of the where-used browser (GoodsID, GoodsCode, GoodsName, Specs,
//! UnitName), recreated.
void FillWhereUsedHeaderRecord(DataSet& record, const BomGoods* goods);

//! The print and export rows of a BOM tree, one per node in tree order, recreated: Grade is the
//! level preceded by as many "." as the level ("0", ".1", "..2").
void FlattenBomTree(const BomTree& tree, DataSet& rows);
//! The print and export rows of the where-used list of a goods, recreated: every line using it,
//! each followed by the lines using its parent; Grade "1" for direct parents, ".2" for theirs.
//! A parent already on the path is listed but not followed again, so a cyclic BOM ends.
void FillWhereUsedRows(const BomIndex& index, int goodsID, DataSet& rows);

}  // namespace mfg
