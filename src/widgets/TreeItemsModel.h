#pragma once

#include <QAbstractItemModel>
#include <QTreeView>

#include <string>
#include <vector>

#include "data/TreeItems.h"

namespace mfg {

//! An item model over a TreeItems: the node text in the first column, then the value columns the
//! view asks for. Nodes with pending children show an expander and load them on expansion. The
//! tree is not owned; after changing it, call Reset.
class TreeItemsModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit TreeItemsModel(QObject* parent = nullptr);

    //! Shows `tree` (null: nothing) with a first column title and value columns by name.
    void SetTree(TreeItems* tree, std::string textTitle = {}, std::vector<std::string> valueColumns = {});
    TreeItems* Tree() const { return tree; }
    //! Re-reads the whole tree after it changed.
    void Reset();
    //! The node of an index; null for the invisible root.
    TreeNode* NodeOf(const QModelIndex& index) const;
    //! The index of a node, column 0.
    QModelIndex IndexOf(const TreeNode& node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TreeItems* tree = nullptr;
    std::string textTitle;
    std::vector<std::string> valueColumns;
};

//! The tree view of the screens over a TreeItems, read-only, whole rows selected; expanding and
//! collapsing is written back to the nodes.
class TreeItemsView : public QTreeView {
    Q_OBJECT

public:
    explicit TreeItemsView(QWidget* parent = nullptr);

    //! Shows `tree`; see TreeItemsModel::SetTree.
    void SetTree(TreeItems* tree, std::string textTitle = {}, std::vector<std::string> valueColumns = {});
    TreeItemsModel& Model() { return model; }
    //! The node of the current item; null when none.
    TreeNode* Selected() const;
    //! Makes a node current, expanding its ancestors.
    void Select(const TreeNode& node);
    //! Expands every loaded node.
    void FullExpand();

private:
    TreeItemsModel model;
};

}  // namespace mfg
