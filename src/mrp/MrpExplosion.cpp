// The gross requirement tree: every demand line exploded down the audited BOM.
#include <algorithm>
#include <limits>
#include <unordered_set>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "MrpEngine.h"
#include "MrpFields.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {

namespace {

//! Visits the BOM subtree of a goods, quantities per BOM only.
void WalkBomChildren(const std::unordered_map<std::int32_t, std::vector<MrpBomLink>>& bom,
                     const MrpEngine::GoodsTreeVisitor& visit, int depth, std::int32_t goodsid, double quantity)
{
    visit(depth, goodsid, quantity);
    auto links = bom.find(goodsid);
    if (links == bom.end()) return;
    for (const auto& link : links->second) WalkBomChildren(bom, visit, depth + 1, link.elemgid, quantity * link.qty);
}

}  // namespace

std::string MrpGoodsCode(std::int32_t goodsid)
{
    Variant code = LookupData(3, goodsid, "code");
    return code.IsNull() ? std::to_string(goodsid) : code.AsString();
}

DateTime MrpEngine::OffsetWorkDays(DateTime date, int days, bool notBeforeToday) const
{
    const DateTime day = date.Date();
    const DateTime now = today.Date();
    if (calendar.empty()) return notBeforeToday ? std::max(day, now) : day;
    auto after = std::upper_bound(calendar.begin(), calendar.end(), day);
    const std::ptrdiff_t onOrBefore = after == calendar.begin() ? 0 : (after - calendar.begin()) - 1;
    // A count from outside (a negative one moves forward) never leads off either end of the calendar.
    const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(calendar.size()) - 1;
    const std::ptrdiff_t index = std::clamp<std::ptrdiff_t>(onOrBefore - days, 0, last);
    const DateTime result = calendar[static_cast<std::size_t>(index)];
    return notBeforeToday ? std::max(result, now) : result;
}

int MrpEngine::LeadTime(std::int32_t goodsid) const
{
    const MrpGoodsRecord* record = FindGoods(goodsid);
    return record ? record->leadTime : 0;
}

DateTime MrpEngine::ComponentDate(DateTime date, std::int32_t parent) const
{
    return Has(optAhead) ? OffsetWorkDays(date, LeadTime(parent), true) : date;
}

const MrpGoodsRecord* MrpEngine::FindGoods(std::int32_t goodsid) const
{
    auto it = goods.find(goodsid);
    return it == goods.end() ? nullptr : &it->second;
}

MrpEngine::GrossTreeSize MrpEngine::MeasureGrossTree() const
{
    // Subtree sizes memoised per goods over the BOM, depth first without recursion. A goods met again
    // on its own path counts as a leaf here: the explosion reports that cycle. Sums saturate: shared
    // subassemblies can multiply a tree beyond any memory, which the explosion then runs into.
    auto add = [](std::size_t a, std::size_t b) {
        return a > std::numeric_limits<std::size_t>::max() - b ? std::numeric_limits<std::size_t>::max() : a + b;
    };
    GrossTreeSize measured;
    std::unordered_map<std::int32_t, std::size_t> size;
    std::unordered_set<std::int32_t> onPath;
    struct Frame {
        std::int32_t goodsid;
        const std::vector<MrpBomLink>* links;
        std::size_t next;
        std::size_t total;
    };
    std::vector<Frame> stack;
    auto sizeOf = [&](std::int32_t top) {
        auto enter = [&](std::int32_t goodsid) {
            auto links = bom.find(goodsid);
            onPath.insert(goodsid);
            stack.push_back({goodsid, links == bom.end() ? nullptr : &links->second, 0, 1});
        };
        enter(top);
        std::size_t last = 0;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (!frame.links || frame.next == frame.links->size()) {
                last = frame.total;
                size.emplace(frame.goodsid, last);
                onPath.erase(frame.goodsid);
                stack.pop_back();
                if (!stack.empty()) stack.back().total = add(stack.back().total, last);
                continue;
            }
            const std::int32_t child = (*frame.links)[frame.next++].elemgid;
            if (auto known = size.find(child); known != size.end()) {
                frame.total = add(frame.total, known->second);
            } else if (onPath.count(child)) {
                frame.total = add(frame.total, 1);
                measured.cyclic = true;
            } else {
                enter(child);
            }
        }
        return last;
    };
    for (const auto& line : planLines) {
        auto known = size.find(line.goodsid);
        measured.nodes = add(measured.nodes, known != size.end() ? known->second : sizeOf(line.goodsid));
    }
    return measured;
}

