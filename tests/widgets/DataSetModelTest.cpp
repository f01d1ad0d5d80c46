// The grid model is where a planner's typing becomes a pending change: edits must land in the
// dataset (not in a copy), sorting and filtering must reach the view, and flags must keep
// calculated and read-only columns out of reach.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>

#include "DbGrid.h"
#include "GridInput.h"
#include "ScreenTest.h"

namespace mfg {
namespace {

class DataSetModelTest : public test::ScreenTest {
protected:
    void SetUp() override
    {
        rows.SetName("cdsTest");
        rows.AddField("selected", FieldType::Integer);
        rows.AddField("Code", FieldType::Text);
        rows.AddField("Quantity", FieldType::Float);
        rows.AddField("BillDate", FieldType::DateTime);
        rows.AddCalcField("Twice", FieldType::Float);
        rows.OnCalcFields([](DataSet& d) { d.FieldByName("Twice").SetValue(d.FieldByName("Quantity").AsFloat() * 2); });
        rows.CreateDataSet();
        rows.AppendRecord({0, "B", 2.5, DateTime::FromYmd(2026, 3, 5)});
        rows.AppendRecord({0, "A", 10.0, Variant()});
        rows.AppendRecord({1, "C", 1.0, Variant()});
        rows.CommitUpdates();
        grid.SetDataSet(&rows);
        grid.AddColumn("selected");
        grid.AddColumn("Code", "编码");
        grid.AddColumn("Quantity", "数量").format = NumberFormat::Amount;
        grid.AddColumn("BillDate", "日期");
        grid.AddColumn("Twice");
    }
    QModelIndex At(int row, int column) { return grid.Model().index(row, column); }

