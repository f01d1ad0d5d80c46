// Netting in low-level order: time-phased records, planned orders exploded to components with
// pegging, and substitutes covering what is still short.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include <fmt/format.h>

#include "MrpEngine.h"
#include "host/Dialogs.h"
#include "host/Host.h"

namespace mfg {

namespace {

const MrpGoodsRecord NoGoods{};

double Balance(const MrpBucket& b)
{
    return -b.onhand + b.safeqty + b.usedqty + b.gross + b.wasteqty + b.saleqty + b.oversaleqty - b.purchaseqty -
           b.overpurchaseqty - b.requestqty - b.distributeqty - b.manufactureqty + b.manuorderqty - b.prequestqty;
}

bool IsEmpty(const MrpBucket& b)
{
    const double values[] = {b.onhand,       b.safeqty,         b.usedqty,        b.gross,       b.wasteqty,
                             b.saleqty,      b.oversaleqty,     b.purchaseqty,    b.overpurchaseqty,
                             b.manufactureqty, b.manuorderqty,  b.requestqty,     b.distributeqty,
                             b.netqty,       b.subqty,          b.prequestqty};
    return std::all_of(std::begin(values), std::end(values), [](double v) { return std::abs(v) < 1e-9; });
}

//! Moves the cumulative net of `date` and every later bucket by `delta`.
void ShiftNet(MrpNetRecord& record, DateTime date, double delta)
{
    for (auto it = record.buckets.lower_bound(date); it != record.buckets.end(); ++it) it->second.netqty += delta;
}

//! The bucket of `date`; a new one starts from the cumulative net before it.
MrpBucket& CumulativeBucket(MrpNetRecord& record, DateTime date)
{
    auto [it, added] = record.buckets.try_emplace(date);
    if (added && it != record.buckets.begin()) it->second.netqty = std::prev(it)->second.netqty;
    return it->second;
}

MrpPegLine PegFrom(const MrpPegLine& source, std::int32_t goodsid, double quantity)
{
    MrpPegLine peg = source;
    peg.goodsid = goodsid;
    peg.quantity = quantity;
    peg.substitutedQty = 0;
    return peg;
}

}  // namespace

const MrpNetRecord* MrpEngine::FindNetRecord(std::int32_t goodsid) const
{
    if (auto it = netIndex.find(goodsid); it != netIndex.end()) return &netRecords[it->second];
    if (auto it = substituteIndex.find(goodsid); it != substituteIndex.end()) return &substituteLines[it->second];
    return nullptr;
}

bool MrpEngine::Calculate(const std::vector<MrpLine>& plan, const std::vector<MrpLine>& orders, std::uint32_t runOptions)
{
    // The arguments may be this engine's own lists, as when the workbench calculates again.
    std::vector<MrpLine> planCopy = plan;
    std::vector<MrpLine> orderCopy = orders;
    options = runOptions;
    planLines.clear();
    orderLines.clear();
    grossNodes.clear();
    netRecords.clear();
    netIndex.clear();
    substituteLines.clear();
    substituteIndex.clear();
    substituteUse.clear();
    warnings.clear();
    if (!loaded) return false;
    warnings = loadWarnings;
    planLines = std::move(planCopy);
    orderLines = std::move(orderCopy);
    horizonEnd = DateTime(0);
    for (auto& line : planLines) {
        line.date = line.date.Date();
        horizonEnd = std::max(horizonEnd, line.date);
    }
    for (auto& line : orderLines) line.date = line.date.Date();
    today = GetSystemTime().Date();
    IndexInputs();

    Report("explode", 0);
    if (!BuildGrossTree()) {
        planLines.clear();
        orderLines.clear();
        grossNodes.clear();
        return false;
    }
    Report("net", 0);
    for (const auto& node : grossNodes) {
        auto [it, added] = netIndex.try_emplace(node.goodsid, netRecords.size());
        if (!added) {
            netRecords[it->second].level = std::max(netRecords[it->second].level, node.level);
            continue;
        }
        MrpNetRecord& record = netRecords.emplace_back();
        record.level = node.level;
        record.goodsid = node.goodsid;
        BookNetRecord(record, false);
    }
    for (const auto& line : planLines) {
        MrpNetRecord& record = netRecords[netIndex.at(line.goodsid)];
        record.buckets[line.date].gross += line.quantity;
        MrpPegLine peg;
        peg.goodsid = line.goodsid;
        peg.quantity = line.quantity;
        peg.billtype = line.billtype;
        peg.billid = line.billid;
        peg.itemno = line.itemno;
        peg.billcode = line.billcode;
        peg.billdate = line.billdate;
        peg.planqty = line.planqty;
        peg.lineQty = line.quantity;
        peg.finishedqty = line.finishedqty;
        record.sources[line.date].push_back(std::move(peg));
    }
    try {
        NetInLowLevelOrder();
    } catch (const std::logic_error& cycle) {
        warnings.push_back(std::string("BOM清单存在循环引用, 无法进行MRP运算: ") + cycle.what());
        ShowError(warnings.back());
        planLines.clear();
        grossNodes.clear();
        netRecords.clear();
        netIndex.clear();
        return false;
    }
    for (auto& record : netRecords)
        if (!bom.count(record.goodsid)) NetRecord(record, false);
    if (Has(optSub)) {
        Report("substitute", 0);
        CompletePegs();
        Substitute(true);
        Substitute(false);
    }
    WarnUnplannedDemand();
    Report("net", 1);
    return true;
}

std::string MrpEngine::MissingGoodsWarning(std::int32_t goodsid)
{
    return fmt::format("需求货品 {} 没有可供MRP运算的货品资料 (类别为 1 至 3 且有基本计量单位), 其需求未能计算",
                       MrpGoodsCode(goodsid));
}

void MrpEngine::WarnUnplannedDemand()
{
    std::unordered_set<std::int32_t> named;
    for (const auto& line : planLines) {
        if (!named.insert(line.goodsid).second) continue;
        const MrpGoodsRecord* record = FindGoods(line.goodsid);
        // A goods that was not loaded but has a BOM (a virtual item) passes its demand on to its components.
        if (!record && !bom.count(line.goodsid))
            warnings.push_back(MissingGoodsWarning(line.goodsid));
        else if (record && (!record->isMrp || record->kind < 1))
            warnings.push_back(
                fmt::format("需求货品 {} 不参与MRP运算, 其需求没有生成建议", MrpGoodsCode(line.goodsid)));
    }
}

void MrpEngine::IndexInputs()
{
    auto index = [](const std::vector<MrpLine>& lines, LineIndex& byGoods) {
        byGoods.clear();
        for (const auto& line : lines) byGoods[line.goodsid].push_back(&line);
    };
    index(purchaseOrders, purchaseByGoods);
    index(salesOrders, salesByGoods);
    index(manufactureOrders, manufactureByGoods);
    index(distributionRequests, requestByGoods);
    index(distributions, distributionByGoods);
    index(purchaseRequests, prequestByGoods);
    index(orderLines, orderLinesByGoods);
    // The low-level pass visits the parents of a goods in ascending id, once each.
    parentsOf.clear();
    for (const auto& [parent, links] : bom)
        for (const auto& link : links) parentsOf[link.elemgid].push_back(parent);
    for (auto& [child, parents] : parentsOf) {
        std::sort(parents.begin(), parents.end());
        parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
    }
}

void MrpEngine::BookNetRecord(MrpNetRecord& record, bool forSubstitute) const
{
    const MrpGoodsRecord* found = FindGoods(record.goodsid);
    const MrpGoodsRecord& master = found ? *found : NoGoods;
    auto& buckets = record.buckets;
    if (Has(optOnhand))
        buckets[today].onhand = !forSubstitute && master.kind == 3 && !Has(optProductQty) ? 0 : master.onhand;
    if (Has(optSafeQty)) buckets[today].safeqty = master.safeQty;
    if (Has(optUsedQty)) buckets[today].usedqty = master.usedQty;
    if (Has(optManuOrder)) buckets[today].manuorderqty = master.manuOrderQty;
    auto linesOf = [&](const LineIndex& index) -> const std::vector<const MrpLine*>& {
        static const std::vector<const MrpLine*> none;
        auto it = index.find(record.goodsid);
        return it == index.end() ? none : it->second;
    };
    // Supply or demand dated before today counts on today only with the option for overdue orders.
    auto bookOrders = [&](const LineIndex& index, double MrpBucket::*current, double MrpBucket::*overdue,
                          bool withOverdue) {
        for (const MrpLine* line : linesOf(index)) {
            if (line->date > horizonEnd) continue;
            if (line->date >= today)
                buckets[line->date].*current += line->quantity;
            else if (withOverdue)
                buckets[today].*overdue += line->quantity;
        }
    };
    if (Has(optPurchaseQty)) bookOrders(purchaseByGoods, &MrpBucket::purchaseqty, &MrpBucket::overpurchaseqty, Has(optOverPOrder));
    if (Has(optSaleQty)) {
        bookOrders(salesByGoods, &MrpBucket::saleqty, &MrpBucket::oversaleqty, Has(optOverSOrder));
        // Schedule lines made from sales orders replace the open order quantity instead of adding to it.
        const int shop = CurrentHost().ShopID();
        for (const MrpLine* line : linesOf(orderLinesByGoods)) {
            if (line->shopid != shop || line->date > horizonEnd) continue;
            double* target = nullptr;
            if (line->date >= today)
                target = &buckets[line->date].saleqty;
            else if (Has(optOverSOrder))
                target = &buckets[today].oversaleqty;
            if (target) *target = std::max(0.0, *target - line->quantity);
        }
    }
    if (Has(optManufactureQty))
        for (const MrpLine* line : linesOf(manufactureByGoods))
            if (line->date <= horizonEnd) buckets[line->date].manufactureqty += line->quantity;
    if (forSubstitute) return;
    auto bookFromToday = [&](bool enabled, const LineIndex& index, double MrpBucket::*field) {
        if (!enabled) return;
        for (const MrpLine* line : linesOf(index))
            if (line->date <= horizonEnd) buckets[std::max(line->date, today)].*field += line->quantity;
    };
    bookFromToday(Has(optRequest), requestByGoods, &MrpBucket::requestqty);
    bookFromToday(Has(optDistribute), distributionByGoods, &MrpBucket::distributeqty);
    bookFromToday(Has(optPrequest), prequestByGoods, &MrpBucket::prequestqty);
}

void MrpEngine::NetRecord(MrpNetRecord& record, bool planOrders)
{
    const std::vector<MrpBomLink>* links = nullptr;
    if (planOrders)
        if (auto it = bom.find(record.goodsid); it != bom.end()) links = &it->second;
    double running = 0;
    double planned = 0;
    for (auto& [date, bucket] : record.buckets) {
        running += Balance(bucket) - bucket.subqty;
        bucket.netqty = running;
        if (!links || running - planned <= 0) continue;
        const double order = running - planned;
        planned = running;
        const DateTime componentDate = ComponentDate(date, record.goodsid);
        auto pegs = record.sources.find(date);
        for (const MrpBomLink& link : *links) {
            auto child = netIndex.find(link.elemgid);
            if (child == netIndex.end()) continue;
            MrpNetRecord& component = netRecords[child->second];
            MrpBucket& target = component.buckets[componentDate];
            target.gross += order * link.qty;
            if (Has(optWasteQty)) target.wasteqty += order * link.qty * link.rate;
            if (pegs == record.sources.end()) continue;
            auto& componentPegs = component.sources[componentDate];
            for (const MrpPegLine& peg : pegs->second)
                componentPegs.push_back(PegFrom(peg, record.goodsid, peg.quantity * link.qty));
        }
    }
}

void MrpEngine::NetInLowLevelOrder()
{
    std::vector<std::int32_t> treeGoods;
    treeGoods.reserve(netRecords.size());
    for (const auto& record : netRecords) treeGoods.push_back(record.goodsid);
    std::sort(treeGoods.begin(), treeGoods.end());
    std::unordered_map<std::int32_t, bool> processed;
    processed.reserve(treeGoods.size() * 2);
    for (auto id : treeGoods) processed[id] = false;

    // A goods is ready once every parent is netted; the stack visits parents in ascending id, so
    // that peg lines reach each component in the same order on every run. A goods can sit on the
    // stack twice (pushed by two children); the later copy finds it netted and only pops it.
    std::size_t linkCount = 0;
    for (const auto& [parent, links] : bom) linkCount += links.size();
    std::vector<std::int32_t> stack;
    std::size_t done = 0;
    for (auto start : treeGoods) {
        if (processed[start] || !bom.count(start)) continue;
        stack.push_back(start);
        while (!stack.empty()) {
            const std::int32_t x = stack.back();
            if (processed[x]) {
                stack.pop_back();
                continue;
            }
            bool pushed = false;
            if (auto parents = parentsOf.find(x); parents != parentsOf.end())
                for (auto parent : parents->second)
                    if (!processed[parent]) {
                        stack.push_back(parent);
                        pushed = true;
                    }
            if (stack.size() > linkCount + 1) throw std::logic_error(std::to_string(x));
            if (pushed) continue;
            if (auto it = netIndex.find(x); it != netIndex.end()) NetRecord(netRecords[it->second], true);
            processed[x] = true;
            stack.pop_back();
            if (++done % 256 == 0) Report("net", static_cast<double>(done) / static_cast<double>(treeGoods.size()));
        }
    }
}

void MrpEngine::CompletePegs()
{
    for (auto& record : netRecords)
        for (const auto& [date, bucket] : record.buckets) {
            auto pegs = record.sources.find(date);
            double sum = 0;
            if (pegs != record.sources.end())
                for (const auto& peg : pegs->second) sum += peg.quantity;
            if (bucket.netqty - sum <= 0.0001) continue;
            MrpPegLine residual;
            residual.goodsid = sum > 0.0001 ? pegs->second.front().goodsid : 0;
            residual.quantity = bucket.netqty - sum;
            record.sources[date].push_back(std::move(residual));
        }
}

MrpNetRecord& MrpEngine::SubstituteRecord(std::int32_t goodsid)
{
    if (auto it = netIndex.find(goodsid); it != netIndex.end()) return netRecords[it->second];
    if (auto it = substituteIndex.find(goodsid); it != substituteIndex.end()) return substituteLines[it->second];
    substituteIndex[goodsid] = substituteLines.size();
    MrpNetRecord& record = substituteLines.emplace_back();
    record.goodsid = goodsid;
    BookNetRecord(record, true);
    NetRecord(record, false);
    return record;
}

void MrpEngine::Substitute(bool withBom)
{
    // The substitute lists of each component, for residual pegs that belong to no parent.
    std::unordered_map<std::int32_t, std::vector<const std::vector<MrpSubstitute>*>> byComponent;
    for (const auto& [key, list] : substitutes) byComponent[key.second].push_back(&list);

    for (std::size_t index = 0; index < netRecords.size(); ++index) {
        MrpNetRecord& component = netRecords[index];
        const std::int32_t x = component.goodsid;
        for (auto& [date, bucket] : component.buckets) {
            if (bucket.netqty <= 0) continue;
            auto pegs = component.sources.find(date);
            if (pegs == component.sources.end()) continue;
            for (std::size_t p = 0; p < pegs->second.size(); ++p) {
                if (pegs->second[p].quantity - pegs->second[p].substitutedQty <= 0) continue;
                std::vector<const std::vector<MrpSubstitute>*> lists;
                if (pegs->second[p].goodsid > 0) {
                    if (auto it = substitutes.find({pegs->second[p].goodsid, x}); it != substitutes.end())
                        lists.push_back(&it->second);
                } else if (auto it = byComponent.find(x); it != byComponent.end()) {
                    lists = it->second;
                }
                for (const auto* list : lists)
                    for (const MrpSubstitute& candidate : *list) {
                        if ((bom.count(candidate.subgoodsid) > 0) != withBom || candidate.rate <= 0) continue;
                        MrpPegLine& peg = pegs->second[p];
                        const double need = std::min(bucket.netqty, peg.quantity - peg.substitutedQty);
                        if (need <= 0) continue;
                        MrpNetRecord& substitute = SubstituteRecord(candidate.subgoodsid);
                        // Free stock is what stays free from this date to the end: the smaller of the
                        // substitute's net at the date and at any later date counts.
                        double surplus = 0;
                        auto at = substitute.buckets.upper_bound(date);
                        if (at != substitute.buckets.begin()) surplus = std::prev(at)->second.netqty;
                        for (auto later = at; later != substitute.buckets.end(); ++later)
                            surplus = std::max(surplus, later->second.netqty);
                        if (surplus >= 0) continue;
                        const double free = -surplus;
                        const double allocation = need * candidate.rate > free ? free / candidate.rate : need;
                        bucket.subqty += allocation;
                        ShiftNet(component, date, -allocation);
                        CumulativeBucket(substitute, date).subqty -= allocation * candidate.rate;
                        ShiftNet(substitute, date, allocation * candidate.rate);
                        peg.substitutedQty += allocation;
                        substituteUse[candidate.subgoodsid].push_back({x, date, allocation * candidate.rate});
                        Retract(x, date, allocation, peg);
                    }
            }
        }
    }
}

void MrpEngine::Retract(std::int32_t component, DateTime date, double quantity, const MrpPegLine& peg)
{
    auto links = bom.find(component);
    if (links == bom.end()) return;
    const DateTime childDate = ComponentDate(date, component);
    for (const MrpBomLink& link : links->second) {
        auto child = netIndex.find(link.elemgid);
        if (child == netIndex.end()) continue;
        MrpNetRecord& record = netRecords[child->second];
        auto bucket = record.buckets.find(childDate);
        if (bucket == record.buckets.end()) continue;
        // Mirrors the explosion: the child's requirement and its waste fall together.
        const double retracted = quantity * link.qty;
        const double waste = Has(optWasteQty) ? retracted * link.rate : 0;
        bucket->second.gross -= retracted;
        bucket->second.wasteqty -= waste;
        if (auto pegs = record.sources.find(childDate); pegs != record.sources.end() && peg.billtype > 0)
            for (auto& childPeg : pegs->second)
                if (childPeg.billtype == peg.billtype && childPeg.billcode == peg.billcode && childPeg.itemno == peg.itemno)
                    childPeg.quantity = std::max(0.0, childPeg.quantity - retracted);
        ShiftNet(record, childDate, -(retracted + waste));
        if (IsEmpty(bucket->second)) record.buckets.erase(bucket);
        Retract(link.elemgid, childDate, retracted + waste, peg);
    }
}

}  // namespace mfg
