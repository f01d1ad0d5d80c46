#include "BomSummary.h"

#include <set>
#include <string>

#include "GoodsBom.h"
#include "host/Format.h"

namespace mfg {

void BuildBomSummary(GoodsBom& bom, DataSet& summary)
{
    summary.Close();
    summary.ClearFields();
    for (auto [name, type] : {std::pair<const char*, FieldType>{"ElemGID", FieldType::Integer},
                              {"GoodsCode", FieldType::Text},
                              {"GoodsName", FieldType::Text},
                              {"Specs", FieldType::Text},
                              {"UnitName", FieldType::Text},
                              {"Kind", FieldType::Integer},
                              {"mnfQty", FieldType::Float},
                              {"wasterate", FieldType::Float},
                              {"inputgoods", FieldType::Text}})
        summary.AddField(name, type);
    summary.CreateDataSet();

    DataSet& lines = bom.Lines();
    DataSet& substitutes = bom.Substitutes();
    lines.Post();
    auto column = [](const DataSet& set, const char* name) { return set.FieldByName(name).Index(); };
    const int component = column(lines, "ElemGID"), quantity = column(lines, "MnfQty"), rate = column(lines, "WasteRate");
    const int subComponent = column(substitutes, "ElemGID"), subName = column(substitutes, "goodsname");
    for (int row = 0; row < lines.RecordCount(); ++row) {
        const Variant& goods = lines.ValueAt(row, component);
        if (goods.IsNull()) continue;
        double lineQty = lines.ValueAt(row, quantity).AsFloat();
        double lineRate = lines.ValueAt(row, rate).AsFloat();
        if (summary.Locate("ElemGID", {goods})) {
            double oldQty = summary.FieldByName("mnfQty").AsFloat();
            double oldRate = summary.FieldByName("wasterate").AsFloat();
            double total = oldQty + lineQty;
            double waste = oldQty * (1 + oldRate * 0.01) + lineQty * (1 + lineRate * 0.01) - total;
            summary.Edit();
            summary.FieldByName("mnfQty").SetValue(total);
            summary.FieldByName("wasterate").SetValue(total == 0 ? 0.0 : RoundToEx(waste / total * 100, 4));
            summary.Post();
            continue;
        }
        std::string names;
        std::set<std::string> seen;
        for (int sub = 0; sub < substitutes.RecordCount(); ++sub) {
            if (!(substitutes.ValueAt(sub, subComponent) == goods)) continue;
            std::string name = substitutes.ValueAt(sub, subName).AsString();
            if (!seen.insert(name).second) continue;
            names += (names.empty() ? "" : ",") + name;
        }
        auto value = [&](const char* name) { return lines.ValueAt(row, column(lines, name)); };
        summary.AppendRecord({goods, value("GoodsCode"), value("GoodsName"), value("Specs"), value("UnitName"),
                              value("Kind"), lineQty, lineRate, names});
    }
    summary.First();
}

}  // namespace mfg
