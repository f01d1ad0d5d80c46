#pragma once

#include <string>

#include "host/Host.h"

namespace mfg::test {

//! A three-level product beside the demo factory, its numbers worked out by hand in the tests.
//!
//! P 9001 (MasterQty 2): A 9002 ×1 waste 10 %, M1 9004 ×3, M1 ×1 waste 20 %
//! A 9002:               B 9003 ×2, M2 9005 ×1.5 waste 20 %
//! B 9003:               M1 9004 ×0.5 waste 4 %, M3 9006 ×4
//! Reference price (PPrice), stock cost (APrice), latest purchase receipt:
//! A 30 / 25 / 28, B 12 / 10 / none, M1 2.5 / 2 / 2.4, M2 4 / 5 / 3.5, M3 0.75 / 1 / none.
inline void AddCostingFactory(Host& host)
{
    host.SqlExecute(
        "insert into L_Goods (GoodsID, Code, Name, Specs, Kind, APrice, Closed) values "
        "(9001, 'T-P', '测试成品', '三级', 3, 0, 0), (9002, 'T-A', '测试部件A', null, 2, 25, 0), "
        "(9003, 'T-B', '测试部件B', null, 2, 10, 0), (9004, 'T-M1', '测试料一', 'φ8', 1, 2, 0), "
        "(9005, 'T-M2', '测试料二', null, 1, 5, 0), (9006, 'T-M3', '测试料三', null, 1, 1, 0)");
    host.SqlExecute(
        "insert into L_GoodsUnit (UnitID, GoodsID, UnitName, Rate, IsBase, UnitType, Sequence, PPrice) values "
        "(90011, 9001, '台', 1, 1, 0, 1, 0), (90021, 9002, '件', 1, 1, 0, 1, 30), (90031, 9003, '件', 1, 1, 0, 1, 12), "
        "(90041, 9004, '米', 1, 1, 0, 1, 2.5), (90042, 9004, '卷', 100, 0, 0, 2, 240), "
        "(90051, 9005, '个', 1, 1, 0, 1, 4), (90061, 9006, '克', 1, 1, 0, 1, 0.75)");
    host.SqlExecute(
        "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, Quantity, MasterQty, UseTime, PreTime, WasteRate, State) "
        "values "
        "(9001, 9002, 1, 1, 2, 6, 1, 10, 1), (9001, 9004, 2, 3, 2, 6, 1, 0, 1), (9001, 9004, 3, 1, 2, 6, 1, 20, 1), "
        "(9002, 9003, 1, 2, 1, 2, 0, 0, 1), (9002, 9005, 2, 1.5, 1, 2, 0, 20, 1), "
        "(9003, 9004, 1, 0.5, 1, 1, 0, 4, 0), (9003, 9006, 2, 4, 1, 1, 0, 0, 0)");
    host.SqlExecute(
        "insert into AA_BillFlow (FlowID, BillType, BillKind, BillID, BillDate, GoodsID, Quantity, Price) values "
        "(9001, 4, 1, 9001, '2026-10-01', 9004, 100, 2.2), (9002, 4, 1, 9002, '2026-11-01', 9004, 100, 2.4), "
        "(9003, 4, 2, 9003, '2026-11-20', 9004, 10, 9), (9004, 4, 3, 9004, '2026-09-01', 9005, 50, 3.5), "
        "(9005, 4, 1, 9005, '2026-08-01', 9002, 5, 28), (9006, 7, 1, 9006, '2026-11-25', 9006, 5, 8)");
}

}  // namespace mfg::test
