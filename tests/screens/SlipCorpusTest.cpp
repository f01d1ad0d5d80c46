// The slip corpus: every editable number of the screens takes each slip a planner makes. A slip is
// refused with a message naming the field's caption and the cell keeps its value, a number the
// field takes is taken without an error, nothing is stored, and the screen stays open.
#include <gtest/gtest.h>

#include <algorithm>

#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DbGrid.h"
#include "GridInput.h"
#include "LookupCombo.h"
#include "ScreenTest.h"
#include "TGoodsBomEditForm.h"
#include "TMRPForm.h"
#include "TSorderToMPSForm.h"
#include "TWorkCalendar_SetForm.h"
#include "host/Host.h"

namespace mfg {
namespace {

const std::vector<std::string> kSlips{"abc", "12元", "-1", "0", "inf", "nan", "1e300", "O'Brien", ""};

//! Where a number is typed: a cell of a grid's first row, or an edit box.
struct Place {
    QWidget* screen = nullptr;
    DbGrid* grid = nullptr;
    QLineEdit* edit = nullptr;
};

struct SlipField {
    const char* name;
    std::function<Place(std::vector<std::unique_ptr<QWidget>>&)> open;
    const char* field;    // the grid column; empty for an edit box
    const char* caption;  // as the message must name it
    //! Slips the field takes: numbers its own rule answers (a BOM quantity of -1 becomes 1 with a
    //! note), or that are told later (a holiday month at 确定).
    std::vector<std::string> taken;
};

Place BomEditor(std::vector<std::unique_ptr<QWidget>>& screens, bool processes)
{
    auto form = std::make_unique<TGoodsBomEditForm>();
    CurrentHost().SqlExecute("update L_GoodsBom set State = 0 where GoodsID = 21");  // audited in the demo
    if (!form->LoadBom(21)) throw std::logic_error("no BOM 21");
    form->resize(1100, 520);
    form->show();
    form->pgBom->setCurrentWidget(processes ? form->tsProc : form->tsMaterial);
    Place place{form.get(), processes ? form->dgProc : form->dgListGoodsBom, nullptr};
    screens.push_back(std::move(form));
    return place;
}

//! A screen of one grid, shown, with the grid of that name.
template <typename Screen>
Place ShownWithGrid(std::vector<std::unique_ptr<QWidget>>& screens, const char* grid)
{
    auto screen = std::make_unique<Screen>();
    screen->resize(1000, 500);
    screen->show();
    Place place{screen.get(), screen->template findChild<DbGrid*>(grid), nullptr};
    screens.push_back(std::move(screen));
    return place;
}

//! The workbench with one demand line typed in, or on its funds page for the expense.
Place Workbench(std::vector<std::unique_ptr<QWidget>>& screens, bool expense)
{
    auto form = std::make_unique<TMRPForm>();
    form->resize(1100, 600);
    form->show();
    Place place{form.get(), form->QxDBGrid1, nullptr};
    if (expense) {
        form->PageControl1->setCurrentWidget(form->tsBudget);
        place = {form.get(), nullptr, form->edtDailyExpense};
    } else {
        QTest::keyClick(form->QxDBGrid1, Qt::Key_Down);
        form->dlgcMrpGoods->SetValue(3);
        test::TypeIntoCell(*form->QxDBGrid1, 0, "quantity", "5");
    }
    screens.push_back(std::move(form));
    return place;
}

const std::vector<SlipField> kFields{
    {"BOM line quantity", [](auto& s) { return BomEditor(s, false); }, "mnfQty", "数量", {"-1", "0"}},
    {"BOM line waste rate", [](auto& s) { return BomEditor(s, false); }, "WASTERATE", "损耗率%", {"-1", "0"}},
    {"process working hours", [](auto& s) { return BomEditor(s, true); }, "usetime", "耗用工时", {"-1", "0"}},
    {"process preparation time", [](auto& s) { return BomEditor(s, true); }, "pretime", "准备时间", {"-1", "0"}},
    {"holiday month", [](auto& s) { return ShownWithGrid<TWorkCalendar_SetForm>(s, "QxDBGrid1"); }, "Month", "月",
     {"-1", "0", ""}},
    {"holiday day", [](auto& s) { return ShownWithGrid<TWorkCalendar_SetForm>(s, "QxDBGrid1"); }, "Day", "日",
     {"-1", "0", ""}},
    {"sales line quantity", [](auto& s) { return ShownWithGrid<TSorderToMPSForm>(s, "QxDBGrid1"); }, "MNQTY", "数量",
     {"0"}},
    {"demand quantity", [](auto& s) { return Workbench(s, false); }, "quantity", "本次计算数量", {"0"}},
    {"daily expense", [](auto& s) { return Workbench(s, true); }, "", "日常费用", {"0"}},
};

class SlipCorpusTest : public test::ScreenTest {
protected:
    std::int64_t StoredRows()
    {
        return host
            .GetValueOfSql("select (select count(*) from L_GoodsBom) + (select count(*) from L_GoodsBomProc) + "
                           "(select count(*) from MNF_ManuPlan) + (select count(*) from MNF_CALENDAR)")
            .AsInteger();
    }
};

TEST_F(SlipCorpusTest, EverySlipIsToldByTheFieldsCaptionAndNothingIsStored)
{
    const std::int64_t stored = StoredRows();
    for (const SlipField& slip : kFields) {
        for (const std::string& typed : kSlips) {
            SCOPED_TRACE(std::string(slip.name) + " <- '" + typed + "'");
            std::vector<std::unique_ptr<QWidget>> screens;
            Place place = slip.open(screens);
            const size_t shown = dialogs.Messages().size();
            QString before;
            if (place.grid) {
                int column = place.grid->Model().ColumnIndexOf(slip.field);
                before = place.grid->Model().CellText(0, column);
                test::TypeIntoCell(*place.grid, 0, slip.field, typed);
            } else {
                QTest::keyClick(place.edit, Qt::Key_A, Qt::ControlModifier);
                if (typed.empty()) QTest::keyClick(place.edit, Qt::Key_Backspace);
                test::TypeKeys(place.edit, typed);
                QTest::keyClick(place.edit, Qt::Key_Return);
            }
            std::vector<std::string> errors;
            for (size_t i = shown; i < dialogs.Messages().size(); ++i)
                if (dialogs.Messages()[i].kind == MessageKind::Error) errors.push_back(dialogs.Messages()[i].text);
            const bool taken = std::find(slip.taken.begin(), slip.taken.end(), typed) != slip.taken.end();
            if (taken) {
                EXPECT_TRUE(errors.empty()) << errors.front();
            } else {
                ASSERT_EQ(errors.size(), 1u);
                EXPECT_NE(errors.front().find(slip.caption), std::string::npos) << errors.front();
                if (place.grid)
                    EXPECT_EQ(place.grid->Model().CellText(0, place.grid->Model().ColumnIndexOf(slip.field)), before);
            }
            EXPECT_TRUE(place.screen->isVisible());
        }
    }
    EXPECT_EQ(StoredRows(), stored);
}

}  // namespace
}  // namespace mfg
