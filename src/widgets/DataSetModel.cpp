#include "DataSetModel.h"

#include <QDate>

#include "QtDialogs.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "types/TextUtil.h"

namespace mfg {

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSetModel::~DataSetModel()
{
    if (dataSet) dataSet->RemoveObserver(this);
}

void DataSetModel::SetDataSet(DataSet* value)
{
    beginResetModel();
    if (dataSet) dataSet->RemoveObserver(this);
    dataSet = value;
    if (dataSet) dataSet->AddObserver(this);
    sortColumn = -1;
    endResetModel();
    RowsReset();
}

void DataSetModel::SetColumns(std::vector<DbGridColumn> value)
{
    beginResetModel();
    columns = std::move(value);
    autoColumns = false;
    endResetModel();
    RowsReset();
}

DbGridColumn& DataSetModel::AddColumn(std::string fieldName, std::string title, int width)
{
    if (autoColumns) {
        beginResetModel();
        columns.clear();
        fieldIndex.clear();
        autoColumns = false;
        endResetModel();
    }
    int at = ColumnCount();
    beginInsertColumns({}, at, at);
    DbGridColumn column;
    column.title = title.empty() ? fieldName : std::move(title);
    column.fieldName = std::move(fieldName);
    column.width = width;
    columns.push_back(std::move(column));
    fieldIndex.push_back(BindField(columns.back()));
    endInsertColumns();
    return columns.back();
}

int DataSetModel::BindField(const DbGridColumn& column) const
{
    Field* field = dataSet && dataSet->Active() ? dataSet->FindField(column.fieldName) : nullptr;
    if (!field) return -1;
    // A refused value is told by the title the user reads above the cell, unless the screen named it.
    std::string title(Trim(column.title));
    if (!field->HasCaption() && !title.empty() && title != column.fieldName) field->SetCaption(title);
    return field->Index();
}

int DataSetModel::ColumnIndexOf(std::string_view fieldName) const
{
    for (int i = 0; i < ColumnCount(); ++i)
        if (EqualsNoCase(columns[static_cast<size_t>(i)].fieldName, fieldName)) return i;
    return -1;
}

void DataSetModel::ColumnChanged(int index)
{
    emit headerDataChanged(Qt::Horizontal, index, index);
    if (rows > 0) emit dataChanged(this->index(0, index), this->index(rows - 1, index));
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows;
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount();
}

Field* DataSetModel::FieldOf(int column) const
{
    if (!dataSet || column < 0 || column >= ColumnCount()) return nullptr;
    int field = fieldIndex[static_cast<size_t>(column)];
    return field < 0 ? nullptr : &dataSet->FieldByIndex(field);
}

QString DataSetModel::CellText(int row, int column) const
{
    const Field* field = FieldOf(column);
    if (!field || row < 0 || row >= rows) return {};
    const Variant& value = dataSet->ValueAt(row, field->Index());
    if (value.IsNull()) return {};
    switch (value.Type()) {
        case FieldType::Float:
        case FieldType::Integer:
            if (!Column(column).displayFormat.empty())
                return ToQString(FormatFloat(Column(column).displayFormat, value.AsFloat()));
            switch (Column(column).format) {
                case NumberFormat::Quantity:
                    return ToQString(FormatQuantityText(value.AsFloat()));
                case NumberFormat::Price:
                    return ToQString(FormatPriceText(value.AsFloat()));
                case NumberFormat::Amount:
                    return ToQString(FormatAmountText(value.AsFloat()));
                case NumberFormat::Plain:
                    break;
            }
            break;
        case FieldType::DateTime: {
            DateTime date = value.AsDateTime();
            return ToQString(date.TimeOfDay() == 0 ? date.Format("yyyy-mm-dd") : date.Format("yyyy-mm-dd hh:nn:ss"));
        }
        default:
            break;
    }
    return ToQString(value.AsString());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const DbGridColumn& column = Column(index.column());
    const Field* field = FieldOf(index.column());
    if (!field) return {};
    if (column.checkBox) {
        if (role != Qt::CheckStateRole) return {};
        return dataSet->ValueAt(index.row(), field->Index()).AsInteger() == 1 ? Qt::Checked : Qt::Unchecked;
    }
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), index.column());
        case Qt::EditRole: {
            const Variant& value = dataSet->ValueAt(index.row(), field->Index());
            if (value.IsNull()) return QString();
            // Numbers are edited as text: the spin boxes of the default editors clip at 99.99 and
            // would keep a person from typing what the field's own check should refuse.
            switch (field->DataType()) {
                case FieldType::DateTime: {
                    DateTime date = value.AsDateTime();
                    return QDate(date.Year(), date.Month(), date.Day());
                }
                default:
                    return ToQString(value.AsString());
            }
        }
        case Qt::TextAlignmentRole:
            if (column.alignment) return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
            if (field->DataType() == FieldType::Integer || field->DataType() == FieldType::Float)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
    }
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Field* field = FieldOf(index.column());
    if (!field || (flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)) == 0) return false;
    Variant newValue;
    if (role == Qt::CheckStateRole)
        newValue = value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0;
    else if (role != Qt::EditRole)
        return false;
    else if (value.typeId() == QMetaType::QDate) {
        QDate date = value.toDate();
        newValue = DateTime::FromYmd(date.year(), date.month(), date.day());
    } else if (value.typeId() == QMetaType::Double)
        newValue = value.toDouble();
    else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        newValue = static_cast<std::int64_t>(value.toLongLong());
    else
        newValue = ToStdString(value.toString());
    // A refused value (a BeforePost check, text that is no number) leaves the row as it was and
    // tells the user why, as the grid of the host does.
    writing = true;
    // An editor also commits when the grid follows a cursor that code walks over the rows (a check
    // or a write of the ticked rows): its value goes into its own row, and the walk goes on from
    // the row it was on instead of going over rows twice or never.
    const bool walkedAway = dataSet->RecNo() != index.row() + 1;
    const Bookmark walking = dataSet->GetBookmark();
    try {
        dataSet->SetRecNo(index.row() + 1);
        dataSet->Edit();
        field->SetValue(newValue);
        dataSet->Post();
        if (walkedAway && dataSet->BookmarkValid(walking)) dataSet->GotoBookmark(walking);
    } catch (const std::exception& error) {
        if (dataSet->State() == DataSetState::Edit || dataSet->State() == DataSetState::Insert) dataSet->Cancel();
        WriteEnded(index.row());
        mfg::ShowError(error);
        return false;
    }
    WriteEnded(index.row());
    return true;
}

