#pragma once

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mfg {

class DataSet;

//! The goods data the browsers show for a goods of a BOM.
struct BomGoods {
    int goodsID = 0;
    int kind = 0;
    std::string code, name, specs, unitName;
    std::array<std::string, 5> gUserDef;  //!< guserdef1 ... guserdef5
};

//! One stored component line (L_GoodsBom).
struct BomIndexLine {
    int parentID = 0;
    int componentID = 0;
    int itemNo = 0;
    double quantity = 0;  //!< for one parent
    double mnfQty = 0;    //!< for MasterQty parents
    double masterQty = 1;
    double useTime = 0;
    double wasteRate = 0;
    std::optional<std::string> orderNo;
    std::string memo;
    std::array<std::string, 5> userDef;  //!< UserDef1 ... UserDef5
};

//! Which lines a read follows from its goods.
enum class BomReach {
    Components,  //!< the goods' own lines, then the lines of every component reached (trees)
    Parents,     //!< the lines using the goods, then the lines using every parent reached (where-used)
};

//! The stored BOM lines a question reaches, with their goods, indexed by parent and by component, so
//! that a tree of any size is exploded from memory after a few queries per level instead of one
//! query per node, and a screw costs what a screw reaches however large the factory. Lines of any
//! audit state count; a line whose parent or component is no goods is left out, as the browsers'
//! joins do.
class BomIndex {
public:
    //! Reads the lines reachable from a goods, level by level through the indexed GoodsID (down) or
    //! ElemGID (up), and the goods they name. ComponentsOf is complete for every goods a Components
    //! read reaches, ParentsOf for every goods a Parents read reaches.
    void Read(int goodsID, BomReach reach);
    //! Adds a goods or a line (for indexes built in memory); call Sort after the last line.
    void AddGoods(BomGoods goods);
    void AddLine(BomIndexLine line);
    //! Orders components by Orderno (none first), code and line; parents by code and line.
    void Sort();

    //! The goods of an id; null when the index does not hold it.
    const BomGoods* FindGoods(int goodsID) const;
    //! The component lines of a parent in display order.
    const std::vector<const BomIndexLine*>& ComponentsOf(int parentID) const;
    //! The lines that use a goods, ordered by the parent's code.
    const std::vector<const BomIndexLine*>& ParentsOf(int componentID) const;
    //! Every parent that has lines.
    std::vector<int> Parents() const;
    std::size_t LineCount() const { return lines.size(); }

private:
    //! Appends the lines of rows read with LineColumns.
    void ReadLines(DataSet& rows);
    //! Adds the goods that GoodsColumns + `condition` selects.
    void ReadGoods(const std::string& condition);

    std::vector<BomIndexLine> lines;
    std::unordered_map<int, BomGoods> goods;
    std::unordered_map<int, std::vector<const BomIndexLine*>> byParent;
    std::unordered_map<int, std::vector<const BomIndexLine*>> byComponent;
};

//! The goods data of one goods with its base unit; none when the goods does not exist.
std::optional<BomGoods> ReadBomGoods(int goodsID);

}  // namespace mfg
