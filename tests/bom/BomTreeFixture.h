#pragma once

#include <string>

#include "BomIndex.h"
#include "host/HostFixture.h"

namespace mfg::test {

//! The demo factory with small BOMs of the test's own (goods 900 and up, codes "T" + id, unit "个").
class BomTreeTest : public DemoHostTest {
protected:
    void Goods(int id, int kind)
    {
        std::string code = "T" + std::to_string(id);
        host.SqlExecute("insert into L_Goods (GoodsID, Code, Name, Kind) values (" + std::to_string(id) + ", '" + code +
                        "', '" + code + "名', " + std::to_string(kind) + ")");
        host.SqlExecute("insert into L_GoodsUnit (UnitID, GoodsID, UnitName, IsBase) values (" +
                        std::to_string(id * 10 + 1) + ", " + std::to_string(id) + ", '个', 1)");
    }
    void Line(int parent, int component, int itemNo, double mnfQty, double masterQty = 1, double wasteRate = 0,
              const std::string& memo = {})
    {
        host.SqlExecute(
            "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, Quantity, MnfQty, MasterQty, WasteRate, Memo, "
            "Orderno) values (:p, :c, :i, :q, :m, :mq, :w, :memo, :o)",
            {{"p", parent},
             {"c", component},
             {"i", itemNo},
             {"q", mnfQty / masterQty},
             {"m", mnfQty},
             {"mq", masterQty},
             {"w", wasteRate},
             {"memo", memo},
             {"o", "00" + std::to_string(itemNo)}});
    }
    BomIndex& Index(int goodsID, BomReach reach)
    {
        index.Read(goodsID, reach);
        return index;
    }
    int Count(const std::string& sql) { return static_cast<int>(host.GetValueOfSql(sql).AsInteger()); }

    BomIndex index;
};

}  // namespace mfg::test
