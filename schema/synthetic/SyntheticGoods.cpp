// Goods, units, BOM and stock of a generated factory. Every goods has a level: finished products
// at 0, sub-assemblies and virtual items at 1 .. depth-1, materials below them all. A BOM line
// always goes from a level to a deeper one, so the graph has no cycle whatever the seed; each
// sub-assembly takes its first component from the very next level, so every product reaches the
// full depth. Sharing comes from the random picks: a sub-assembly is used by parents one to three
// levels above it, and a few common materials sit under almost everything.
#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>

#include "FactoryModel.h"

namespace mfg::synthetic {
namespace {

enum Stream : std::uint64_t { kGoodsStream = 1, kBomStream, kSubstituteStream, kStockStream, kProcessStream };

constexpr int kMaterialStore = 1, kProductStore = 2, kInspectionStore = 3, kBranchStore = 4;

template <class T, size_t N>
T PickOf(SyntheticRandom& random, const T (&values)[N])
{
    return values[random.Below(static_cast<int>(N))];
}

bool Contains(const std::vector<int>& values, int value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

//! A value of `pool` not yet in `chosen`, or 0 when there is none.
int TryPickDistinct(SyntheticRandom& random, const std::vector<int>& pool, const std::vector<int>& chosen)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        int value = random.Pick(pool);
        if (!Contains(chosen, value)) return value;
    }
    size_t start = static_cast<size_t>(random.Below(static_cast<int>(pool.size())));
    for (size_t i = 0; i < pool.size(); ++i) {
        int value = pool[(start + i) % pool.size()];
        if (!Contains(chosen, value)) return value;
    }
    return 0;
}

//! As TryPickDistinct, for pools that hold more values than a parent has lines.
int PickDistinct(SyntheticRandom& random, const std::vector<int>& pool, const std::vector<int>& chosen)
{
    int value = TryPickDistinct(random, pool, chosen);
    if (value == 0) throw std::invalid_argument("合成工厂: 材料太少, 无法组成物料清单");
    return value;
}

//! Goods counts per kind and the level of each sub-assembly, in id order.
void PlanGoods(FactoryModel& model)
{
    const int total = model.size.goods, depth = model.size.depth;
    const int finishedCount = std::max(2, total * 5 / 100);
    const int virtualCount = std::max(1, total * 2 / 100);
    const int semiCount = std::max(depth - 1, total * 40 / 100);
    const int materialCount = total - finishedCount - virtualCount - semiCount;
    if (materialCount < 50) throw std::invalid_argument("合成工厂: 货品太少 (至少 100 种)");

    SyntheticRandom random = model.Random(kGoodsStream);
    std::vector<std::pair<int, int>> assemblies;  // level, kind
    for (int i = 0; i < semiCount; ++i) assemblies.push_back({1 + static_cast<int>(static_cast<std::int64_t>(i) * (depth - 1) / semiCount), kSemiFinished});
    for (int i = 0; i < virtualCount; ++i) assemblies.push_back({depth > 2 ? random.Between(2, depth - 1) : 1, kVirtual});
    std::stable_sort(assemblies.begin(), assemblies.end(), [](auto& a, auto& b) { return a.first < b.first; });

    auto add = [&](int kind, int level) {
        FactoryGoods goods;
        goods.id = static_cast<int>(model.goods.size()) + 1;
        goods.kind = kind;
        goods.level = level;
        goods.baseUnit = goods.id * 10 + 1;
        model.goods.push_back(goods);
    };
    for (int i = 0; i < finishedCount; ++i) add(kFinished, 0);
    for (auto [level, kind] : assemblies) add(kind, level);
    for (int i = 0; i < materialCount; ++i) add(kPurchased, depth);
}

void PlanMasterFigures(FactoryModel& model)
{
    SyntheticRandom random = model.Random(kGoodsStream + 100);
    for (auto& goods : model.goods) {
        switch (goods.kind) {
        case kPurchased:
            goods.price = random.Between(5, 20000) / 100.0;
            goods.leadTime = random.Chance(0.2) ? 0 : random.Between(1, 15);
            goods.traderId = random.Pick(model.suppliers);
            goods.closed = random.Chance(0.005);
            if (random.Chance(0.3)) {
                goods.altUnit = goods.id * 10 + 2;
                goods.altRate = PickOf(random, {10.0, 12.0, 100.0});
            }
            if (!goods.closed) model.materials.push_back(goods.id);
            break;
        case kSemiFinished:
            goods.price = random.Between(1000, 50000) / 100.0;
            goods.leadTime = random.Between(0, 5);
            model.semiFinished.push_back(goods.id);
            model.made.push_back(goods.id);
            break;
        case kFinished:
            goods.price = random.Between(20000, 500000) / 100.0;
            goods.leadTime = random.Between(1, 5);
            goods.audited = !random.Chance(0.03);
            if (goods.audited) model.finished.push_back(goods.id);
            model.made.push_back(goods.id);
            break;
        default:
            break;
        }
    }
}

//! The BOM lines of every parent: exactly size.bomLinks of them, at least two per parent.
void PlanBom(FactoryModel& model)
{
    const int depth = model.size.depth;
    std::vector<std::vector<int>> byLevel(static_cast<size_t>(depth));
    std::vector<int> parents;
    for (const auto& goods : model.goods) {
        if (goods.level >= depth) continue;
        parents.push_back(goods.id);
        if (goods.level > 0) byLevel[static_cast<size_t>(goods.level)].push_back(goods.id);
    }
    const std::int64_t extra = static_cast<std::int64_t>(model.size.bomLinks) - 2 * static_cast<std::int64_t>(parents.size());
    if (extra < 0) throw std::invalid_argument("合成工厂: 物料清单行太少, 每个父件至少两行");

    SyntheticRandom random = model.Random(kBomStream);
    std::vector<int> lineCount(parents.size(), 2);
    for (std::int64_t i = 0; i < extra; ++i) ++lineCount[static_cast<size_t>(random.Below(static_cast<int>(parents.size())))];

    const int commonCount = std::max(1, static_cast<int>(model.materials.size()) / 50);
    const std::vector<int> common(model.materials.begin(), model.materials.begin() + commonCount);
    for (size_t p = 0; p < parents.size(); ++p) {
        FactoryGoods& parent = model.goods[static_cast<size_t>(parents[p] - 1)];
        parent.firstLink = static_cast<int>(model.links.size());
        parent.linkCount = lineCount[p];
        const double masterQty = random.Chance(0.85) ? 1 : (random.Chance(0.67) ? 2 : 10);
        const int routings = static_cast<int>(model.routings.size());
        if (parent.kind == kFinished || (parent.kind == kSemiFinished && routings == 1)) parent.routing = 0;
        else if (parent.kind == kSemiFinished) parent.routing = random.Between(1, routings - 1);
        std::vector<int> chosen;
        int assemblies = 0;
        if (parent.level < depth - 1) assemblies = 1 + (random.Chance(0.15) ? 1 : 0);
        for (int line = 0; line < lineCount[p]; ++line) {
            FactoryLink link;
            link.parent = parent.id;
            link.itemNo = line + 1;
            link.masterQty = masterQty;
            if (line < assemblies) {
                int level = line == 0 ? parent.level + 1 : random.Between(parent.level + 1, std::min(parent.level + 3, depth - 1));
                link.elem = PickDistinct(random, byLevel[static_cast<size_t>(level)], chosen);
                link.mnfQty = masterQty * (random.Chance(0.7) ? 1 : (random.Chance(0.5) ? 2 : 0.5));
                if (random.Chance(0.05)) link.wasteRate = PickOf(random, {1.0, 2.0});
            } else {
                link.elem = random.Chance(0.3) ? TryPickDistinct(random, common, chosen) : 0;
                if (link.elem == 0) link.elem = PickDistinct(random, model.materials, chosen);
                link.mnfQty = masterQty * PickOf(random, {1.0, 1.0, 2.0, 4.0, 0.5, 0.25, 1.5, 3.0, 6.0, 10.0});
                if (random.Chance(0.2)) link.wasteRate = PickOf(random, {0.5, 1.0, 2.0, 3.0, 5.0});
            }
            if (parent.routing >= 0) link.process = random.Pick(model.routings[static_cast<size_t>(parent.routing)].steps).process;
            chosen.push_back(link.elem);
            model.links.push_back(link);
        }
    }
}

void WriteGoods(Connection& db, const FactoryModel& model, SyntheticSummary& summary)
{
    TableWriter types(db, summary.rows, "L_GoodsType", {"GdTypeID", "LCode", "Name"});
    types.Add({1, "01", "原材料"});
    types.Add({2, "02", "半成品"});
    types.Add({3, "03", "产成品"});
    types.Add({4, "04", "虚拟件"});

    TableWriter goodsRows(db, summary.rows, "L_Goods",
                          {"GoodsID", "Code", "Name", "Specs", "Kind", "GdTypeID", "UnitID", "StoreID", "TraderID", "WorkShopID",
                           "IsMrp", "MinPurchaseQty", "OrderAddQty", "LeadTime", "APrice", "SalePrice", "CANCMB", "Closed",
                           "ShopID", "OPID"}, {{"CreateDate", model.today}});
    TableWriter unitRows(db, summary.rows, "L_GoodsUnit",
                         {"UnitID", "GoodsID", "UnitName", "Rate", "IsBase", "UnitType", "Sequence", "PPrice", "SPrice"});
    TableWriter unitNames(db, summary.rows, "L_Unit", {"UnitID", "Name"});
    SyntheticRandom random = model.Random(kGoodsStream + 200);
    std::vector<int> serial(10, 0);
    for (const auto& goods : model.goods) {
        int number = ++serial[static_cast<size_t>(goods.kind)];
        const bool purchased = goods.kind == kPurchased;
        Variant workShop = goods.routing >= 0 ? Variant(model.routings[static_cast<size_t>(goods.routing)].steps.front().workShop) : Variant();
        std::string name, unit;
        switch (goods.kind) {
        case kFinished:
            name = fmt::format("成品{:05d}", number);
            unit = "台";
            break;
        case kSemiFinished:
            name = fmt::format("半成品{:05d}", number);
            unit = "件";
            break;
        case kVirtual:
            name = fmt::format("虚拟件{:05d}", number);
            unit = "套";
            break;
        default:
            name = fmt::format("材料{:05d}", number);
            unit = PickOf(random, {"个", "件", "米", "千克", "套"});
            break;
        }
        double minQty = 0, addQty = 0;
        if (purchased && random.Chance(0.3)) {
            minQty = PickOf(random, {10.0, 20.0, 50.0, 100.0, 500.0});
            addQty = PickOf(random, {0.0, 5.0, 10.0, 50.0});
        }
        goodsRows.Add({goods.id, fmt::format("{}{:06d}", goods.kind == kVirtual ? 9 : goods.kind, number), name,
                       purchased ? fmt::format("规格{:02d}", number % 20) : fmt::format("L{}", goods.level), goods.kind,
                       goods.kind == kVirtual ? 4 : goods.kind, goods.baseUnit, purchased ? kMaterialStore : kProductStore,
                       goods.traderId > 0 ? Variant(goods.traderId) : Variant(), workShop,
                       purchased && random.Chance(0.01) ? 0 : 1, minQty, addQty, goods.leadTime, goods.price,
                       goods.kind == kFinished ? goods.price * 1.3 : 0.0, goods.linkCount > 0 ? 1 : 0, goods.closed ? 1 : 0, 1, 1});
        unitRows.Add({goods.baseUnit, goods.id, unit, 1.0, 1, 0, 1, goods.price, goods.price * 1.3});
        unitNames.Add({goods.baseUnit, unit});
        if (goods.altUnit > 0) {
            std::string box = goods.altRate == 12 ? "盒" : "箱";
            unitRows.Add({goods.altUnit, goods.id, box, goods.altRate, 0, 0, 2, goods.price * goods.altRate,
                          goods.price * goods.altRate * 1.3});
            unitNames.Add({goods.altUnit, box});
        }
    }

}

void WriteBom(Connection& db, const FactoryModel& model, SyntheticSummary& summary)
{
    // Default substitutes of a few materials; a BOM line of such a material copies them, as the
    // editor does when a component is chosen.
    SyntheticRandom subRandom = model.Random(kSubstituteStream);
    std::vector<std::vector<std::pair<int, double>>> defaults(model.goods.size() + 1);
    TableWriter defaultRows(db, summary.rows, "l_goodssub", {"GoodsID", "SubGoodsID", "Rate"});
    for (int material : model.materials) {
        if (!subRandom.Chance(0.06)) continue;
        std::vector<int> chosen{material};
        for (int n = subRandom.Between(1, 2); n > 0; --n) {
            int substitute = PickDistinct(subRandom, model.materials, chosen);
            double rate = PickOf(subRandom, {1.0, 1.0, 0.9, 1.2, 2.0});
            chosen.push_back(substitute);
            defaults[static_cast<size_t>(material)].push_back({substitute, rate});
            defaultRows.Add({material, substitute, rate});
        }
    }

    TableWriter bomRows(db, summary.rows, "L_GoodsBom",
                        {"GoodsID", "ElemGID", "ItemNo", "Quantity", "MnfQty", "MasterQty", "UseTime", "PreTime", "WasteRate",
                         "Orderno", "WorkLineID", "COUNTWAGEITEMID", "OPID", "Checkorid", "State"});
    TableWriter processRows(db, summary.rows, "L_GoodsBomProc",
                            {"GoodsID", "ItemNo", "Orderno", "COUNTWAGEITEMID", "WorkShopID", "WorkCenterID", "UseTime", "PreTime"});
    TableWriter substituteRows(db, summary.rows, "L_GoodsBomsub", {"GoodsID", "ElemGID", "GoodsItemNO", "ItemNo", "SubGoodsID", "Rate"});
    SyntheticRandom processRandom = model.Random(kProcessStream);
    for (const auto& parent : model.goods) {
        if (parent.linkCount == 0) continue;
        int useTenths = 0, preTenths = 0, item = 0;
        Variant workLine;
        if (parent.routing >= 0) {
            const Routing& routing = model.routings[static_cast<size_t>(parent.routing)];
            workLine = routing.id;
            for (const auto& step : routing.steps) {
                int use = processRandom.Between(1, 20), pre = processRandom.Between(0, 5);
                useTenths += use;
                preTenths += pre;
                ++item;
                processRows.Add({parent.id, item, fmt::format("{:03d}", item), step.process, step.workShop,
                                 step.workCenter > 0 ? Variant(step.workCenter) : Variant(), use / 10.0, pre / 10.0});
            }
        }
        for (int i = 0; i < parent.linkCount; ++i) {
            const FactoryLink& link = model.links[static_cast<size_t>(parent.firstLink + i)];
            bomRows.Add({parent.id, link.elem, link.itemNo, link.Quantity(), link.mnfQty, link.masterQty, useTenths / 10.0,
                         preTenths / 10.0, link.wasteRate, fmt::format("{:03d}", link.itemNo), workLine,
                         link.process > 0 ? Variant(link.process) : Variant(), 1, parent.audited ? Variant(1) : Variant(),
                         parent.audited ? 1 : 0});
            int order = 0;
            for (auto [substitute, rate] : defaults[static_cast<size_t>(link.elem)]) {
                substituteRows.Add({parent.id, link.elem, link.itemNo, std::to_string(++order), substitute, rate});
                ++summary.substitutes;
            }
        }
    }

}

void WriteStock(Connection& db, const FactoryModel& model, SyntheticSummary& summary)
{
    SyntheticRandom stockRandom = model.Random(kStockStream);
    TableWriter stockRows(db, summary.rows, "aa_onhand",
                          {"StoreID", "GoodsID", "Quantity", "RealQty", "DownQty", "UsedQty", "APrice", "Amount"});
    auto addStock = [&](const FactoryGoods& goods, int store) {
        const bool purchased = goods.kind == kPurchased;
        double real = stockRandom.Between(0, purchased ? 2000 : 200);
        double book = stockRandom.Chance(0.85) ? real : real + stockRandom.Between(1, 20);
        double safety = stockRandom.Chance(0.4) ? stockRandom.Between(5, purchased ? 200 : 20) : 0;
        double used = stockRandom.Chance(0.1) ? stockRandom.Between(1, static_cast<int>(real) / 4 + 1) : 0;
        stockRows.Add({store, goods.id, book, real, safety, used, goods.price, real * goods.price});
    };
    for (const auto& goods : model.goods) {
        if (goods.kind == kVirtual) continue;
        if (stockRandom.Chance(0.8)) addStock(goods, goods.kind == kPurchased ? kMaterialStore : kProductStore);
        if (stockRandom.Chance(0.05)) addStock(goods, kInspectionStore);
        if (stockRandom.Chance(0.05)) addStock(goods, kBranchStore);
    }
}

}  // namespace

void WriteGoodsAndBom(Connection& db, FactoryModel& model, SyntheticSummary& summary, const StageReport& stage)
{
    stage("货品");
    PlanGoods(model);
    PlanMasterFigures(model);
    PlanBom(model);
    WriteGoods(db, model, summary);
    stage("物料清单");
    WriteBom(db, model, summary);
    stage("库存");
    WriteStock(db, model, summary);
}

}  // namespace mfg::synthetic
