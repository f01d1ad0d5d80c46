#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "MrpRecords.h"
#include "MrpRowSink.h"
#include "data/DataSet.h"
#include "data/TreeItems.h"

namespace mfg {

class Connection;

//! The MRP engine of one workbench: loads master data, stock and open documents, explodes the
//! demand through the audited BOM, nets it in low-level order with planned orders, pegging and
//! substitutes, and fills the workbench's datasets. Nothing of a run is stored in the database.
class MrpEngine {
public:
    //! Reports a stage of a long run and how far it is (0 … 1).
    using Progress = std::function<void(std::string_view stage, double fraction)>;

    //! Reads scope, goods, BOM, substitutes, calendar and open documents of the current shop;
    //! false after a message was shown.
    bool Load(bool realStock, bool includeUnaudited, const std::string& goodsScope);
    //! Explodes and nets the demand; false (after a message naming the path) when the stored BOM
    //! holds a cycle, with every result left empty. Does nothing before a successful Load.
    bool Calculate(const std::vector<MrpLine>& plan, const std::vector<MrpLine>& orders, std::uint32_t runOptions);

    //! The open purchase, import, manufacture and outsourcing orders behind purchaseOrders and
    //! manufactureOrders, line by line with their documents, under the filters of the last Load.
    std::vector<MrpReceiptDocument> ReadReceiptDocuments() const;
    //! The same documents of a branch read through a connection of its own, which lets a caller
    //! read them while the run goes on; `now` is the day whose open orders count.
    static std::vector<MrpReceiptDocument> ReadReceiptDocuments(Connection& connection, int shopId,
                                                                bool includeUnaudited, DateTime now);

    //! The working day `days` before the one on or before `date`, held to the first and the last day
    //! of the calendar; with notBeforeToday not before today.
    DateTime OffsetWorkDays(DateTime date, int days, bool notBeforeToday) const;

    //! One node of the goods tree: depth 0 for a demanded goods, its components one deeper.
    using GoodsTreeVisitor = std::function<void(int depth, std::int32_t goodsid, double quantity)>;
    //! Visits the goods tree of FillGoodsTree in tree order, each node before its components,
    //! without building it: a large run's tree has hundreds of thousands of nodes.
    void WalkGoodsTree(const GoodsTreeVisitor& visit) const;
    //! The text of a goods tree node: the goods' code and name and its gross requirement.
    static std::string GoodsTreeText(std::int32_t goodsid, double quantity);
    //! The same text of a goods whose code and name are known.
    static std::string GoodsTreeText(std::string_view code, std::string_view name, double quantity);
    //! The text's part before the quantity, which is the same wherever the goods stands in the tree.
    static std::string GoodsTreeTextHead(std::string_view code, std::string_view name);
    //! The text's part after the head.
    static std::string GoodsTreeTextQuantity(double quantity);
    //! The BOM quantities of the demanded goods as a tree of texts and values.
    void FillGoodsTree(TreeItems& items) const;
    //! One row per goods of the gross tree: class, goodsid, quantity.
    void FillGrossTable(DataSet& cdsGross) const;
    //! The rows of FillGrossTable into a sink.
    void WriteGrossRows(MrpRowSink& rows) const;
    //! The net requirement records grouped by day (1), week (2) or month (4).
    void FillNetTable(DataSet& cdsNet, int period) const;
    //! The rows of FillNetTable into a sink.
    void WriteNetRows(MrpRowSink& rows, int period) const;
    //! Manufacture suggestions from the rising net requirements of made goods.
    void FillManufactureSuggestions(DataSet& cdsManuSug) const;
    //! Purchase suggestions with the lot flags MrpLotMinimum and MrpLotIncrement.
    void FillPurchaseSuggestions(DataSet& cdsPurSug, unsigned lotFlags) const;
    //! The dated cash forecast up to the horizon, from the funds data and the purchase suggestions.
    void FillFundsProjection(DataSet& cdsPurSug, DataSet& cdsBudget, int period, double dailyExpense);
    //! Release lines of the selected manufacture suggestions, each followed by the demands it serves.
    void BuildManufactureRelease(DataSet& cdsManu, DataSet& cdsManuSug) const;
    //! True when the current row of a release dataset comes from a schedule line of this run.
    bool IsPlanLineSource(const DataSet& cdsManu) const;

