#pragma once

#include <QTableView>

#include <functional>
#include <map>
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
    using QTableView::edit;

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

    //! When set, Down on the last row and a click below the rows append a row to the dataset (its
    //! OnNewRecord fills it), as the host's grids start a new line; not on a new row still
    //! untouched, nor while read-only. SetAppendRow gives a screen's own way of appending.
    void SetAllowAppend(bool value);

    //! Keeps the first `count` columns in place while the others scroll sideways (0: none); the
    //! "selected" check box column of a list screen is the usual one.
    void SetFrozenColumns(int count);
    int FrozenColumns() const { return frozenCount; }

    //! Edits the cells of a field's column with `control` (a look-up combo of the screen), placed
    //! over the current cell while it is edited: a typed key goes on into it, F2 or a double click
    //! opens it. The control sets the row itself; the grid hides it when the cell is left, on
    //! Escape and on CloseColumnControl. The control becomes a child of the grid.
    void SetColumnControl(std::string_view fieldName, QWidget* control);
    //! Hides the control of the cell being edited and gives the grid the keyboard again.
    void CloseColumnControl();
    //! The control shown over a cell; null when none is.
    QWidget* ShownColumnControl() const { return shownControl; }
    //! Draws a "…" button at the right of the cells of a field's column; a click on it makes the
    //! row current and runs `clicked`. `text`, when given, is what the cells show instead of the field.
    void SetColumnButton(std::string_view fieldName, std::function<void()> clicked,
                         std::function<QString(int row)> text = {});
    //! What Down on the last row and a click below the rows do: append a row (unset: nothing), under
    //! the conditions of SetAllowAppend.
    void SetAppendRow(std::function<void()> append) { appendRow = std::move(append); }

    //! The widths the user gave columns by dragging their title edges, by field name (lower case).
    const std::map<std::string, int>& UserColumnWidths() const { return userWidths; }
    //! Gives a column the width the user chose before; a field the grid does not show is ignored.
    void SetUserColumnWidth(std::string_view fieldName, int width);
    //! Fits every column without a set or user-chosen width to its title and the rows it shows, so
    //! that codes, names and quantities are readable without dragging.
    void FitColumns();

signals:
    //! The title of `column` was clicked.
    void TitleClick(int column);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void ApplyColumn(int index);
    void HeaderClicked(int section);
    void UpdateFrozenView();
    void SectionResized(int section, int size);
    //! Whether the grid may start a new row now.
    bool CanAppend() const;
    //! Writes an open editor's value into its own row, then appends.
    void AppendRow();
    //! The column of a field; throws std::out_of_range naming a field the grid does not show.
    int ColumnIndex(std::string_view fieldName) const;

    DataSetModel model;
    QTableView* frozen = nullptr;  // drawn over the first columns, sharing model and selection
    int frozenCount = 0;
    bool sortOnTitleClick = true;
    bool following = false;
    bool sizing = false;  // the grid itself is setting widths, not the user
    std::map<std::string, int> userWidths;
    std::map<int, QWidget*> columnControls;  // by column index
    QWidget* shownControl = nullptr;
    std::function<void()> appendRow;
};

}  // namespace mfg
