#pragma once

#include "data/DataSet.h"

namespace mfg {

class GoodsBom;

//! Rebuilds the merged view of a BOM ("子件合并"): one row (BomSummaryRow) per distinct component in
//! line order, with the quantities added, the waste rate as the quantity-weighted mean, and the
//! names of every substitute of that component, each once. `summary` is (re)created with the
//! fields ElemGID, GoodsCode, GoodsName, Specs, UnitName, Kind, mnfQty, wasterate, inputgoods.
void BuildBomSummary(GoodsBom& bom, DataSet& summary);

}  // namespace mfg
