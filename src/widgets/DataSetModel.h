#pragma once

#include <QAbstractTableModel>

#include <string>
#include <vector>

#include "data/DataSet.h"

namespace mfg {

//! How a grid column writes its numbers: through the host's quantity, price or amount formatting,
//! or as the field's own text.
enum class NumberFormat { Plain, Quantity, Price, Amount };

//! One column of a grid: a field of the dataset shown under a title.
struct DbGridColumn {
    std::string fieldName;
    std::string title;
    int width = 0;  //!< pixels, the least the grid fits the column to; 0 lets the grid choose
    bool visible = true;
    bool readOnly = false;
    NumberFormat format = NumberFormat::Plain;
    //! A display pattern such as "0.####" (FormatFloat); when set it writes the numbers instead of `format`.
    std::string displayFormat;
    //! The cells' alignment; none: numbers right, text left.
    Qt::Alignment alignment;
    //! An integer field shown as a check box ticked at 1 (the "selected" column of list screens).
    bool checkBox = false;
};

//! A table model over a DataSet: one row per visible row of the dataset, one column per
//! DbGridColumn. Edits go through the dataset (Edit, set, Post), so they become its pending
//! changes; sorting sets its index fields; the dataset's own changes reach the views through
//! DataSetObserver. The dataset is not owned and must outlive the model or be detached first.
class DataSetModel : public QAbstractTableModel, private DataSetObserver {
    Q_OBJECT

public:
    explicit DataSetModel(QObject* parent = nullptr);
    ~DataSetModel() override;

    //! Shows `dataSet` (null detaches). Without columns set, every field becomes a column.
    void SetDataSet(DataSet* dataSet);
    DataSet* GetDataSet() const { return dataSet; }

    //! Replaces the columns.
    void SetColumns(std::vector<DbGridColumn> columns);
    //! Adds a column and returns it; a reference stays valid until the columns change.
    DbGridColumn& AddColumn(std::string fieldName, std::string title = {}, int width = 0);
    int ColumnCount() const { return static_cast<int>(columns.size()); }
    DbGridColumn& Column(int index) { return columns.at(static_cast<size_t>(index)); }
    const DbGridColumn& Column(int index) const { return columns.at(static_cast<size_t>(index)); }
    //! The index of the column showing `fieldName` (case ignored); -1 when none does.
    int ColumnIndexOf(std::string_view fieldName) const;
    //! Reports a column's title, width or flags changed.
    void ColumnChanged(int index);

    //! The column sorted on and its direction; -1 when the rows are in their own order.
    int SortColumn() const { return sortColumn; }
    Qt::SortOrder SortOrder() const { return sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    //! The text a cell shows: numbers through the column's format, dates as "yyyy-mm-dd".
    QString CellText(int row, int column) const;

signals:
    //! The dataset's cursor moved to `row` (-1: no current row).
    void CursorMoved(int row);

private:
    void RowsReset() override;
    void RowChanged(int row) override;
    void RowInserted(int row) override;
    void RowRemoved(int row) override;
    void CurrentRowChanged(int row) override;
    Field* FieldOf(int column) const;
    void WriteEnded(int row);
    int BindField(const DbGridColumn& column) const;

    DataSet* dataSet = nullptr;
    std::vector<DbGridColumn> columns;
    std::vector<int> fieldIndex;  // per column: the dataset field, -1 when the dataset lacks it
    int rows = 0;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
    bool writing = false;  // a cell is being written: the cursor moves it makes are not the user's
    bool autoColumns = false;  // every field shown because the grid was given no columns
};

}  // namespace mfg
