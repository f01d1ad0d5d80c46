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

signals:
    //! The title of `column` was clicked.
    void TitleClick(int column);

private:
    void ApplyColumn(int index);
    void HeaderClicked(int section);

    DataSetModel model;
    bool sortOnTitleClick = true;
    bool following = false;
};

}  // namespace mfg
