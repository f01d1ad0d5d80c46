#include "BomTreeExport.h"

namespace mfg {

std::vector<ExportColumn> BomTreeExportColumns()
{
    std::vector<ExportColumn> columns{{"Grade", "级次"},        {"GoodsCode", "子件编码"}, {"GoodsName", "子件品名"},
                                      {"Specs", "规格"},        {"UnitName", "单位"},      {"mnfQty", "数量"},
                                      {"WasteRate", "损耗率%"}, {"Memo", "备注"}};
    for (int i = 1; i <= 5; ++i)
        columns.emplace_back("UserDef" + std::to_string(i), "用户自定义字段" + std::to_string(i));
    return columns;
}

std::string BomTreeExportTitle(const BomBrowseHeader& header)
{
    const BomGoods& goods = header.goods;
    return "产品编码:" + goods.code + " 品名:" + goods.name + " 规格:" + goods.specs + " 单位:" + goods.unitName +
           " 产品数量:" + header.MasterQtyText() + " 耗用工时:" + header.UseTimeText() +
           " 准备时间:" + header.PreTimeText() + " 是否审核:" + std::string(header.StateText());
}

std::vector<ExportColumn> WhereUsedExportColumns()
{
    return {{"Grade", "级次"},    {"GoodsCode", "父件编码"}, {"GoodsName", "父件品名"}, {"Specs", "规格"},
            {"UnitName", "单位"}, {"Quantity", "数量"},      {"WasteRate", "损耗率%"}};
}

std::string WhereUsedExportTitle(const BomGoods& goods)
{
    return "货品编码:" + goods.code + "  品名:" + goods.name + "  规格:" + goods.specs + "  单位:" + goods.unitName;
}

}  // namespace mfg