    //! The net record of a goods, or null (records of substitutes outside the tree included).
    const MrpNetRecord* FindNetRecord(std::int32_t goodsid) const;
    //! The goods record, or null when the goods was not loaded.
    const MrpGoodsRecord* FindGoods(std::int32_t goodsid) const;

    DateTime horizonEnd;
    DateTime today;
    std::vector<DateTime> calendar;
    std::unordered_map<std::int32_t, MrpGoodsRecord> goods;
    std::unordered_map<std::int32_t, std::vector<MrpBomLink>> bom;
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<MrpSubstitute>> substitutes;
    std::unordered_map<std::int32_t, std::vector<MrpSubstituteUse>> substituteUse;
    std::vector<MrpLine> planLines;
    std::vector<MrpLine> orderLines;
    std::vector<MrpLine> purchaseOrders;
    std::vector<MrpLine> salesOrders;
    std::vector<MrpLine> manufactureOrders;
    std::vector<MrpRequirementNode> grossNodes;
    std::vector<MrpNetRecord> netRecords;
    std::vector<MrpNetRecord> substituteLines;
    std::map<DateTime, MrpFundsLine> fundsByDate;
    std::vector<MrpFundsLine> fundsLines;
    std::vector<MrpFundsLine> wageLines;
    std::vector<MrpLine> distributionRequests;
    std::vector<MrpLine> distributions;
    std::vector<MrpLine> purchaseRequests;
    bool loaded = false;
    bool realStock = true;
    std::uint32_t options = 0;
    bool includeUnaudited = false;

    //! What the last run could not take as stored (a negative lead time, demand it could not plan)
    //! and what stopped it (a BOM cycle).
    std::vector<std::string> warnings;
    //! The warning a run gives for demand of a goods it has no usable goods record for.
    static std::string MissingGoodsWarning(std::int32_t goodsid);
    //! Called between stages of Load and Calculate when set.
    Progress progress;

private:
    void LoadGoods();
    void LoadBom();
    void LoadSubstitutes();
    bool LoadCalendar();
    void LoadDocuments(const std::string& state);
    void LoadFunds();
    void IndexInputs();
    void WarnUnplannedDemand();

    //! The number of nodes the explosion will make, and whether the BOM it walks holds a cycle.
    struct GrossTreeSize {
        std::size_t nodes = 0;
        bool cyclic = false;
    };
    GrossTreeSize MeasureGrossTree() const;
    bool BuildGrossTree();
    void BookNetRecord(MrpNetRecord& record, bool forSubstitute) const;
    void NetRecord(MrpNetRecord& record, bool planOrders);
    void NetInLowLevelOrder();
    void CompletePegs();
    void Substitute(bool withBom);
    MrpNetRecord& SubstituteRecord(std::int32_t goodsid);
    void Retract(std::int32_t component, DateTime date, double quantity, const MrpPegLine& peg);
    void Report(std::string_view stage, double fraction) const;
    DateTime PeriodKey(DateTime date, int period) const;
    DateTime ComponentDate(DateTime date, std::int32_t parent) const;
    int LeadTime(std::int32_t goodsid) const;
    bool Has(std::uint32_t option) const { return (options & option) != 0; }

    // Lines of each open document list by goods, in load order, so a record books its own lines
    // without walking the lists.
    using LineIndex = std::unordered_map<std::int32_t, std::vector<const MrpLine*>>;
    LineIndex purchaseByGoods, salesByGoods, manufactureByGoods, requestByGoods, distributionByGoods, prequestByGoods,
        orderLinesByGoods;
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> parentsOf;  // ascending parent ids
    std::unordered_map<std::int32_t, std::size_t> netIndex;
    std::unordered_map<std::int32_t, std::size_t> substituteIndex;
    std::vector<std::string> loadWarnings;  // what Load found, repeated by every Calculate after it
};

//! The code of a goods for messages; its id when the goods cache does not know it.
std::string MrpGoodsCode(std::int32_t goodsid);

//! The option bit of an option name ("optSub"), 0 for an unknown name.
std::uint32_t MrpOptionByName(std::string_view name);
//! The option names in bit order.
std::vector<std::string_view> MrpOptionNames();

}  // namespace mfg
