// The release dialogs offscreen: controls found by name, messages answered by script.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "../ReleaseFixture.h"
#include "DbGrid.h"
#include "LookupCombo.h"
#include "ManufactureRelease.h"
#include "MrpEngine.h"
#include "MrpWorkbench.h"
#include "ReleaseScreens.h"
#include "ScreenTest.h"
#include "SuggestionRows.h"
#include "TMakeMachiningForm.h"
#include "TMakePurchaseForm.h"
#include "TMakeSorderForm.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

class ReleaseFormsTest : public test::ScreenTest {
protected:
    ReleaseFormsTest()
    {
        SqlExecute(
            "insert into L_GoodsUnit (UnitID, GoodsID, UnitName, Rate, IsBase, UnitType, Sequence, PPrice) values "
            "(9101, 101, '捆', 12, 0, 0, 2, 140)");
        host.LookupDB().RefreshLookupDataSet("qryGoodsUnit");
        test::ReleaseTest::PurchaseSuggestions(cdsPurSug);
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
    ShowAtDefaultSize(form);
    for (const char* control : {"lbGoodsCode", "lbQuantity", "QxDBGrid1", "btOK", "btCancel"})
        ExpectInside(form, Control<QWidget>(form, control));
    for (const char* title : {"收货日期", "供应商", "单位", "数量", "单价", "金额", "备注"})
        ExpectColumnShown(Control<DbGrid>(form, "QxDBGrid1"), title);
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

TEST_F(ReleaseFormsTest, TheRemainderOfASingleReleaseIsReleasedAfterTheQuestion)
{
    DataSet rows;
    test::AddWorkbenchPurchase(rows, 101, 500, 11.8, DateTime::FromYmd(2026, 12, 21));
    const auto orders = GetValueOfSql("select count(*) from P_ORDER").AsInteger();
    auto releaseLine = [](double quantity) {
        return [quantity](QWidget& shown) {
            auto& dialog = dynamic_cast<TMakePurchaseForm&>(shown);
            dialog.muAddDetailClick();
            DataSet& lines = dialog.Lines();
            lines.Edit();
            lines.FieldByName("quantity").SetValue(quantity);
            lines.Post();
            Control<QPushButton>(dialog, "btOK").click();
        };
    };
    WhenShown("TMakePurchaseForm", releaseLine(200));
    TMakePurchaseForm::ReleaseSuggestion(rows, 2);
    EXPECT_DOUBLE_EQ(rows.FieldByName("fixqty").AsFloat(), 300);
    const std::string first = rows.FieldByName("released").AsString();
    EXPECT_EQ(first.rfind("200 ", 0), 0u);

    // The 300 left: asked first, answered yes, released as a second order.
    dialogs.Answer({6});
    WhenShown("TMakePurchaseForm", releaseLine(300));
    TMakePurchaseForm::ReleaseSuggestion(rows, 2);
    EXPECT_EQ(dialogs.Texts(MessageKind::YesNoQuestion),
              (std::vector<std::string>{"货品 1001 已经下达过 200\n是否再次下达?"}));
    EXPECT_TRUE(dialogs.Texts(MessageKind::Error).empty());
    EXPECT_DOUBLE_EQ(rows.FieldByName("fixqty").AsFloat(), 0);
    EXPECT_EQ(rows.FieldByName("released").AsString().rfind("500 " + first.substr(4) + " ", 0), 0u);
    EXPECT_EQ(GetValueOfSql("select count(*) from P_ORDER").AsInteger(), orders + 2);
    EXPECT_EQ(GetValueOfSql("select sum(d.Quantity) from P_ORDERDETAIL d join P_ORDER m on m.BillID = d.BillID "
                            "where d.GoodsID = 101 and m.Remark like '%MRP采购建议%'")
                  .AsFloat(),
              500.0);
}

TEST_F(ReleaseFormsTest, TheSupplierDropDownsShowTheBranch)
{
    TMakePurchaseForm single(2);
    TMakeMachiningForm batch;
    for (LookupCombo* combo : {single.cmbTrade, batch.cmbTrade})
        EXPECT_EQ(combo->DropDownColumns(), (std::vector<std::string>{"CODE", "NAME", "SHOPNAME"}));
    EXPECT_FALSE(LookupData(19, 1, "SHOPNAME").AsString().empty());
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

class ManufactureReleaseFormTest : public ReleaseFormsTest {
protected:
    //! One run over the bicycle's audited schedule line, its suggestion the only one ticked.
    void SetUp() override
    {
        MrpLine plan;
        plan.goodsid = 1;
        plan.quantity = 80;
        plan.date = DateTime::FromYmd(2026, 12, 30);
        plan.billtype = 43;
        plan.billid = 1;
        plan.itemno = 1;
        plan.billcode = "JH-2026-12-0001";
        plan.billdate = DateTime::FromYmd(2026, 12, 2);
        plan.planqty = 80;
        ASSERT_TRUE(engine.Load(true, false, "'1'"));
        ASSERT_TRUE(engine.Calculate({plan}, {}, MrpDefaultOptions));
        FillManufactureSuggestionsForRelease(engine, cdsManuSug);
        for (cdsManuSug.First(); !cdsManuSug.Eof(); cdsManuSug.Next())
            if (cdsManuSug.FieldByName("goodsid").AsInteger() != 1) SetLine(cdsManuSug, "selected", 0);
    }

    MrpEngine engine;
    DataSet cdsManuSug{"cdsManuSug"};
};

TEST_F(ManufactureReleaseFormTest, ASplitDemandBecomesTwoOrdersReferringToItsScheduleLine)
{
    TMakeSorderForm form(42, engine, cdsManuSug);
    DataSet& rows = form.ReleaseRows();
    ASSERT_EQ(rows.RecordCount(), 2);
    EXPECT_EQ(rows.FieldByName("goodscode").AsString(), "3001");
    const double fixqty = rows.FieldByName("fixqty").AsFloat();
    rows.Next();
    EXPECT_EQ(rows.FieldByName("billtype").AsString(), "主生产计划");
    EXPECT_EQ(rows.FieldByName("workname").AsString(), "总装车间");
    EXPECT_DOUBLE_EQ(rows.FieldByName("manuqty").AsFloat(), fixqty);
    auto& grid = Control<DbGrid>(form, "ItemGrid");
    EXPECT_EQ(grid.FrozenColumns(), 5);
    for (int column = 0; column < grid.ColumnCount(); ++column)
        EXPECT_EQ(grid.isColumnHidden(column), grid.Column(column).fieldName == "tradername");

    Control<QPushButton>(form, "btnSplit").click();
    ASSERT_EQ(rows.RecordCount(), 3);
    EXPECT_EQ(rows.FieldByName("billcode").AsString(), "JH-2026-12-0001");
    Control<QPushButton>(form, "btOK").click();
    EXPECT_TRUE(dialogs.WasShown("本次下达数量必须大于0！"));
    EXPECT_EQ(form.ModalResult(), mrNone);
    EXPECT_EQ(grid.SelectedField(), "manuqty");
    SetLine(rows, "manuqty", fixqty - 10);
    rows.SetRecNo(2);
    SetLine(rows, "manuqty", 10.0);
    form.resize(1560, 360);
    form.show();
    Screenshot(form, "release-manufacture");
    form.btOKClick();
    ASSERT_EQ(form.ModalResult(), mrOk);

    const auto codes = ManufactureRelease(42).Release(rows, engine);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(GetValueOfSql("select count(*) from MNF_MANUORDER where ReferBillType = 43 and ReferBillID = 1 and "
                            "ReferItemNo = 1 and BillCode in ('" +
                            codes[0] + "','" + codes[1] + "')")
                  .AsInteger(),
              2);
}

TEST_F(ManufactureReleaseFormTest, GoodsRowsAreNeitherSplitNorDeletedAndTheirProcessorGoesToEveryDemand)
{
    TMakeSorderForm form(54, engine, cdsManuSug);
    DataSet& rows = form.ReleaseRows();
    rows.First();
    form.pmManuOrderPopup();
    EXPECT_FALSE(Control<QAction>(form, "mnuSplit").isEnabled());
    form.btnSplitClick();
    EXPECT_TRUE(dialogs.WasShown("请选择要拆分的明细！"));
    form.mnuDeleteClick();
    EXPECT_EQ(rows.RecordCount(), 2);
    Control<LookupCombo>(form, "cmbTrade").SetValue(3);
    rows.Last();
    EXPECT_EQ(rows.FieldByName("traderid").AsInteger(), 3);
    EXPECT_EQ(rows.FieldByName("tradername").AsString(), "东莞精工车架加工厂");
    form.pmManuOrderPopup();
    EXPECT_TRUE(Control<QAction>(form, "mnuDelete").isEnabled());
    form.mnuDeleteClick();
    EXPECT_EQ(rows.RecordCount(), 1);
}

TEST_F(ManufactureReleaseFormTest, TheWorkbenchReleasesThroughTheDialogAndACancelWritesNothing)
{
    const auto orders = GetValueOfSql("select count(*) from CM_MACHINING").AsInteger();
    WhenShown("TMakeSorderForm", [](QWidget& shown) { dynamic_cast<TMakeSorderForm&>(shown).btCancel->click(); });
    EXPECT_TRUE(ReleaseManufactureSuggestions(engine, cdsManuSug, 54).empty());
    EXPECT_EQ(GetValueOfSql("select count(*) from CM_MACHINING").AsInteger(), orders);

    WhenShown("TMakeSorderForm", [](QWidget& shown) {
        auto* dialog = dynamic_cast<TMakeSorderForm*>(&shown);
        dialog->ReleaseRows().First();
        dialog->cmbTrade->SetValue(3);
        dialog->btOKClick();
    });
    EXPECT_EQ(ReleaseManufactureSuggestions(engine, cdsManuSug, 54).size(), 1u);
    EXPECT_TRUE(dialogs.WasShown("生产建议已下达成功!"));
    EXPECT_EQ(GetValueOfSql("select count(*) from CM_MACHINING").AsInteger(), orders + 1);
}

TEST_F(ReleaseFormsTest, TheBatchPurchaseReleaseAsksForASupplierTheGoodsLacks)
{
    SqlExecute("update l_trader set ShopID = 2 where TraderID = 1");
    host.LookupDB().RefreshLookupDataSet("qryTrader");
    WhenShown("TMakeMachiningForm", [this](QWidget& shown) {
        auto* dialog = dynamic_cast<TMakeMachiningForm*>(&shown);
        ExpectOnScreen(*dialog);
        EXPECT_EQ(dialog->windowTitle(), "下达采购订单");
        EXPECT_EQ(dialog->Label13->text(), "往来单位:");
        EXPECT_TRUE(dialog->LabMsg->text().contains("编号: 1001"));
        dialog->btOKClick();
        EXPECT_TRUE(dialogs.WasShown("没有选择往来单位:或选择有误！"));
        dialog->cmbTrade->SetValue(2);
        Screenshot(*dialog, "release-supplier");
        dialog->btOKClick();
    });
    const auto codes = ReleasePurchaseSuggestions(cdsPurSug, 2);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(GetValueOfSql("select TraderID from P_ORDER where BillCode = '" + codes[0] + "'").AsInteger(), 2);
}

}  // namespace
}  // namespace mfg