bool MrpEngine::BuildGrossTree()
{
    // The tree of a large factory holds millions of nodes: grown by doubling, the vector would copy
    // them all again and again and hold twice their memory at its peak. Only a BOM known to hold a
    // cycle has the goods on the walk's path kept, to name it: a set kept for millions of nodes
    // costs a good part of the explosion.
    const GrossTreeSize measured = MeasureGrossTree();
    if (measured.nodes <= grossNodes.max_size()) grossNodes.reserve(measured.nodes);
    // An explicit stack instead of recursion: a deep BOM must not exhaust the call stack. A frame
    // holds its node's place in grossNodes, and the need date of its components, the same for all.
    struct Frame {
        std::size_t node;
        const std::vector<MrpBomLink>* links;
        std::size_t next;
        DateTime componentDate;
    };
    std::vector<Frame> stack;
    std::unordered_set<std::int32_t> onPath;
    auto push = [&](MrpRequirementNode node) {
        auto links = bom.find(node.goodsid);
        Frame frame{grossNodes.size(), links == bom.end() ? nullptr : &links->second, 0, {}};
        if (frame.links) frame.componentDate = ComponentDate(node.needDate, node.goodsid);
        if (measured.cyclic) onPath.insert(node.goodsid);
        grossNodes.push_back(std::move(node));
        stack.push_back(frame);
    };
    for (std::size_t lineIndex = 0; lineIndex < planLines.size(); ++lineIndex) {
        const MrpLine& line = planLines[lineIndex];
        MrpRequirementNode top;
        top.goodsid = line.goodsid;
        top.needDate = line.date;
        top.quantity = line.quantity;
        top.billtype = line.billtype;
        top.billid = line.billid;
        top.itemno = line.itemno;
        top.billcode = line.billcode;
        top.billdate = line.billdate;
        top.planqty = line.planqty;
        top.lineQty = line.quantity;
        top.finishedqty = line.finishedqty;
        push(std::move(top));
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (!frame.links || frame.next == frame.links->size()) {
                if (measured.cyclic) onPath.erase(grossNodes[frame.node].goodsid);
                stack.pop_back();
                continue;
            }
            const MrpBomLink& link = (*frame.links)[frame.next++];
            if (measured.cyclic && onPath.count(link.elemgid)) {
                std::string path;
                for (const auto& open : stack) path += MrpGoodsCode(grossNodes[open.node].goodsid) + " → ";
                path += MrpGoodsCode(link.elemgid);
                warnings.push_back("BOM清单存在循环引用, 无法进行MRP运算: " + path);
                ShowError(warnings.back());
                return false;
            }
            MrpRequirementNode child = grossNodes[frame.node];
            child.goodsid = link.elemgid;
            child.needDate = frame.componentDate;
            child.quantity *= link.qty;
            child.level += 1;
            child.wasteQty = child.quantity * link.rate;
            push(std::move(child));
        }
        if (lineIndex % 64 == 0)
            Report("explode", static_cast<double>(lineIndex) / static_cast<double>(planLines.size()));
    }
    return true;
}

std::string MrpEngine::GoodsTreeText(std::int32_t goodsid, double quantity)
{
    return GoodsTreeText(LookupData(3, goodsid, "code").AsString(), LookupData(3, goodsid, "name").AsString(), quantity);
}

std::string MrpEngine::GoodsTreeText(std::string_view code, std::string_view name, double quantity)
{
    return GoodsTreeTextHead(code, name) + GoodsTreeTextQuantity(quantity);
}

// The formats are compiled: the tree of a large run has hundreds of thousands of nodes.
std::string MrpEngine::GoodsTreeTextHead(std::string_view code, std::string_view name)
{
    return fmt::format(FMT_COMPILE("货品编号:{},货品名称:{},毛需求:"), code, name);
}

std::string MrpEngine::GoodsTreeTextQuantity(double quantity)
{
    return fmt::format(FMT_COMPILE("{:.4f}"), quantity);
}

void MrpEngine::FillGoodsTree(TreeItems& items) const
{
    const int goodsidColumn = items.AddColumn("goodsid");
    const int quantityColumn = items.AddColumn("quantity");
    std::vector<TreeNode*> path;
    WalkGoodsTree([&](int depth, std::int32_t goodsid, double quantity) {
        path.resize(static_cast<std::size_t>(depth));
        TreeNode& node = path.empty() ? items.Add(GoodsTreeText(goodsid, quantity))
                                      : path.back()->AddChild(GoodsTreeText(goodsid, quantity));
        node.SetValue(goodsidColumn, goodsid);
        node.SetValue(quantityColumn, quantity);
        path.push_back(&node);
    });
}

void MrpEngine::WalkGoodsTree(const GoodsTreeVisitor& visit) const
{
    std::vector<std::pair<std::int32_t, double>> merged;
    std::unordered_map<std::int32_t, std::size_t> position;
    for (const auto& line : planLines) {
        auto [it, added] = position.emplace(line.goodsid, merged.size());
        if (added)
            merged.emplace_back(line.goodsid, line.quantity);
        else
            merged[it->second].second += line.quantity;
    }
    for (const auto& [goodsid, quantity] : merged) WalkBomChildren(bom, visit, 0, goodsid, quantity);
}

void MrpEngine::FillGrossTable(DataSet& cdsGross) const
{
    DataSetRowSink rows(cdsGross);
    WriteGrossRows(rows);
}

void MrpEngine::WriteGrossRows(MrpRowSink& rows) const
{
    MrpRowWriter writer(
        rows, {{"class", FieldType::Integer}, {"goodsid", FieldType::Integer}, {"quantity", FieldType::Float}});
    struct Merged {
        std::int32_t level;
        std::int32_t goodsid;
        double quantity;
    };
    std::vector<Merged> merged;
    std::unordered_map<std::int32_t, std::size_t> position;
    for (const auto& node : grossNodes) {
        auto [it, added] = position.emplace(node.goodsid, merged.size());
        if (added) {
            merged.push_back({node.level, node.goodsid, node.quantity});
        } else {
            Merged& entry = merged[it->second];
            entry.quantity += node.quantity;
            entry.level = std::max(entry.level, node.level);
        }
    }
    std::sort(merged.begin(), merged.end(), [](const Merged& a, const Merged& b) {
        return a.level != b.level ? a.level < b.level : a.goodsid < b.goodsid;
    });
    for (const auto& entry : merged) writer.Write({entry.level, entry.goodsid, entry.quantity});
}

}  // namespace mfg
