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
        if (mnfQty) bom.SetNumberText(bom.Lines(), "MnfQty", mnfQty);
        bom.Lines().Post();
    }
    //! A value of the stored BOM.
    Variant Stored(const std::string& sql) { return host.GetValueOfSql(sql); }

    GoodsBom bom;
};

}  // namespace mfg::test
