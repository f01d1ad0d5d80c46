#include "DbGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <stdexcept>

#include "QtDialogs.h"
#include "types/TextUtil.h"

namespace mfg {

DbGrid::DbGrid(QWidget* parent) : QTableView(parent), model(this)
{
    setModel(&model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setMinimumWidth(28);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DbGrid::HeaderClicked);
    connect(&model, &DataSetModel::CursorMoved, this, [this](int row) {
        if (following || row < 0) return;
        int column = std::max(0, currentIndex().column());
        following = true;
        setCurrentIndex(model.index(row, column));
        following = false;
    });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < model.ColumnCount(); ++i) ApplyColumn(i);
        UpdateFrozenView();
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        DataSet* data = model.GetDataSet();
        if (following || !current.isValid() || !data || !data->Active() || data->RecNo() == current.row() + 1) return;
        following = true;
        try {
            data->SetRecNo(current.row() + 1);
        } catch (const std::exception& error) {
            ShowError(error);
        }
        following = false;
    });
}

void DbGrid::SetDataSet(DataSet* dataSet)
{
    model.SetDataSet(dataSet);
}

DbGridColumn& DbGrid::AddColumn(std::string fieldName, std::string title, int width)
{
    bool selectedColumn = EqualsNoCase(fieldName, "selected");
    DbGridColumn& column = model.AddColumn(std::move(fieldName), std::move(title), width);
    if (selectedColumn) column.checkBox = true;
    int index = model.ColumnCount() - 1;
    ApplyColumn(index);
    if (selectedColumn) horizontalHeader()->moveSection(horizontalHeader()->visualIndex(index), 0);
    return model.Column(index);
}

DbGridColumn& DbGrid::ColumnByName(std::string_view fieldName)
{
    int index = model.ColumnIndexOf(fieldName);
    if (index < 0)
        throw std::out_of_range("the grid " + objectName().toStdString() + " has no column " + std::string(fieldName));
    return model.Column(index);
}

void DbGrid::SetColumnVisible(int index, bool visible)
{
    model.Column(index).visible = visible;
    ApplyColumn(index);
}

void DbGrid::SetColumnReadOnly(int index, bool readOnly)
{
    model.Column(index).readOnly = readOnly;
    model.ColumnChanged(index);
}

void DbGrid::SetColumnFormat(int index, NumberFormat format)
{
    model.Column(index).format = format;
    model.ColumnChanged(index);
}

void DbGrid::SetFrozenColumns(int count)
{
    frozenCount = std::max(0, count);
    if (frozenCount > 0 && !frozen) {
        frozen = new QTableView(this);
        frozen->setObjectName(objectName() + "Frozen");
        frozen->setModel(&model);
        frozen->setSelectionModel(selectionModel());
        frozen->setFocusPolicy(Qt::NoFocus);
        frozen->verticalHeader()->hide();
        frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        frozen->setEditTriggers(editTriggers());
        frozen->setAlternatingRowColors(true);
        frozen->setStyleSheet("QTableView { border: none; border-right: 1px solid palette(mid); }");
        frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        viewport()->stackUnder(frozen);
        connect(frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen->verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
            if (section < frozenCount) frozen->setColumnWidth(section, size);
            UpdateFrozenView();
        });
        connect(frozen->horizontalHeader(), &QHeaderView::sectionClicked, this, &DbGrid::HeaderClicked);
    }
    UpdateFrozenView();
}

void DbGrid::UpdateFrozenView()
{
    if (!frozen) return;
    frozen->setVisible(frozenCount > 0);
    int width = 0;
    for (int i = 0; i < model.ColumnCount(); ++i) {
        bool shown = i < frozenCount && !isColumnHidden(i);
        frozen->setColumnHidden(i, !shown);
        if (!shown) continue;
        frozen->setColumnWidth(i, columnWidth(i));
        width += columnWidth(i);
    }
    frozen->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), width,
                        viewport()->height() + horizontalHeader()->height());
}

void DbGrid::keyPressEvent(QKeyEvent* event)
{
    DataSet* data = model.GetDataSet();
    bool appending = allowAppend && event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && data &&
                     data->Active() && editTriggers() != QAbstractItemView::NoEditTriggers &&
                     data->RecNo() == data->RecordCount() &&
                     !(data->State() == DataSetState::Insert && !data->Modified());
    if (!appending) {
        QTableView::keyPressEvent(event);
        return;
    }
    // What an open editor holds belongs to the row above; written later, it would end the new row.
    for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!editor->isHidden()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    try {
        data->Append();
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void DbGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    UpdateFrozenView();
}

void DbGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // A frozen column is always in sight; scrolling to it would push the others away.
    if (index.column() >= frozenCount) QTableView::scrollTo(index, hint);
}

void DbGrid::ApplyColumn(int index)
{
    const DbGridColumn& column = model.Column(index);
    setColumnHidden(index, !column.visible);
    if (column.width > 0)
        setColumnWidth(index, column.width);
    else if (column.checkBox)
        setColumnWidth(index, 36);
    if (column.checkBox) horizontalHeader()->setSectionResizeMode(index, QHeaderView::Fixed);
}

int DbGrid::CurrentColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

void DbGrid::SetCurrentColumn(int index)
{
    int row = std::max(0, currentIndex().row());
    setCurrentIndex(model.index(row, index));
}

std::string DbGrid::SelectedField() const
{
    int column = CurrentColumn();
    return column < 0 ? std::string() : model.Column(column).fieldName;
}

void DbGrid::SetSortMarker(int column, Qt::SortOrder order)
{
    horizontalHeader()->setSortIndicatorShown(column >= 0);
    horizontalHeader()->setSortIndicator(column, order);
}

int DbGrid::SortMarkerColumn() const
{
    return horizontalHeader()->isSortIndicatorShown() ? horizontalHeader()->sortIndicatorSection() : -1;
}

void DbGrid::HeaderClicked(int section)
{
    emit TitleClick(section);
    if (!sortOnTitleClick || model.Column(section).checkBox || !model.GetDataSet()) return;
    Qt::SortOrder order = model.SortColumn() == section && model.SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                                   : Qt::AscendingOrder;
    model.sort(section, order);
    SetSortMarker(section, order);
}

}  // namespace mfg
