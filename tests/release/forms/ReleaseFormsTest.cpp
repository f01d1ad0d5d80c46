// The release dialogs offscreen: controls found by name, messages answered by script.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <cstdlib>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "ScreenTest.h"
#include "TMakePurchaseForm.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

//! With MFG_SCREENSHOTS set, the screen as the user sees it goes to that folder.
void Screenshot(QWidget& screen, const char* name)
{
    const char* folder = std::getenv("MFG_SCREENSHOTS");
    if (folder && *folder) screen.grab().save(QString("%1/%2.png").arg(folder, name));
}

class ReleaseFormsTest : public test::ScreenTest {
protected:
    ReleaseFormsTest()
    {
        SqlExecute(
            "insert into L_GoodsUnit (UnitID, GoodsID, UnitName, Rate, IsBase, UnitType, Sequence, PPrice) values "
            "(9101, 101, '捆', 12, 0, 0, 2, 140)");
        host.LookupDB().RefreshLookupDataSet("qryGoodsUnit");
        for (auto name : {"selected", "goodsid"}) cdsPurSug.AddField(name, FieldType::Integer);
        for (auto name : {"goodscode", "goodsname", "specs", "unitname"}) cdsPurSug.AddField(name, FieldType::Text);
        for (auto name : {"sugqty", "fixqty", "price", "amount"}) cdsPurSug.AddField(name, FieldType::Float);
        cdsPurSug.AddField("revdate", FieldType::DateTime);
        cdsPurSug.CreateDataSet();
        cdsPurSug.AppendRecord(
            {1, 101, "1001", "钢管", "Φ28×1.5mm", "米", 100.0, 100.0, 11.8, 1180.0, DateTime::FromYmd(2026, 12, 20)});
    }

    static void SetLine(DataSet& lines, std::string_view field, Variant value)
    {
        lines.Edit();
        lines.FieldByName(field).SetValue(std::move(value));
        lines.Post();
    }

    DataSet cdsPurSug;
};

TEST_F(ReleaseFormsTest, TheSinglePurchaseReleaseSplitsASuggestionIntoOrdersOfItsOwnUnitsAndSuppliers)
{
    TMakePurchaseForm form(2);
    EXPECT_EQ(form.windowTitle(), "下达采购订单");
    form.SetSuggestion(cdsPurSug);
    EXPECT_EQ(Control<QLabel>(form, "lbGoodsCode").text(), "货品编号:1001");
    EXPECT_EQ(Control<QLabel>(form, "lbQuantity").text(), "数量:100");
    form.show();
    auto& lines = *Control<DbGrid>(form, "QxDBGrid1").GetDataSet();

    // No line yet: the dialog stays open.
    Control<QPushButton>(form, "btOK").click();
    EXPECT_TRUE(dialogs.WasShown("没有输入要下达采购订单的信息！"));
    EXPECT_EQ(form.ModalResult(), mrNone);

    form.muAddDetailClick();
    ASSERT_EQ(lines.RecordCount(), 1);
    EXPECT_EQ(lines.FieldByName("tradername").AsString(), "天津华强钢管有限公司");
    Control<LookupCombo>(form, "cmbUnit").SetValue(9101);
    EXPECT_DOUBLE_EQ(lines.FieldByName("quantity").AsFloat(), 8.3333);
    SetLine(lines, "quantity", 2.0);
    SetLine(lines, "price", 24.0);
    EXPECT_DOUBLE_EQ(lines.FieldByName("amount").AsFloat(), 48);
    form.muAddDetailClick();
    EXPECT_DOUBLE_EQ(lines.FieldByName("quantity").AsFloat(), 76);
    Control<LookupCombo>(form, "cmbTrade").SetValue(2);
    EXPECT_EQ(lines.FieldByName("tradername").AsString(), "宁波顺达车轮配件厂");
    Screenshot(form, "release-purchase");
    lines.First();
    EXPECT_EQ(Control<LookupCombo>(form, "cmbTrade").Value().AsInteger(), 1)
        << "the drop-downs follow the current line";
    EXPECT_EQ(Control<LookupCombo>(form, "cmbUnit").Value().AsInteger(), 9101);

    const auto orders = GetValueOfSql("select count(*) from P_ORDER").AsInteger();
    form.btOKClick();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_TRUE(dialogs.WasShown("采购订单已下达成功!"));
    EXPECT_DOUBLE_EQ(form.ReleasedQty(), 100);
    EXPECT_EQ(GetValueOfSql("select count(*) from P_ORDER").AsInteger(), orders + 2);
    TMakePurchaseForm::TakeReleased(cdsPurSug, form.ReleasedQty());
    EXPECT_DOUBLE_EQ(cdsPurSug.FieldByName("fixqty").AsFloat(), 0);
}

TEST_F(ReleaseFormsTest, ARequestHidesSupplierAndPricesAndAFailureLeavesTheSuggestionAsItWas)
{
    TMakePurchaseForm form(5);
    EXPECT_EQ(form.windowTitle(), "下达请购单");
    form.SetSuggestion(cdsPurSug);
    auto& grid = Control<DbGrid>(form, "QxDBGrid1");
    for (int column = 0; column < grid.ColumnCount(); ++column) {
        const std::string& field = grid.Column(column).fieldName;
        EXPECT_EQ(grid.isColumnHidden(column), field == "tradername" || field == "price" || field == "amount") << field;
    }
    form.muAddDetailClick();
    SetLine(*grid.GetDataSet(), "traderid", Variant());
    test::RefuseWrites(host.DBStartup(), "P_REQUEST", "insert", "", "磁盘已满");
    form.btOKClick();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_DOUBLE_EQ(form.ReleasedQty(), 0);
    EXPECT_EQ(dialogs.Texts(MessageKind::Error).at(0).rfind("请购单下达失败:", 0), 0u);
    TMakePurchaseForm::TakeReleased(cdsPurSug, form.ReleasedQty());
    EXPECT_DOUBLE_EQ(cdsPurSug.FieldByName("fixqty").AsFloat(), 100);
    form.muDeleteDetailClick();
    EXPECT_TRUE(grid.GetDataSet()->IsEmpty());
}

}  // namespace
}  // namespace mfg
