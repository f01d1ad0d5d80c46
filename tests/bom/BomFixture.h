#pragma once

#include <string>

#include "GoodsBom.h"
#include "host/HostFixture.h"

namespace mfg::test {

//! The demo factory with one BOM held as the editor holds it.
class BomTest : public DemoHostTest {
protected:
    //! Loads the BOM of a demo parent; the test fails when it does not exist.
    void Load(int parentID) { ASSERT_TRUE(bom.Load(parentID)); }
    //! Appends a line for `component` and posts it.
    void AddLine(int component, const char* mnfQty = nullptr)
    {
        bom.AppendLine();
        bom.SetComponent(component);
        if (mnfQty) bom.SetNumberText(bom.Lines(), "MnfQty", "数量", mnfQty);
        bom.Lines().Post();
    }
    //! Appends substitute `goodsID` to line 1 (钢管 1001) of 车架焊接件 2011, as its third.
    void AddSubstituteToFirstLine(int goodsID)
    {
        DataSet& substitutes = bom.Substitutes();
        substitutes.Append();
        for (auto [field, value] : {std::pair<const char*, Variant>{"GoodsID", 21}, {"ElemGID", 101}, {"GoodsItemNO", 1},
                                    {"ItemNo", "3"}, {"SubGoodsID", goodsID}, {"Rate", 1.0}})
            substitutes.FieldByName(field).SetValue(value);
        substitutes.Post();
    }
    //! A value of the stored BOM.
    Variant Stored(const std::string& sql) { return host.GetValueOfSql(sql); }

    GoodsBom bom;
};

}  // namespace mfg::test
