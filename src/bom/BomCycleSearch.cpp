#include "BomCycleSearch.h"

#include <unordered_set>

#include "host/Host.h"
#include "types/LevelWalk.h"

namespace mfg {

void StoredBomGraph::Read(const BomChildren& goods)
{
    children.clear();
    std::vector<std::int64_t> start;
    for (const BomChild& child : goods) start.push_back(child.goodsID);
    WalkLevels(start, [this](const std::string& ids, const auto& reached) {
        auto rows = CreateAutoQuery(
            "Select a.GoodsID, a.ElemGID, b.Code As GoodsCode, b.Kind From  L_GoodsBom a, L_Goods b Where a.ElemGID = "
            "b.GoodsID and a.GoodsID in (" +
                ids +
                ") union Select c.GoodsID,c.SubGoodsID,d.Code as GoodsCode,d.Kind From l_GoodsBomSub c,L_Goods d "
                "Where c.SubGoodsID = d.GoodsID and c.GoodsID in (" +
                ids + ") order by 1, 2",
            true);
        Field& parent = rows->FieldByName("GoodsID");
        Field& child = rows->FieldByName("ElemGID");
        Field& code = rows->FieldByName("GoodsCode");
        for (rows->First(); !rows->Eof(); rows->Next()) {
            Add(static_cast<int>(parent.AsInteger()), {static_cast<int>(child.AsInteger()), code.AsString()});
            reached(child.AsInteger());
        }
    });
}

const BomChildren& StoredBomGraph::ChildrenOf(int goodsID) const
{
    static const BomChildren none;
    auto found = children.find(goodsID);
    return found == children.end() ? none : found->second;
}

BomCycleSearch::BomCycleSearch(ChildSource childSource, bool remember)
    : source(std::move(childSource)), rememberCleared(remember)
{
}

bool BomCycleSearch::Find(int parentID, const BomChildren& parentChildren, std::string& pathText)
{
    // An explicit stack instead of recursion: a deep BOM (or one damaged by hand) cannot exhaust
    // the call stack.
    struct Frame {
        int goodsID;
        const BomChildren* children;
        std::size_t next = 0;
    };
    std::vector<Frame> stack{{parentID, &parentChildren}};
    std::vector<const std::string*> codes;  // the codes on the path below the parent
    std::unordered_set<int> onPath{parentID};
    std::unordered_set<int> cleared;
    expanded = 1;

    auto joined = [&](const std::string& last) {
        std::string text = pathText;
        for (const std::string* code : codes) text += "->" + *code;
        return text + "->" + last;
    };

    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children->size()) {
            if (rememberCleared) cleared.insert(frame.goodsID);
            onPath.erase(frame.goodsID);
            stack.pop_back();
            if (!codes.empty()) codes.pop_back();
            continue;
        }
        const BomChild& child = (*frame.children)[frame.next++];
        if (onPath.contains(child.goodsID)) {
            pathText = joined(child.code);
            return true;
        }
        if (rememberCleared && cleared.contains(child.goodsID)) continue;
        const BomChildren& below = source(child.goodsID);
        ++expanded;
        stack.push_back({child.goodsID, &below});
        codes.push_back(&child.code);
        onPath.insert(child.goodsID);
    }
    return false;
}

bool FindBomCycle(int parentID, const BomChildren& parentChildren, std::string& pathText)
{
    StoredBomGraph stored;
    stored.Read(parentChildren);
    BomCycleSearch search([&stored](int goodsID) -> const BomChildren& { return stored.ChildrenOf(goodsID); });
    return search.Find(parentID, parentChildren, pathText);
}

}  // namespace mfg
