#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MrpEngine.h"
#include "data/DataSet.h"
#include "data/TreeItems.h"

namespace mfg {

//! Bill types of the demand lines.
inline constexpr int MrpScheduleBill = 43;
inline constexpr int MrpSalesOrderBill = 12;

//! Period codes of the net table and the funds projection.
inline constexpr int MrpPeriodDay = 1;
inline constexpr int MrpPeriodWeek = 2;
inline constexpr int MrpPeriodMonth = 4;

//! What one calculation runs with, besides the demand lines.
struct MrpRunChoice {
    std::uint32_t options = 0;
    bool realStock = true;
    bool includeUnaudited = false;
    int netPeriod = MrpPeriodMonth;
    unsigned lotFlags = 0;
    bool withFunds = false;
    int fundsPeriod = MrpPeriodMonth;
    double dailyExpense = 0;
};

//! The plan lines a calculation hands to the engine.
struct MrpDemand {
    std::vector<MrpLine> planLines;
    std::vector<MrpLine> orderLines;
};

//! The manufacture suggestions as the workbench lists them: a tick, the goods texts and the
//! engine's columns; new rows come ticked, the goods texts follow goodsid and a corrected fixqty
//! reprices the row.
void CreateManufactureSuggestions(DataSet& cdsManuSug);
//! The purchase suggestions in the same way, each row with its "<单击下达>" release cells.
void CreatePurchaseSuggestions(DataSet& cdsPurSug);

//! The MRP workbench without its screen: the demand lines gathered from schedule lines, sales
//! orders or typed goods, the engine it owns, and the result datasets the pages show, re-derived
//! from the same run when a period or the lot sizing changes.
class MrpWorkbench {
public:
    MrpWorkbench();

    // ---- demand ------------------------------------------------------------------------------

    //! Before importing lines of `importing`, lines of the other kind must go: asks when there are
    //! any and deletes them on yes. False when the user declined.
    bool MakeRoomFor(int importing);
    //! Appends the ticked rows of a schedule selection (TSelectPlanForm's cdsList) not listed yet.
    void ImportPlanLines(DataSet& cdsList);
    //! Appends the ticked rows of a sales order selection (TSelectSOrderForm's cdsList) not listed yet.
    void ImportSalesLines(DataSet& cdsList);
    //! Deletes the current demand line, when there is one.
    void DeleteCurrentLine();
    void DeleteAllLines();
    //! Sorts the demand lines by a column: ascending first, then alternating.
    void SortLines(std::string_view fieldName);
    //! A column title: its label, with "  ▲" or "  ▼" on the column sorted by.
    std::string TitleText(std::string_view fieldName, std::string_view label) const;
    //! Whether a cell of the current demand line may be edited: imported lines keep their goods and
    //! dates, a line without goods cannot be ticked.
    bool CanEdit(std::string_view fieldName) const;

    //! Walks the ticked lines into plan lines, telling the user of each line left out; none when
    //! the run must stop (the user refused, nothing to plan, a single goods where MultiMRP asks two).
    std::optional<MrpDemand> GatherDemand(bool multiMrp);
    //! The goods ids of the ticked lines, quoted: '12,12,34'.
    std::string GoodsScope() const;

    // ---- run and views -----------------------------------------------------------------------

    //! Empties every result view.
    void ClearResults();
    //! Clears the views, loads, calculates and fills every view; false when the run stopped
    //! (after the user was told).
    bool Run(const MrpDemand& demand, const MrpRunChoice& choice);
    //! GatherDemand and Run: false when the run stopped, with an earlier run's views kept when it
    //! stopped while gathering.
    bool Calculate(const MrpRunChoice& choice, bool multiMrp);
    //! Re-groups the net table by another period; false when the period is the one shown.
    bool RefillNet(int period);
    //! Rebuilds the purchase suggestions with other lot flags; false when the flags are the same.
    bool RefillPurchase(unsigned flags);
    //! Recomputes the funds projection for the current purchase suggestions.
    void RefillFunds(int period, double dailyExpense);
    //! The goods filter of a view: "goodsid=" and the id, or none; set only when it changes.
    static void ApplyGoodsFilter(DataSet& view, std::optional<int> goodsid);
    //! Flips the tick of the current row of a suggestion list; nothing on an empty one.
    static void ToggleSelected(DataSet& rows);
    //! True when the funds page is offered: "IsBand" = "1" and browse privilege 555.
    static bool FundsOffered();

    MrpEngine engine;
    DataSet cdsMP{"cdsMP"};
    DataSet cdsGross{"cdsGross"};
    DataSet cdsNet{"cdsNet"};
    DataSet cdsManuSug{"cdsManuSug"};
    DataSet cdsPurSug{"cdsPurSug"};
    DataSet cdsBudget{"cdsBudget"};
    DataSet cdsGoods{"cdsGoods"};
    TreeItems goodsTree;

    int netPeriod = 0;
    unsigned lotFlags = 0;
    int fundsPeriod = 0;

private:
    bool HasLineOf(int billtype, std::int32_t billid, std::int32_t itemno) const;
    bool PlanLineOf(MrpDemand& demand);
    void ReportStage(std::string_view stage, double fraction) const;

    std::string sortField;
    bool sortDescending = false;
};

}  // namespace mfg
