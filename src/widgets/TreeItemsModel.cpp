#include "TreeItemsModel.h"

#include "QtDialogs.h"
#include "host/Dialogs.h"

namespace mfg {

TreeItemsModel::TreeItemsModel(QObject* parent) : QAbstractItemModel(parent) {}

void TreeItemsModel::SetTree(TreeItems* value, std::string title, std::vector<std::string> columns)
{
    beginResetModel();
    tree = value;
    textTitle = std::move(title);
    valueColumns = std::move(columns);
    endResetModel();
}

void TreeItemsModel::Reset()
{
    beginResetModel();
    endResetModel();
}

TreeNode* TreeItemsModel::NodeOf(const QModelIndex& index) const
{
    if (!tree) return nullptr;
    if (!index.isValid()) return &tree->Root();
    return static_cast<TreeNode*>(index.internalPointer());
}

QModelIndex TreeItemsModel::IndexOf(const TreeNode& node) const
{
    if (!node.Parent()) return {};
    return createIndex(node.Index(), 0, const_cast<TreeNode*>(&node));
}

QModelIndex TreeItemsModel::index(int row, int column, const QModelIndex& parent) const
{
    TreeNode* node = NodeOf(parent);
    if (!node || row < 0 || row >= node->ChildCount() || column < 0 || column >= columnCount()) return {};
    return createIndex(row, column, &node->Child(row));
}

QModelIndex TreeItemsModel::parent(const QModelIndex& child) const
{
    TreeNode* node = child.isValid() ? NodeOf(child) : nullptr;
    if (!node || !node->Parent() || !node->Parent()->Parent()) return {};
    return IndexOf(*node->Parent());
}

int TreeItemsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0) return 0;
    TreeNode* node = NodeOf(parent);
    return node ? node->ChildCount() : 0;
}

int TreeItemsModel::columnCount(const QModelIndex&) const { return 1 + static_cast<int>(valueColumns.size()); }

bool TreeItemsModel::hasChildren(const QModelIndex& parent) const
{
    TreeNode* node = NodeOf(parent);
    return node && parent.column() <= 0 && node->HasChildren();
}

bool TreeItemsModel::canFetchMore(const QModelIndex& parent) const
{
    TreeNode* node = NodeOf(parent);
    return node && node->ChildrenPending();
}

void TreeItemsModel::fetchMore(const QModelIndex& parent)
{
    TreeNode* node = NodeOf(parent);
    if (!node || !node->ChildrenPending()) return;
    int before = node->ChildCount();
    try {
        node->LoadChildren();
    } catch (const std::exception& error) {
        ShowError(error);
        return;
    }
    if (node->ChildCount() > before) {
        beginInsertRows(parent, before, node->ChildCount() - 1);
        endInsertRows();
    }
}

QVariant TreeItemsModel::data(const QModelIndex& index, int role) const
{
    TreeNode* node = index.isValid() ? NodeOf(index) : nullptr;
    if (!node || role != Qt::DisplayRole) return {};
    if (index.column() == 0) return ToQString(node->Text());
    const std::string& column = valueColumns[static_cast<size_t>(index.column() - 1)];
    if (tree->ColumnIndex(column) < 0) return {};
    return ToQString(node->Value(column).AsString());
}

QVariant TreeItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return ToQString(textTitle);
    return ToQString(valueColumns.at(static_cast<size_t>(section - 1)));
}

TreeItemsView::TreeItemsView(QWidget* parent) : QTreeView(parent), model(this)
{
    setModel(&model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (TreeNode* node = model.NodeOf(index)) node->SetExpanded(true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (TreeNode* node = model.NodeOf(index)) node->SetExpanded(false);
    });
}

void TreeItemsView::SetTree(TreeItems* tree, std::string textTitle, std::vector<std::string> valueColumns)
{
    model.SetTree(tree, std::move(textTitle), std::move(valueColumns));
    setHeaderHidden(model.columnCount() == 1 && model.headerData(0, Qt::Horizontal).toString().isEmpty());
}

TreeNode* TreeItemsView::Selected() const
{
    QModelIndex current = currentIndex();
    return current.isValid() ? model.NodeOf(current) : nullptr;
}

void TreeItemsView::Select(const TreeNode& node)
{
    for (const TreeNode* up = node.Parent(); up && up->Parent(); up = up->Parent()) expand(model.IndexOf(*up));
    setCurrentIndex(model.IndexOf(node));
}

void TreeItemsView::FullExpand() { expandAll(); }

}  // namespace mfg
