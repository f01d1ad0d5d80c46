#pragma once

#include <QTableView>

#include <string>
#include <string_view>

#include "DataSetModel.h"

namespace mfg {

//! The data grid of the screens (TQxDBGrid): a table view over a DataSetModel whose current row
//! follows the dataset's cursor both ways. Columns are found by field name or by index; a click on
//! a title reports the column and, when the grid sorts on title clicks, sorts with a marker.
class DbGrid : public QTableView {
    Q_OBJECT

public:
    explicit DbGrid(QWidget* parent = nullptr);

    //! Shows a dataset (null detaches); the dataset must outlive the grid or be detached first.
    void SetDataSet(DataSet* dataSet);
    DataSet* GetDataSet() const { return model.GetDataSet(); }
    DataSetModel& Model() { return model; }

    //! Adds a column over a field; the "selected" column of list screens is a check box column
    //! that stays first and is never moved.
    DbGridColumn& AddColumn(std::string fieldName, std::string title = {}, int width = 0);
    int ColumnCount() const { return model.ColumnCount(); }
    DbGridColumn& Column(int index) { return model.Column(index); }
    //! The column of a field (case ignored); throws std::out_of_range naming a field not shown.
    DbGridColumn& ColumnByName(std::string_view fieldName);
    //! Shows or hides a column.
    void SetColumnVisible(int index, bool visible);
    //! Makes a column read-only, or editable again.
    void SetColumnReadOnly(int index, bool readOnly);
    //! Sets the number formatting of a column.
    void SetColumnFormat(int index, NumberFormat format);

    //! The column of the current cell; -1 when there is none.
    int CurrentColumn() const;
    void SetCurrentColumn(int index);
    //! The field of the current column; empty when there is none.
    std::string SelectedField() const;

    //! When set (the default), a title click sorts on that column, toggling the direction.
    void SetSortOnTitleClick(bool value) { sortOnTitleClick = value; }
    //! Shows the sort marker on a column (-1 hides it) without sorting.
    void SetSortMarker(int column, Qt::SortOrder order);
    //! The column carrying the sort marker; -1 when none does.
    int SortMarkerColumn() const;

    //! When set, Down on the last row appends a row to the dataset (its OnNewRecord fills it), as
    //! the host's grids start a new line; not on a new row still untouched, nor while read-only.
    void SetAllowAppend(bool value) { allowAppend = value; }

    //! Keeps the first `count` columns in place while the others scroll sideways (0: none); the
    //! "selected" check box column of a list screen is the usual one.
    void SetFrozenColumns(int count);
    int FrozenColumns() const { return frozenCount; }

signals:
    //! The title of `column` was clicked.
    void TitleClick(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void ApplyColumn(int index);
    void HeaderClicked(int section);
    void UpdateFrozenView();

    DataSetModel model;
    QTableView* frozen = nullptr;  // drawn over the first columns, sharing model and selection
    int frozenCount = 0;
    bool sortOnTitleClick = true;
    bool allowAppend = false;
    bool following = false;
};

}  // namespace mfg
