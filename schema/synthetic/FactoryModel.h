#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "SyntheticFactory.h"
#include "SyntheticRandom.h"
#include "TableWriter.h"
#include "types/DateTime.h"

namespace mfg::synthetic {

//! Goods kinds as L_Goods.Kind holds them.
enum GoodsKind : int { kPurchased = 1, kSemiFinished = 2, kFinished = 3, kVirtual = 9 };

//! One goods of the factory, as the documents need to know it.
struct FactoryGoods {
    int id = 0;
    int kind = kPurchased;
    int level = 0;  //!< 0 finished products, 1 .. depth-1 sub-assemblies, depth materials
    int baseUnit = 0;
    int altUnit = 0;  //!< 0: none; else a purchase unit of altRate base units
    double altRate = 1;
    double price = 0;
    int leadTime = 0;
    int traderId = 0;  //!< default supplier of a material
    int routing = -1;  //!< index into FactoryModel::routings of a parent, -1 for none
    bool audited = true;  //!< its BOM, when it has one
    bool closed = false;
    int firstLink = 0;  //!< its BOM lines: links[firstLink .. firstLink + linkCount)
    int linkCount = 0;
};

//! One L_GoodsBom line.
struct FactoryLink {
    int parent = 0;
    int elem = 0;
    int itemNo = 0;
    double mnfQty = 1;
    double masterQty = 1;
    double wasteRate = 0;  //!< percent
    int process = 0;       //!< COUNTWAGEITEMID, 0 for none

    double Quantity() const { return mnfQty / masterQty; }
};

//! A step of a routing (mnf_worklined).
struct RoutingStep {
    int process = 0;
    int workShop = 0;
    int workCenter = 0;
};

//! An open routing (mnf_workline) with its steps.
struct Routing {
    int id = 0;
    std::vector<RoutingStep> steps;
};

//! The factory in memory while it is written: goods are numbered from 1 in the order of `goods`.
struct FactoryModel {
    SyntheticSize size;
    std::uint64_t seed = 0;
    DateTime today;
    std::vector<FactoryGoods> goods;
    std::vector<FactoryLink> links;
    std::vector<int> finished;      //!< ids of kind 3 goods with an audited BOM
    std::vector<int> made;          //!< ids of kind 2 and 3 goods
    std::vector<int> semiFinished;  //!< ids of kind 2 goods
    std::vector<int> materials;     //!< ids of open kind 1 goods
    std::vector<int> suppliers;
    std::vector<int> customers;
    std::vector<Routing> routings;  //!< the open ones; the first is that of the finished products

    const FactoryGoods& Goods(int id) const { return goods[static_cast<size_t>(id - 1)]; }
    SyntheticRandom Random(std::uint64_t stream) const { return SyntheticRandom(seed, stream); }
};

//! Reports the start of a stage of the load.
using StageReport = std::function<void(std::string_view stage)>;

//! Goods, units, default substitutes, the BOM with its substitutes and process lines, and stock.
void WriteGoodsAndBom(Connection& db, FactoryModel& model, SyntheticSummary& summary, const StageReport& stage);
//! Sales, schedule, purchase, manufacture, outsourcing, request and distribution documents.
void WriteDocuments(Connection& db, const FactoryModel& model, SyntheticSummary& summary, const StageReport& stage);

//! A bill code of the form the numbering rules give: head-yyyy-mm[-dd]-nnnn.
std::string BillCodeText(std::string_view head, DateTime date, bool withDay, int serial);

}  // namespace mfg::synthetic
