#include "data/TreeItems.h"

#include <stdexcept>

#include <fmt/format.h>

namespace mfg {
namespace {

const Variant nullValue;

}  // namespace

TreeNode::TreeNode(Key, TreeItems& tree, TreeNode* parent, std::string text, std::int64_t id)
    : tree(&tree), parent(parent), text(std::move(text)), id(id)
{
}

int TreeNode::Level() const
{
    int level = -1;
    for (const TreeNode* node = parent; node; node = node->parent) ++level;
    return level;
}

int TreeNode::Index() const
{
    if (!parent) return 0;
    const auto& siblings = parent->children;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return static_cast<int>(i);
    return -1;
}

TreeNode& TreeNode::Child(int index) const
{
    if (index < 0 || index >= ChildCount())
        throw std::out_of_range(fmt::format("节点 '{}' 没有第 {} 个子节点 (共 {} 个)", text, index, ChildCount()));
    return *children[static_cast<size_t>(index)];
}

TreeNode& TreeNode::AddChild(std::string childText) { return InsertChild(ChildCount(), std::move(childText)); }

TreeNode& TreeNode::InsertChild(int index, std::string childText)
{
    if (index < 0 || index > ChildCount())
        throw std::out_of_range(fmt::format("节点 '{}' 不能在位置 {} 插入子节点 (共 {} 个)", text, index, ChildCount()));
    std::int64_t childId = tree->nextId++;
    auto child = std::make_unique<TreeNode>(Key{}, *tree, this, std::move(childText), childId);
    TreeNode& added = *child;
    children.insert(children.begin() + index, std::move(child));
    tree->nodes.emplace(childId, &added);
    return added;
}

void TreeNode::Forget()
{
    std::vector<TreeNode*> pending{this};
    while (!pending.empty()) {
        TreeNode* node = pending.back();
        pending.pop_back();
        tree->nodes.erase(node->id);
        for (const auto& child : node->children) pending.push_back(child.get());
    }
}

void TreeNode::RemoveChild(int index)
{
    TreeNode& child = Child(index);
    child.Forget();
    children.erase(children.begin() + index);
}

void TreeNode::ClearChildren()
{
    for (const auto& child : children) child->Forget();
    children.clear();
}

const Variant& TreeNode::Value(int column) const
{
    if (column < 0 || column >= tree->ColumnCount())
        throw std::invalid_argument(fmt::format("树没有第 {} 列 (共 {} 列)", column, tree->ColumnCount()));
    return static_cast<size_t>(column) < values.size() ? values[static_cast<size_t>(column)] : nullValue;
}

const Variant& TreeNode::Value(std::string_view column) const
{
    int index = tree->ColumnIndex(column);
    if (index < 0) throw std::invalid_argument(fmt::format("树没有列 '{}'", column));
    return Value(index);
}

void TreeNode::SetValue(int column, Variant value)
{
    if (column < 0 || column >= tree->ColumnCount())
        throw std::invalid_argument(fmt::format("树没有第 {} 列 (共 {} 列)", column, tree->ColumnCount()));
    // Columns added after the node was made leave its value row short; it grows on first need.
    if (static_cast<size_t>(column) >= values.size()) values.resize(static_cast<size_t>(tree->ColumnCount()));
    values[static_cast<size_t>(column)] = std::move(value);
}

void TreeNode::SetValue(std::string_view column, Variant value)
{
    int index = tree->ColumnIndex(column);
    if (index < 0) throw std::invalid_argument(fmt::format("树没有列 '{}'", column));
    SetValue(index, std::move(value));
}

void TreeNode::SetExpanded(bool value)
{
    if (value) LoadChildren();
    expanded = value;
}

void TreeNode::LoadChildren()
{
    if (!loader) return;
    // Cleared first so that the loader can add children without being asked to load again.
    Loader load = std::move(loader);
    loader = nullptr;
    try {
        load(*this);
    } catch (...) {
        ClearChildren();
        loader = std::move(load);
        throw;
    }
}

TreeItems::TreeItems(std::vector<std::string> names) : root(TreeNode::Key{}, *this, nullptr, {}, 0)
{
    for (auto& name : names) AddColumn(std::move(name));
}

int TreeItems::AddColumn(std::string name)
{
    if (auto it = columnIndex.find(name); it != columnIndex.end()) return it->second;
    int index = ColumnCount();
    columnIndex.emplace(name, index);
    columns.push_back(std::move(name));
    return index;
}

int TreeItems::ColumnIndex(std::string_view name) const
{
    auto it = columnIndex.find(name);
    return it == columnIndex.end() ? -1 : it->second;
}

const std::string& TreeItems::ColumnName(int index) const
{
    if (index < 0 || index >= ColumnCount())
        throw std::out_of_range(fmt::format("树没有第 {} 列 (共 {} 列)", index, ColumnCount()));
    return columns[static_cast<size_t>(index)];
}

TreeNode* TreeItems::FindById(std::int64_t id) const
{
    auto it = nodes.find(id);
    return it == nodes.end() ? nullptr : it->second;
}

void TreeItems::Walk(const std::function<bool(TreeNode&)>& visit)
{
    // An explicit stack: a deep BOM must not run the call stack out.
    std::vector<TreeNode*> pending;
    for (int i = root.ChildCount() - 1; i >= 0; --i) pending.push_back(&root.Child(i));
    while (!pending.empty()) {
        TreeNode* node = pending.back();
        pending.pop_back();
        if (!visit(*node)) return;
        for (int i = node->ChildCount() - 1; i >= 0; --i) pending.push_back(&node->Child(i));
    }
}

TreeNode* TreeItems::Find(const std::function<bool(const TreeNode&)>& match)
{
    TreeNode* found = nullptr;
    Walk([&](TreeNode& node) {
        if (!match(node)) return true;
        found = &node;
        return false;
    });
    return found;
}

}  // namespace mfg