    DataSet rows;
    DbGrid grid;
};

TEST_F(DataSetModelTest, EditsBecomePendingChangesOfTheDataSet)
{
    ASSERT_TRUE(grid.Model().setData(At(1, 1), QString("AX")));
    EXPECT_EQ(rows.PendingUpdateCount(), 1);
    rows.SetRecNo(2);
    EXPECT_EQ(rows.FieldByName("Code").AsString(), "AX");
    ASSERT_TRUE(grid.Model().setData(At(0, 0), Qt::Checked, Qt::CheckStateRole));
    rows.First();
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 1);
    // The calculated column follows the edited quantity and cannot be typed into.
    ASSERT_TRUE(grid.Model().setData(At(0, 2), 4.0));
    EXPECT_EQ(grid.Model().data(At(0, 4)).toString(), "8");
    EXPECT_FALSE(grid.Model().flags(At(0, 4)) & Qt::ItemIsEditable);
    rows.CancelBatch();
    EXPECT_EQ(grid.Model().data(At(1, 1)).toString(), "A");
}

TEST_F(DataSetModelTest, ReadOnlyColumnsAndRefusedValuesLeaveTheRowAlone)
{
    grid.SetColumnReadOnly(1, true);
    EXPECT_FALSE(grid.Model().setData(At(0, 1), QString("Z")));
    rows.BeforePost([](DataSet& d) {
        if (d.FieldByName("Quantity").AsFloat() < 0) throw std::runtime_error("数量不能小于零!");
    });
    EXPECT_FALSE(grid.Model().setData(At(0, 2), -1.0));
    EXPECT_TRUE(dialogs.WasShown("数量不能小于零!"));
    EXPECT_FALSE(rows.UpdatesPending());
}

TEST_F(DataSetModelTest, CellsUseTheHostFormatsAndTheCheckBoxColumnStaysFirst)
{
    EXPECT_EQ(grid.Model().data(At(0, 2)).toString(), "2.50");
    EXPECT_EQ(grid.Model().data(At(0, 3)).toString(), "2026-03-05");
    EXPECT_EQ(grid.Model().data(At(2, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_FALSE(grid.Model().data(At(2, 0)).isValid());
    EXPECT_EQ(grid.horizontalHeader()->logicalIndex(0), 0);
    EXPECT_EQ(grid.ColumnByName("code").title, "编码");
    EXPECT_THROW(grid.ColumnByName("NoSuchField"), std::out_of_range);
}

TEST_F(DataSetModelTest, TitleClickSortsBothWaysWithAMarkerAndFilterShrinksTheView)
{
    std::vector<int> clicked;
    QObject::connect(&grid, &DbGrid::TitleClick, [&](int column) { clicked.push_back(column); });
    emit grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(grid.Model().data(At(0, 1)).toString(), "A");
    EXPECT_EQ(grid.SortMarkerColumn(), 1);
    emit grid.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(grid.Model().data(At(0, 1)).toString(), "C");
    EXPECT_EQ(rows.IndexFieldNames(), "Code:D");
    EXPECT_EQ(clicked, (std::vector<int>{1, 1}));

    rows.SetFilter("Quantity > 2");
    rows.SetFiltered(true);
    EXPECT_EQ(grid.Model().rowCount(), 2);
    rows.SetFiltered(false);
    EXPECT_EQ(grid.Model().rowCount(), 3);
}

TEST_F(DataSetModelTest, CurrentCellAndDataSetCursorFollowEachOther)
{
    grid.setCurrentIndex(At(2, 1));
    EXPECT_EQ(rows.RecNo(), 3);
    EXPECT_EQ(grid.SelectedField(), "Code");
    rows.First();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(grid.CurrentColumn(), 1);
    rows.Append();
    rows.FieldByName("Code").SetValue("D");
    rows.Post();
    EXPECT_EQ(grid.Model().rowCount(), 4);
    EXPECT_EQ(rows.PendingInsertCount(), 1);
}

TEST_F(DataSetModelTest, FrozenColumnsStayWhileTheOthersScrollAndShareTheSelection)
{
    grid.resize(220, 160);
    grid.SetFrozenColumns(1);
    grid.show();
    auto& frozen = Control<QTableView>(grid, "Frozen");
    EXPECT_FALSE(frozen.isColumnHidden(0));
    EXPECT_TRUE(frozen.isColumnHidden(1));
    EXPECT_EQ(frozen.width(), grid.columnWidth(0));
    EXPECT_EQ(frozen.selectionModel(), grid.selectionModel());
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    EXPECT_EQ(frozen.x(), grid.verticalHeader()->width() + grid.frameWidth());
    frozen.setCurrentIndex(At(2, 0));
    EXPECT_EQ(rows.RecNo(), 3);
}

// A planner's new line: Down on the last row starts it, typing fills it and nothing else; one left
// empty goes without taking the cursor onto another row's data. The positions of the rows shift
// when an untouched new row is dropped, and a click or a typed value must still reach the row meant.
TEST_F(DataSetModelTest, ANewRowTakesWhatIsTypedIntoItAndAnEmptyOneGoesQuietly)
{
    grid.SetAllowAppend(true);
    grid.resize(600, 300);
    grid.show();
    test::ClickCell(grid, 2, "Code");
    QTest::keyClick(&grid, Qt::Key_Down);
    ASSERT_EQ(rows.RecordCount(), 4);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    QTest::keyClick(&grid, Qt::Key_Down);  // the new row is still untouched: no second one
    EXPECT_EQ(rows.RecordCount(), 4);
    test::TypeIntoCurrentCell(grid, "D");
    test::TypeIntoCell(grid, 3, "Quantity", "7");
    EXPECT_EQ(grid.Model().CellText(3, 1), "D");
    EXPECT_EQ(grid.Model().CellText(3, 2), "7.00");
    EXPECT_EQ(grid.Model().CellText(2, 1), "C");
    EXPECT_EQ(grid.Model().CellText(2, 2), "1.00");
    EXPECT_EQ(rows.PendingInsertCount(), 1);
    EXPECT_EQ(rows.PendingUpdateCount(), 0);

    QTest::keyClick(&grid, Qt::Key_Down);  // left empty: Up drops it and lands on the row above
    ASSERT_EQ(grid.Model().rowCount(), 5);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.Model().rowCount(), 4);
    EXPECT_EQ(rows.RecNo(), 4);
    EXPECT_EQ(rows.FieldByName("Code").AsString(), "D");

    // A row inserted in the middle and left empty: a click further down reaches the row clicked.
    test::ClickCell(grid, 1, "Code");
    rows.Insert();
    ASSERT_EQ(grid.Model().rowCount(), 5);
    test::TypeIntoCell(grid, 3, "Code", "CX");
    EXPECT_EQ(grid.Model().rowCount(), 4);
    EXPECT_EQ(grid.Model().CellText(2, 1), "CX");
    EXPECT_EQ(grid.Model().CellText(3, 1), "D");
    EXPECT_EQ(rows.PendingInsertCount(), 1);
    EXPECT_EQ(rows.PendingUpdateCount(), 1);
    EXPECT_TRUE(dialogs.Messages().empty());

    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);  // a read-only grid takes no new rows
    test::ClickCell(grid, 3, "Code");
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rows.RecordCount(), 4);
}

}  // namespace
}  // namespace mfg
