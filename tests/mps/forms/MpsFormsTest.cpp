// The schedule's screens offscreen: controls found by name, messages answered by script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DatePicker.h"
#include "DbGrid.h"
#include "GridInput.h"
#include "LookupCombo.h"
#include "Manufacture.h"
#include "ScreenTest.h"
#include "TPickManuGoodsForm.h"
#include "TSelectListForm.h"
#include "TSorderToMPSForm.h"
#include "host/Registry.h"

namespace mfg {
namespace {

const DateTime kDecember1 = DateTime::FromYmd(2026, 12, 1);
const DateTime kDecember31 = DateTime::FromYmd(2026, 12, 31);

int LogEntries(Host& host, int eventID)
{
    return static_cast<int>(
        host.GetValueOfSql("select count(*) from m_oplog where EventID = :e", 0, {{"e", eventID}}).AsInteger());
}

class MpsFormsTest : public test::ScreenTest {};

TEST_F(MpsFormsTest, SalesOrdersToTheScheduleFromTickToWrite)
{
    int opened = LogEntries(host, 200), closed = LogEntries(host, 201);
    {
        TSorderToMPSForm form;
        EXPECT_EQ(LogEntries(host, 200), opened + 1);
        auto& grid = Control<DbGrid>(form, "QxDBGrid1");
        auto& beg = Control<DatePicker>(form, "dtpBeg");
        auto& end = Control<DatePicker>(form, "dtpEnd");
        EXPECT_EQ(beg.Date(), kDecember1) << "the open posting month";
        EXPECT_EQ(end.Date(), kDecember31);
        form.show();
        ASSERT_EQ(grid.Model().rowCount(), 2);
        EXPECT_EQ(grid.Model().headerData(9, Qt::Horizontal).toString(), "完工日期");

        beg.SetDate(DateTime::FromYmd(2025, 1, 1));
        end.SetDate(DateTime::FromYmd(2025, 1, 31));
        EXPECT_EQ(grid.Model().rowCount(), 0);
        EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers) << "an empty list is read-only";
        Control<QPushButton>(form, "btn1").click();  // 全选 on an empty list changes nothing
        beg.SetDate(kDecember1);
        end.SetDate(kDecember31);
        ASSERT_EQ(grid.Model().rowCount(), 2);

        Control<QPushButton>(form, "btn1").click();
        Control<QPushButton>(form, "btnOK").click();
        EXPECT_TRUE(dialogs.WasShown("生产完工日期不能小于今天!")) << "order 5 is due on its past order date";
        EXPECT_EQ(form.ModalResult(), mrNone);
        Screenshot(form, "sorder-to-mps");

        Control<QPushButton>(form, "btn2").click();  // 反选: nothing ticked
        Control<QPushButton>(form, "btnOK").click();
        EXPECT_TRUE(dialogs.WasShown("没有选择要转入主生产计划的销售订单记录!"));
        DataSet& lines = form.Conversion().Lines();
        lines.First();
        lines.Edit();
        lines.FieldByName("Selected").SetValue(1);
        lines.Post();
        Control<QPushButton>(form, "btnOK").click();
        EXPECT_TRUE(dialogs.WasShown("已成功将所选的订单记录转入主生产计划!"));
        EXPECT_EQ(form.ModalResult(), mrOk);
    }
    EXPECT_EQ(LogEntries(host, 201), closed + 1);
    EXPECT_EQ(
        host.GetValueOfSql("select count(*) from MNF_ManuPlan where ReferBillID = 1 and ReferItemNo = 1").AsInteger(),
        1);
}

TEST_F(MpsFormsTest, AConvertedOrderLineIsNotOfferedOnTheScreenAgain)
{
    {
        TSorderToMPSForm form;
        form.show();
        auto& grid = Control<DbGrid>(form, "QxDBGrid1");
        ASSERT_EQ(grid.Model().rowCount(), 2);
        grid.setFocus();
        grid.setCurrentIndex(grid.Model().index(0, grid.Model().ColumnIndexOf("Selected")));
        QTest::keyClick(&grid, Qt::Key_Space);
        ASSERT_EQ(form.Conversion().Lines().FieldByName("Selected").AsInteger(), 1);
        Control<QPushButton>(form, "btnOK").click();
        ASSERT_TRUE(dialogs.WasShown("已成功将所选的订单记录转入主生产计划!"));
    }
    TSorderToMPSForm again;
    again.show();
    auto& grid = Control<DbGrid>(again, "QxDBGrid1");
    ASSERT_EQ(grid.Model().rowCount(), 1) << "converting the line twice would double its demand";
    DataSet& lines = again.Conversion().Lines();
    lines.First();
    EXPECT_EQ(lines.FieldByName("BillCode").AsString(), "XS-2026-12-04-0001");
}

// 全选 ticks the rows not yet ticked; a row ticked before keeps the completion date typed since.
TEST_F(MpsFormsTest, SelectAllKeepsTheCompletionDateOfARowTickedBefore)
{
    TSorderToMPSForm form;
    form.resize(1000, 400);
    form.show();
    auto& grid = Control<DbGrid>(form, "QxDBGrid1");
    ASSERT_EQ(grid.Model().rowCount(), 2);
    test::ClickCell(grid, 0, "SELECTED");
    QTest::keyClick(&grid, Qt::Key_Space);
    DataSet& lines = form.Conversion().Lines();
    lines.First();
    ASSERT_EQ(lines.FieldByName("Selected").AsInteger(), 1);
    const QModelIndex finish = grid.Model().index(0, grid.Model().ColumnIndexOf("MNENDDATE"));
    ASSERT_TRUE(grid.Model().setData(finish, QDate(2027, 1, 15)));
    Control<QPushButton>(form, "btn1").click();
    EXPECT_EQ(grid.Model().CellText(0, finish.column()), "2027-01-15");
    lines.Last();
    EXPECT_EQ(lines.FieldByName("Selected").AsInteger(), 1);
    EXPECT_FALSE(lines.FieldByName("MNEndDate").IsNull()) << "a row that becomes ticked takes its date";
}

// 全选, a completion date typed into one row's cell (double click, select all, type, Return), 转入:
// every ticked row becomes one schedule line, in list order, whichever row was edited.
TEST_F(MpsFormsTest, EachTickedRowIsWrittenOnceWhicheverDateWasTyped)
{
    struct Case {
        DateTime today;
        int editedRow;
    };
    for (const Case& c : {Case{test::TestToday(), 1}, Case{DateTime::FromYmd(2026, 12, 3), 0}}) {
        SCOPED_TRACE(c.editedRow);
        host.SqlExecute("delete from MNF_ManuPlan where BillID > 4");  // the demo's lines stay
        host.SetToday(c.today);
        TSorderToMPSForm form;
        form.show();
        QApplication::setActiveWindow(&form);
        auto& grid = Control<DbGrid>(form, "QxDBGrid1");
        ASSERT_EQ(grid.Model().rowCount(), 2);
        QTest::mouseClick(form.btn1, Qt::LeftButton);
        const QModelIndex cell = grid.Model().index(c.editedRow, grid.Model().ColumnIndexOf("MNENDDATE"));
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(editor && grid.isAncestorOf(editor)) << "the double click opens the cell's editor";
        const QDate typed(2026, 12, 28);
        if (auto* dateEditor = qobject_cast<QDateTimeEdit*>(editor)) {
            // A date editor takes its sections one by one; the date is what matters here.
            dateEditor->setDate(typed);
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), typed.toString(Qt::ISODate));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ProcessEvents();
        EXPECT_EQ(grid.Model().CellText(c.editedRow, cell.column()), "2026-12-28");
        QTest::mouseClick(form.btnOK, Qt::LeftButton);
        EXPECT_EQ(form.ModalResult(), mrOk) << ::testing::PrintToString(dialogs.Texts());
        auto written = host.CreateAutoQuery(
            "select ReferBillID, ReferItemNo from MNF_ManuPlan where BillID > 4 order by BillCode", true);
        std::vector<std::pair<int, int>> lines;
        for (written->First(); !written->Eof(); written->Next())
            lines.emplace_back(static_cast<int>(written->FieldByName("ReferBillID").AsInteger()),
                               static_cast<int>(written->FieldByName("ReferItemNo").AsInteger()));
        EXPECT_EQ(lines, (std::vector<std::pair<int, int>>{{1, 1}, {5, 1}})) << "XS-2026-12-01-0001, then -12-04-";
    }
}

