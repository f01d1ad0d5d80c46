#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mfg {

//! A goods reached from a parent through a component line or a substitute.
struct BomChild {
    int goodsID = 0;
    std::string code;
};

using BomChildren = std::vector<BomChild>;

//! The stored BOM graph below some goods: for every parent reached, its components and
//! substitutes (lines of any audit state count).
class StoredBomGraph {
public:
    //! Reads the component lines and substitutes reachable from `goods`, a level at a time through
    //! the indexed GoodsID of both tables: the goods a search can reach and nothing else.
    void Read(const BomChildren& goods);
    //! The children of a goods in the order the search takes them; none for a leaf.
    const BomChildren& ChildrenOf(int goodsID) const;
    //! Adds an edge (for graphs built in memory).
    void Add(int parentID, BomChild child) { children[parentID].push_back(std::move(child)); }

private:
    std::unordered_map<int, BomChildren> children;
};

//! Depth-first search for a goods that leads back onto its own path, from a parent whose children
//! are given (the unsaved lines) down through children from a source (the stored BOM).
//!
//! A goods whose subtree was searched without finding a cycle cannot lead to one from any other
//! path: a goods on the new path reachable from it would close a cycle the first search already
//! saw. Skipping such goods keeps the first cycle and its path text the same as a plain search
//! gives, while each goods is expanded at most once: the search is linear in the graph instead of
//! exponential in the shared sub-assemblies.
class BomCycleSearch {
public:
    //! Where the children of a goods below the parent come from.
    using ChildSource = std::function<const BomChildren&(int goodsID)>;

    //! `rememberCleared` off gives the plain search that expands a goods once per path reaching it.
    explicit BomCycleSearch(ChildSource source, bool rememberCleared = true);

    //! True when a cycle is found; `pathText` (which starts as the parent's code) then holds the
    //! path to the goods that repeats, codes joined by "->" ("A->B->A").
    bool Find(int parentID, const BomChildren& parentChildren, std::string& pathText);
    //! Goods whose children were taken during the last Find, the parent included.
    std::size_t ExpandedCount() const { return expanded; }

private:
    ChildSource source;
    bool rememberCleared;
    std::size_t expanded = 0;
};

//! The cycle check of a BOM being saved: the parent's children as edited, everything below as stored.
bool FindBomCycle(int parentID, const BomChildren& parentChildren, std::string& pathText);

}  // namespace mfg
