#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "types/TextUtil.h"
#include "types/Variant.h"

namespace mfg {

class TreeItems;

//! One node of a result tree (a BOM line, a gross requirement). Its parent owns it; a pointer or
//! reference to it stays valid until it or an ancestor is removed.
class TreeNode {
    struct Key {
        explicit Key() = default;
    };

public:
    //! Adds the children of a node that was marked as having them unloaded.
    using Loader = std::function<void(TreeNode&)>;

    TreeNode(Key, TreeItems& tree, TreeNode* parent, std::string text, std::int64_t id);
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    //! Unique in its tree, never reused.
    std::int64_t Id() const { return id; }
    const std::string& Text() const { return text; }
    void SetText(std::string value) { text = std::move(value); }
    //! Null for the tree's invisible root.
    TreeNode* Parent() const { return parent; }
    TreeItems& Tree() const { return *tree; }
    //! 0 for a top-level item, 1 for its children, and so on.
    int Level() const;
    //! Position among the siblings.
    int Index() const;

    //! Children loaded so far.
    int ChildCount() const { return static_cast<int>(children.size()); }
    TreeNode& Child(int index) const;
    //! Loaded children, or children a loader has still to bring.
    bool HasChildren() const { return !children.empty() || static_cast<bool>(loader); }
    TreeNode& AddChild(std::string childText);
    TreeNode& InsertChild(int index, std::string childText);
    void RemoveChild(int index);
    void ClearChildren();

    //! A value of the tree's column of that name (case ignored); null when never set.
    const Variant& Value(std::string_view column) const;
    const Variant& Value(int column) const;
    //! Throws std::invalid_argument for a column the tree does not have.
    void SetValue(std::string_view column, Variant value);
    void SetValue(int column, Variant value);

    bool Expanded() const { return expanded; }
    //! Expanding a node loads its pending children first.
    void SetExpanded(bool value);

    //! Marks the node as having children that `childLoader` adds on first need.
    void SetChildLoader(Loader childLoader) { loader = std::move(childLoader); }
    bool ChildrenPending() const { return static_cast<bool>(loader); }
    //! Runs the loader once; if it throws, the node stays pending with no children.
    void LoadChildren();

private:
    friend class TreeItems;
    void Forget();  // drops the ids of this subtree from the tree's index

    TreeItems* tree;
    TreeNode* parent;
    std::string text;
    std::int64_t id;
    std::vector<Variant> values;
    std::vector<std::unique_ptr<TreeNode>> children;
    bool expanded = false;
    Loader loader;
};

//! A toolkit-free tree for result trees, with value columns shared by all its nodes. The top-level
//! items are the children of an invisible root, as a tree view model wants them.
class TreeItems {
public:
    explicit TreeItems(std::vector<std::string> columns = {});
    TreeItems(const TreeItems&) = delete;
    TreeItems& operator=(const TreeItems&) = delete;

    //! Adds a value column (or returns the one of that name); returns its index.
    int AddColumn(std::string name);
    //! -1 when there is no such column.
    int ColumnIndex(std::string_view name) const;
    int ColumnCount() const { return static_cast<int>(columns.size()); }
    const std::string& ColumnName(int index) const;

    TreeNode& Root() { return root; }
    const TreeNode& Root() const { return root; }
    //! Adds a top-level item.
    TreeNode& Add(std::string text) { return root.AddChild(std::move(text)); }
    int TopLevelCount() const { return root.ChildCount(); }
    TreeNode& TopLevel(int index) const { return root.Child(index); }
    //! Loaded nodes, the root not counted.
    int Count() const { return static_cast<int>(nodes.size()); }
    void Clear() { root.ClearChildren(); }

    TreeNode* FindById(std::int64_t id) const;
    //! Visits the loaded nodes depth-first, parents before children, in child order, until `visit`
    //! returns false. `visit` may add children to the node it is given but must not remove nodes.
    void Walk(const std::function<bool(TreeNode&)>& visit);
    //! The first node of the walk for which `match` is true, or null.
    TreeNode* Find(const std::function<bool(const TreeNode&)>& match);

private:
    friend class TreeNode;

    struct NameHash : NoCaseHash {
        using is_transparent = void;
    };
    struct NameEqual : NoCaseEqual {
        using is_transparent = void;
    };

    std::vector<std::string> columns;
    std::unordered_map<std::string, int, NameHash, NameEqual> columnIndex;
    std::unordered_map<std::int64_t, TreeNode*> nodes;
    std::int64_t nextId = 1;
    TreeNode root;
};

}  // namespace mfg