TEST_F(MpsFormsTest, TheCommandSORDERTOMPSOpensTheScreenModally)
{
    ManufactureLoad();
    bool opened = false;
    WhenShown("TSorderToMPSForm", [&opened](QWidget& screen) {
        opened = screen.isModal();
        dynamic_cast<TSorderToMPSForm&>(screen).btnCancel->click();
    });
    HostRegistry().CallFunction("SORDERTOMPS", "", nullptr);
    ManufactureUnload();
    HostRegistry().Clear();
    EXPECT_TRUE(opened);
}

TEST_F(MpsFormsTest, ThePlanDialogFiltersTicksAndSorts)
{
    TSelectPlanForm form;
    Control<DatePicker>(form, "DateTimePicker1").SetDate(kDecember1);
    Control<DatePicker>(form, "DateTimePicker2").SetDate(kDecember31);
    Control<QPushButton>(form, "btnFilter").click();
    auto& grid = Control<DbGrid>(form, "DBGrid1");
    ASSERT_EQ(grid.Model().rowCount(), 2);
    EXPECT_EQ(Control<QLineEdit>(form, "Edit1").text(), "全部货品");
    EXPECT_EQ(Control<QLineEdit>(form, "Edit2").text(), "全部");

    Control<DatePicker>(form, "DateTimePicker1").SetDate(DateTime::FromYmd(2027, 1, 1));
    Control<QPushButton>(form, "btnFilter").click();
    EXPECT_TRUE(dialogs.WasShown("起始日期不能大于终止日期!"));
    EXPECT_EQ(grid.Model().rowCount(), 2) << "the previous list stays";

    DataSet& rows = form.cdsList();
    rows.First();
    auto click = [&grid](int column) { emit grid.clicked(grid.Model().index(0, column)); };
    click(0);
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 1);
    click(0);
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 0);
    click(2);
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 0) << "only the 选择 column ticks";

    int codeColumn = grid.Model().ColumnIndexOf("billcode");
    for (const char* title : {"单据编号  ▲", "单据编号  ▼", "单据编号  ▲"}) {
        emit grid.horizontalHeader()->sectionClicked(codeColumn);
        EXPECT_EQ(grid.Model().headerData(codeColumn, Qt::Horizontal).toString(), title);
    }
    Control<QPushButton>(form, "btn1").click();
    Control<QPushButton>(form, "btnOK").click();
    EXPECT_EQ(form.ModalResult(), mrOk);
}

