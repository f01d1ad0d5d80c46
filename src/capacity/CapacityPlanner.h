#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "WorkDays.h"
#include "db/ResultSet.h"
#include "types/DateTime.h"

namespace mfg {

//! A workshop and its daily hours (a row of cqWorkShop).
struct Workshop {
    int workshopId = 0;
    std::string code;
    std::string name;
    std::string depName;
    double machines = 0;
    double macheHours = 0;  //!< effective hours per machine per day
    double workers = 0;
    double dayManHaur = 0;  //!< effective hours per worker per day
    bool selected = true;
};

//! The hours of an audited BOM: UseTime for MasterQty products, plus PreTime once.
struct BomTime {
    int goodsId = 0;
    double masterQty = 1;
    double useTime = 0;
    double preTime = 0;
};

//! A product to plan (a row of cdsGoods).
struct PlannedGoods {
    bool selected = false;
    int billId = 0;  //!< source sales-order line; 0 for a row typed in
    int itemNo = 0;
    std::string billCode;
    std::optional<DateTime> billDate;
    std::optional<DateTime> revDate;  //!< promised delivery
    std::optional<DateTime> startWorkDate;
    int goodsId = 0;
    std::string goodsCode;
    std::string goodsName;
    std::string specs;
    std::string unitName;
    double quantity = 0;
    double totalUseTime = 0;
};

//! The load of one working day, or of a week or month of them in a grouped result.
struct DayLoad {
    DateTime date;
    double planCapacity = 0;
    double usedLoad = 0;  //!< hours of open manufacture orders
    double load = 0;      //!< hours of the planned products
    double factCapacity = 0;
    double overplus = 0;
    double excess = 0;
    std::optional<DateTime> sugStartDate;
    std::optional<DateTime> sugFinishedDate;
    std::optional<DateTime> revDate;
    double suggestedLoad = 0;

    //! Recomputes the actual load and what is left over or missing after a change of the loads.
    void Balance();
};

//! How the result is grouped (rbDay, rbWeek, rbMonth).
enum class CapacityPeriod { Day, Week, Month };

//! Why a calculation did not run: the message, whether it is an error rather than a note, and the
//! product row and field to focus (-1 and empty when the message concerns no product field).
struct CapacityIssue {
    std::string message;
    bool error = false;
    int row = -1;
    std::string field;
    bool focusWorkshops = false;

    //! A failure the user cannot fix on this screen (ShowError).
    static CapacityIssue Error(std::string text) { return {std::move(text), true, -1, {}, false}; }
    //! A note about the input (ShowInformation), with the product row and field to focus.
    static CapacityIssue Note(std::string text, int row = -1, std::string field = {})
    {
        return {std::move(text), false, row, std::move(field), false};
    }
};

//! The rough-cut capacity calculation: per working day, the capacity of the chosen workshops, the
//! load of open manufacture orders, the load of the planned products over their windows, and a
//! forward-loaded suggestion of start and finish days. Nothing is written to the database.
class CapacityPlanner {
public:
    //! Reads the workshops (all selected), the audited BOM times and the working days.
    void LoadMasterData();
    //! Master data given directly, for callers that hold it already.
    void SetMasterData(std::vector<Workshop> workshops, std::vector<BomTime> bomTimes, WorkDays workDays);

    std::vector<Workshop>& Workshops() { return workshops; }
    const std::vector<BomTime>& BomTimes() const { return bomTimes; }
    const WorkDays& GetWorkDays() const { return workDays; }
    //! The BOM times of a goods: the first entry with its id; null when it has none.
    const BomTime* FindBomTime(int goodsId) const;
    //! Hours per working day of the selected workshops.
    double DailyCapacity() const;
    //! The total hours of a product row; none when its goods has no audited BOM.
    std::optional<double> TotalUseTime(const PlannedGoods& goods) const;
    //! The message of a goods without audited BOM.
    static std::string NoBomMessage(const std::string& goodsName);

    //! The open lines of audited sales orders of every branch due from `from` to `to`, with the
    //! quantity not yet released, ticked and starting work on `start`.
    static std::vector<PlannedGoods> SalesOrderLines(DateTime from, DateTime to, DateTime start);

    //! The first reason the products cannot be planned, in the order the screen checks them.
    std::optional<CapacityIssue> Validate(const std::vector<PlannedGoods>& products) const;
    //! Validates and plans the selected products, reading the open manufacture orders of the
    //! selected workshops. On an issue the day records stay empty.
    std::optional<CapacityIssue> Calculate(const std::vector<PlannedGoods>& products);

    //! The day records of the last calculation in date order.
    const std::map<DateTime, DayLoad>& DayRecords() const { return days; }
    //! The day records grouped under the last working day of their week (Sunday to Saturday) or
    //! month, in one pass over the records.
    std::vector<DayLoad> Result(CapacityPeriod period) const;
    //! A result as rows with the columns of cdsCapacity.
    static ResultSet ToResultSet(const std::vector<DayLoad>& rows);

private:
    DayLoad& Day(DateTime date);
    void AddUsedLoad(DateTime today);
    bool AddPlanLoad(const std::vector<const PlannedGoods*>& order, DateTime today,
                     std::optional<CapacityIssue>& issue);
    void Suggest(const std::vector<const PlannedGoods*>& order, DateTime today);
    DateTime GroupDate(DateTime date, CapacityPeriod period) const;

    std::vector<Workshop> workshops;
    std::vector<BomTime> bomTimes;
    WorkDays workDays;
    std::map<DateTime, DayLoad> days;
    double dailyCapacity = 0;
    DateTime loadCursor;
};

}  // namespace mfg