void DataSetModel::WriteEnded(int row)
{
    writing = false;
    // Field events may have changed other rows; the editor of the cell is still open, so the view
    // hears of changed values, not of a reset that would take the editor away.
    if (rows > 0 && !columns.empty()) emit dataChanged(index(0, 0), index(rows - 1, ColumnCount() - 1));
    if (dataSet->RecNo() - 1 != row) emit CursorMoved(dataSet->RecNo() - 1);
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount()) {
        if (orientation == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
        return {};
    }
    if (role == Qt::DisplayRole) return ToQString(Column(section).title);
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const DbGridColumn& column = Column(index.column());
    const Field* field = FieldOf(index.column());
    if (!field || column.readOnly || field->Kind() == FieldKind::Calculated) return result;
    return result | (column.checkBox ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

void DataSetModel::sort(int column, Qt::SortOrder order)
{
    const Field* field = FieldOf(column);
    if (!field) return;
    sortColumn = column;
    sortOrder = order;
    dataSet->SetIndexFieldNames(field->Name() + (order == Qt::DescendingOrder ? ":D" : ""));
    RowsReset();
}

void DataSetModel::RowsReset()
{
    beginResetModel();
    rows = dataSet && dataSet->Active() ? dataSet->RecordCount() : 0;
    if (dataSet && dataSet->Active() && columns.empty()) {
        autoColumns = true;
        for (const auto& name : dataSet->FieldNames()) {
            DbGridColumn column;
            column.fieldName = name;
            column.title = name;
            columns.push_back(std::move(column));
        }
    }
    fieldIndex.clear();
    for (const auto& column : columns) fieldIndex.push_back(BindField(column));
    endResetModel();
    if (dataSet && !writing) emit CursorMoved(dataSet->RecNo() - 1);
}

void DataSetModel::RowChanged(int row)
{
    if (row < 0 || row >= rows || columns.empty()) return;
    emit dataChanged(index(row, 0), index(row, ColumnCount() - 1));
}

void DataSetModel::RowInserted(int row)
{
    beginInsertRows({}, row, row);
    ++rows;
    endInsertRows();
}

void DataSetModel::RowRemoved(int row)
{
    if (row < 0 || row >= rows) return;
    beginRemoveRows({}, row, row);
    --rows;
    endRemoveRows();
}

void DataSetModel::CurrentRowChanged(int row)
{
    if (!writing) emit CursorMoved(row);
}

}  // namespace mfg