TEST_F(MpsFormsTest, TheFindActionOfAGoodsComboChoosesThroughThePicker)
{
    TSelectPlanForm form;
    form.PrepareLookupCombos();
    WhenShown("TPickManuGoodsForm", [](QWidget& shown) {
        auto& picker = dynamic_cast<TPickManuGoodsForm&>(shown);
        ExpectOnScreen(picker);
        picker.GoodsCodeED->setText("3002");
        picker.btnOk->click();
    });
    form.goodsCombo->DoAction("查找#");
    EXPECT_EQ(form.ChosenGoods(), 2);
    EXPECT_EQ(Control<QLineEdit>(form, "Edit1").text(), "城市自行车");
    EXPECT_EQ(Control<QLineEdit>(form, "Edit2").text(), "28寸 单速 红色");
}

TEST_F(MpsFormsTest, TheOrderDialogWidensToEveryBranchAndSearchesQuotedOrderCodes)
{
    TSelectSOrderForm form;
    Control<DatePicker>(form, "DateTimePicker1").SetDate(kDecember1);
    Control<DatePicker>(form, "DateTimePicker2").SetDate(kDecember31);
    form.show();
    auto& grid = Control<DbGrid>(form, "DBGrid1");
    EXPECT_EQ(grid.Model().rowCount(), 5);
    Control<QCheckBox>(form, "chkShopID").click();
    EXPECT_EQ(form.cmbTrade->DropDownFilter(),
              "(IsVendor = 0 and Closed = 0 and TraderID > 0) or (acctrader = 1 and Closed = 0 and TraderID > 0)");
    Control<QPushButton>(form, "btnFilter").click();
    EXPECT_EQ(grid.Model().rowCount(), 6);
    Screenshot(form, "select-sorder");
    Control<QLineEdit>(form, "Edit3").setText("12-02' or '1'='1");
    Control<QPushButton>(form, "btnFilter").click();
    EXPECT_EQ(grid.Model().rowCount(), 0);
    EXPECT_TRUE(dialogs.Texts(MessageKind::Error).empty());
    Control<QPushButton>(form, "btnCancel").click();
    EXPECT_EQ(form.ModalResult(), mrCancel);
}

