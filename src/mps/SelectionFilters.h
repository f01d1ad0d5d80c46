#pragma once
// The two selection dialogs of demand lines: audited schedule lines ("选择主生产计划单") and
// sales-order lines ("选择销售订单"), their base statements and the conditions of their filters.

#include <optional>
#include <string>
#include <utility>

#include "types/DateTime.h"

namespace mfg {

//! The base statement of the plan dialog: open, audited schedule lines.
extern const char* const kPlanListSql;
//! The plan dialog's condition unless "包括计划数量已下达完成" is ticked: lines not released in full
//! and not frozen.
extern const char* const kUnreleasedPlanCondition;
//! The base statement of the order dialog: open lines of audited orders of manufactured goods.
extern const char* const kSalesOrderListSql;

//! The filter group both dialogs have, and all of the plan dialog's.
struct PlanFilter {
    DateTime begDate;
    DateTime endDate;
    std::optional<int> goodsId;    //!< empty: every goods
    bool includeReleased = false;  //!< chkReleased, lines released in full too
};

//! The filter group of the order dialog.
struct SalesOrderFilter : PlanFilter {
    std::optional<int> traderId;  //!< empty: every customer
    bool allShops = false;        //!< chkShopID, "显示全部分支机构"
    std::string billCode;         //!< Edit3, a part of the order code
};

//! The first and the last day of the month of `date`: the range the dialogs start with.
std::pair<DateTime, DateTime> MonthRange(DateTime date);
//! The conditions the plan dialog appends for `filter` in the branch `shopId`.
std::string PlanListConditions(const PlanFilter& filter, int shopId);
//! The conditions the order dialog appends; the order-code text goes in quoted.
std::string SalesOrderListConditions(const SalesOrderFilter& filter, int shopId);
//! The drop-down filter of the customer combo: customers of the branch, or of every branch.
std::string CustomerFilter(bool allShops, int shopId);
//! False, after telling the user, when the start date (whole days) is after the end date.
bool CheckFilterDates(DateTime begDate, DateTime endDate);

}  // namespace mfg