TEST_F(MpsFormsTest, ThePickerFiltersAsTheUserTypesAndAddsInAddMode)
{
    TPickManuGoodsForm form;
    auto& grid = Control<DbGrid>(form, "QxDBGrid1");
    auto& types = Control<QComboBox>(form, "GoodsType");
    EXPECT_EQ(types.itemText(0), "全部");
    EXPECT_EQ(types.count(), 14);
    EXPECT_FALSE(Control<QPushButton>(form, "btnSel").isVisibleTo(&form));

    Control<QLineEdit>(form, "PYFindGoodsEdit").setText("cj");
    EXPECT_EQ(grid.Model().rowCount(), 3);
    Control<QLineEdit>(form, "GoodsCodeED").setText("200");
    EXPECT_EQ(grid.Model().rowCount(), 2);
    Screenshot(form, "pick-manu-goods");
    Control<QLineEdit>(form, "PYFindGoodsEdit").setText("");
    Control<QLineEdit>(form, "GoodsCodeED").setText("nothing");
    Control<QPushButton>(form, "btnOk").click();
    EXPECT_EQ(dialogs.Texts(MessageKind::Error), std::vector<std::string>{"没有货品可以选择！"});
    EXPECT_EQ(form.ModalResult(), mrNone);

    DataSet lines("qryBomLines");
    lines.AddField("elemgid", FieldType::Integer);
    lines.AddField("MnfQty", FieldType::Float);
    lines.CreateDataSet();
    form.SetAddTarget(&lines, PickTarget::BomLines);
    EXPECT_TRUE(Control<QPushButton>(form, "btnSel").isVisibleTo(&form));
    Control<QLineEdit>(form, "GoodsCodeED").setText("3001");
    Control<QLineEdit>(form, "edQty").setText("2");
    Control<QPushButton>(form, "btnSel").click();
    ASSERT_EQ(lines.RecordCount(), 1);
    EXPECT_EQ(lines.FieldByName("elemgid").AsInteger(), 1);
    EXPECT_DOUBLE_EQ(lines.FieldByName("MnfQty").AsFloat(), 2);
    Control<QPushButton>(form, "btnOk").click();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(form.GoodsID(), 1);
}

TEST_F(MpsFormsTest, EachScreenOpensShowingItsInputsAndKeyColumns)
{
    {
        TSorderToMPSForm form;
        ShowAtDefaultSize(form);
        for (const char* control : {"dtpBeg", "dtpEnd", "btn1", "btn2", "btn3", "QxDBGrid1", "btnOK", "btnCancel"})
            ExpectInside(form, Control<QWidget>(form, control));
        auto& grid = Control<DbGrid>(form, "QxDBGrid1");
        for (const char* title : {"订单编号", "产品编码", "产品名称", "规格", "数量", "完工日期"})
            ExpectColumnShown(grid, title);
    }
    {
        TSelectPlanForm form;
        Control<DatePicker>(form, "DateTimePicker1").SetDate(kDecember1);
        Control<DatePicker>(form, "DateTimePicker2").SetDate(kDecember31);
        Control<QPushButton>(form, "btnFilter").click();
        ShowAtDefaultSize(form);
        for (const char* control : {"DateTimePicker1", "DateTimePicker2", "QxDBLkupGridCombo1", "Edit1", "Edit2",
                                    "btnFilter", "chkReleased", "btnOK", "btnCancel", "btn1", "btn2", "btn3"})
            ExpectInside(form, Control<QWidget>(form, control));
        for (const char* title : {"单据日期", "单据编号", "完工日期", "货品名称", "计划数量", "已下达数量"})
            ExpectColumnShown(Control<DbGrid>(form, "DBGrid1"), title);
        Screenshot(form, "select-plan");
    }
    {
        TSelectSOrderForm form;
        Control<DatePicker>(form, "DateTimePicker1").SetDate(kDecember1);
        Control<DatePicker>(form, "DateTimePicker2").SetDate(kDecember31);
        ShowAtDefaultSize(form);
        for (const char* control : {"cmdGoods", "cmbTrade", "Edit3", "chkShopID", "chkReleased", "btnFilter", "btnOK"})
            ExpectInside(form, Control<QWidget>(form, control));
        for (const char* title : {"单据日期", "单据编号", "交货日期", "客户", "货品名称", "订单数量", "未下达数量"})
            ExpectColumnShown(Control<DbGrid>(form, "DBGrid1"), title);
    }
    {
        TPickManuGoodsForm form;
        ShowAtDefaultSize(form);
        for (const char* control : {"GoodsCodeED", "GoodsNameED", "SpecsED", "GoodsType", "PYFindGoodsEdit",
                                    "QxDBGrid1", "btnOk", "btnCancel"})
            ExpectInside(form, Control<QWidget>(form, control));
        for (const char* title : {"货品编码", "货品名称", "规格", "单位"})
            ExpectColumnShown(Control<DbGrid>(form, "QxDBGrid1"), title);
    }
}

TEST_F(MpsFormsTest, OpenQuantitiesReadAtTheHostsQuantityFormat)
{
    host.SqlExecute("update S_OrderDetail set Quantity = ReferQty + 2.0 / 3");
    TSorderToMPSForm form;
    form.show();
    auto& grid = Control<DbGrid>(form, "QxDBGrid1");
    ASSERT_GT(grid.Model().rowCount(), 0);
    int quantity = grid.Model().ColumnIndexOf("MNQTY");
    std::vector<std::string> shown;
    for (int row = 0; row < grid.Model().rowCount(); ++row)
        shown.push_back(grid.Model().CellText(row, quantity).toStdString());
    EXPECT_EQ(shown, std::vector<std::string>(shown.size(), "0.6667"));
}

}  // namespace
}  // namespace mfg
