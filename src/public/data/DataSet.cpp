#include "data/DataSet.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include <fmt/format.h>

namespace mfg {
namespace {

const Variant nullValue;

// SQLite reports no type for computed columns; the values tell. A column whose first value is
// an integer but which also holds fractions (quantity differences) is a float column.
FieldType InferType(const std::vector<std::vector<Variant>>& rows, size_t column)
{
    FieldType found = FieldType::Unknown;
    for (const auto& row : rows) {
        if (column >= row.size() || row[column].IsNull()) continue;
        FieldType type = row[column].Type();
        if (found == FieldType::Unknown) {
            found = type;
            if (found != FieldType::Integer && found != FieldType::Bool) return found;
        } else if (type == FieldType::Float) {
            return FieldType::Float;
        } else if (type == FieldType::Integer) {
            found = FieldType::Integer;
        }
    }
    return found;
}

std::vector<std::string_view> SplitNames(std::string_view text)
{
    std::vector<std::string_view> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        auto item = Trim(text.substr(start, end - start));
        if (!item.empty()) names.push_back(item);
        start = end + 1;
    }
    return names;
}

}  // namespace

// ---- Field ------------------------------------------------------------------------------------

Field::Field(Key, DataSet& owner, std::string name, FieldType type, FieldKind kind, int index)
    : owner(&owner), name(std::move(name)), type(type), kind(kind), index(index)
{
}

const Variant& Field::Value() const { return owner->FieldValue(*this); }

const Variant& Field::OldValue() const { return owner->FieldOldValue(*this); }

void Field::SetValue(const Variant& value) { owner->SetFieldValue(*this, value); }

// ---- cached update plan -----------------------------------------------------------------------

struct DataSet::PreparedStatement {
    struct Binding {
        std::string name;
        int field = 0;
        bool old = false;
    };
    std::string role;
    std::string text;
    std::vector<Binding> bindings;
};

struct DataSet::UpdatePlan {
    std::vector<std::uint32_t> deletes, updates, inserts;
    PreparedStatement deleteSql, modifySql, insertSql;
};

template <typename Fn>
void DataSet::Notify(Fn&& fn)
{
    if (controlsDisabled > 0) {
        notificationsSuppressed = true;
        return;
    }
    for (size_t i = 0; i < observers.size(); ++i) fn(*observers[i]);
}

// ---- life -------------------------------------------------------------------------------------

DataSet::DataSet(std::string name) : name(std::move(name)) {}

DataSet::~DataSet() = default;

void DataSet::Fail(std::string_view problem) const
{
    if (name.empty()) throw DataSetError(std::string(problem));
    throw DataSetError(fmt::format("{}: {}", name, problem));
}

void DataSet::CheckActive() const
{
    if (!Active()) Fail("数据集未打开");
}

void DataSet::CheckInactive(std::string_view action) const
{
    if (Active()) Fail(fmt::format("数据集已打开，不能{}", action));
}

void DataSet::CheckCanChange() const
{
    CheckActive();
    if (calculating) Fail("计算字段时不能移动或修改记录");
}

void DataSet::CheckBrowseMode()
{
    if (state != DataSetState::Edit && state != DataSetState::Insert) return;
    // As the host does: a row with no value set since Edit or Append is dropped, not posted.
    if (modified)
        Post();
    else
        Cancel();
}

void DataSet::SetSql(std::string text)
{
    sql = std::move(text);
    mfg::Params next;
    for (auto& paramName : SqlParamNames(sql)) {
        Variant value;
        for (const auto& [oldName, oldValue] : params)
            if (EqualsNoCase(oldName, paramName)) value = oldValue;
        next.emplace_back(std::move(paramName), std::move(value));
    }
    params = std::move(next);
}

Variant& DataSet::ParamByName(std::string_view paramName)
{
    for (auto& [key, value] : params)
        if (EqualsNoCase(key, paramName)) return value;
    Fail(fmt::format("参数 ':{}' 不存在", paramName));
}

void DataSet::ResetStore()
{
    store.clear();
    order.clear();
    baseOrder.clear();
    view.clear();
    viewPosition.clear();
    positionsValid = false;
    ++generation;
    cursor = -1;
    bof = eof = true;
    modified = false;
    editBackup.clear();
    returnSlot = noRow;
    pendingInserts = pendingUpdates = pendingDeletes = 0;
}

void DataSet::BuildFields(const std::vector<FieldDef>& dataFields)
{
    size_t total = dataFields.size() + calcDefs.size();
    auto defAt = [&](size_t i) -> const FieldDef& {
        return i < dataFields.size() ? dataFields[i] : calcDefs[i - dataFields.size()];
    };
    // A reopen with the same columns keeps the Field objects, so references screens hold stay good.
    bool same = fields.size() == total && dataFieldCount == static_cast<int>(dataFields.size());
    for (size_t i = 0; same && i < total; ++i) same = EqualsNoCase(fields[i]->name, defAt(i).name);
    if (same) {
        for (size_t i = 0; i < total; ++i) fields[i]->type = defAt(i).type;
    } else {
        std::vector<std::unique_ptr<Field>> built;
        std::unordered_map<std::string, int, NameHash, NameEqual> index;
        for (size_t i = 0; i < total; ++i) {
            const FieldDef& def = defAt(i);
            FieldKind kind = i < dataFields.size() ? FieldKind::Data : FieldKind::Calculated;
            if (!index.emplace(def.name, static_cast<int>(i)).second) Fail(fmt::format("字段 '{}' 重复", def.name));
            built.push_back(std::make_unique<Field>(Field::Key{}, *this, def.name, def.type, kind, static_cast<int>(i)));
        }
        // The caption a grid gave a field outlives a reopen with other columns.
        for (auto& field : built)
            if (Field* before = FindField(field->name)) field->caption = before->caption;
        fields = std::move(built);
        fieldIndex = std::move(index);
        dataFieldCount = static_cast<int>(dataFields.size());
    }
    for (auto& field : fields) {
        auto range = numberRanges.find(field->name);
        field->range = range == numberRanges.end() ? std::nullopt : std::optional<NumberRange>(range->second);
    }
    fieldHandlers.assign(fields.size(), {});
    for (const auto& [handlerField, handler] : fieldChangeHandlers)
        if (auto it = fieldIndex.find(handlerField); it != fieldIndex.end()) fieldHandlers[it->second] = handler;
}

void DataSet::ResolveSortAndFilter()
{
    auto keys = ParseSortKeys(indexFieldNames);
    auto compiled = filtered ? CompileFilter(filterText) : FilterExpression();
    sortKeys = std::move(keys);
    filter = std::move(compiled);
}

void DataSet::Open(Connection& connection)
{
    if (Active()) return;
    if (Trim(sql).empty()) Fail("没有设置查询语句");
    ResultSet result = connection.Query(sql, params);
    lastConnection = &connection;

    std::vector<FieldDef> defs;
    std::unordered_set<std::string, NameHash, NameEqual> used;
    for (const auto& def : calcDefs) used.insert(def.name);
    for (size_t i = 0; i < result.columns.size(); ++i) {
        // Duplicate names (two joined tables with a "name" column) become name_1, name_2 as the host names them.
        std::string base = result.columns[i].name.empty() ? fmt::format("Column{}", i + 1) : result.columns[i].name;
        std::string unique = base;
        for (int n = 1; used.contains(unique); ++n) unique = fmt::format("{}_{}", base, n);
        used.insert(unique);
        FieldType type = result.columns[i].type;
        if (type == FieldType::Unknown) type = InferType(result.rows, i);
        defs.push_back({std::move(unique), type});
    }
    BuildFields(defs);
    ResolveSortAndFilter();

    ResetStore();
    store.reserve(result.rows.size());
    order.reserve(result.rows.size());
    for (auto& values : result.rows) {
        values.resize(fields.size());
        for (int i = 0; i < dataFieldCount; ++i) {
            Variant& value = values[static_cast<size_t>(i)];
            FieldType type = defs[static_cast<size_t>(i)].type;
            if (value.IsNull() || type == FieldType::Unknown || value.Type() == type) continue;
            try {
                value = value.ConvertedTo(type);
            } catch (const ConversionError&) {
                // A value the column type cannot hold stays as the database gave it.
            }
        }
        order.push_back(static_cast<std::uint32_t>(store.size()));
        store.push_back(RowRecord{std::move(values), {}, RowState::Unchanged, 0});
    }
    baseOrder = order;
    state = DataSetState::Browse;
    try {
        if (onCalcFields && !calcDefs.empty())
            for (std::uint32_t slot = 0; slot < store.size(); ++slot) CalcRow(slot);
    } catch (...) {
        Close();
        throw;
    }
    RebuildView(false);
    Fire(afterOpen, *this);
    FireScroll(noRow, true);
}

void DataSet::Requery()
{
    if (!lastConnection) Fail("数据集尚未从数据库打开过，不能重新查询");
    Connection& connection = *lastConnection;
    Close();
    Open(connection);
}

void DataSet::Close()
{
    if (!Active()) return;
    state = DataSetState::Inactive;
    calculating = false;
    ResetStore();
    Notify([](DataSetObserver& o) { o.RowsReset(); });
    noticedIndex = -1;
    noticedSlot = noRow;
}

void DataSet::AddField(std::string fieldName, FieldType type)
{
    CheckInactive("添加字段");
    for (const auto& def : dataDefs)
        if (EqualsNoCase(def.name, fieldName)) Fail(fmt::format("字段 '{}' 重复", fieldName));
    dataDefs.push_back({std::move(fieldName), type});
}

void DataSet::AddCalcField(std::string fieldName, FieldType type)
{
    CheckInactive("添加计算字段");
    for (const auto& def : calcDefs)
        if (EqualsNoCase(def.name, fieldName)) Fail(fmt::format("计算字段 '{}' 重复", fieldName));
    calcDefs.push_back({std::move(fieldName), type});
}

void DataSet::ClearFields()
{
    CheckInactive("清除字段");
    dataDefs.clear();
    calcDefs.clear();
    fields.clear();
    fieldIndex.clear();
    fieldHandlers.clear();
    dataFieldCount = 0;
}

void DataSet::CreateDataSet()
{
    CheckInactive("再次创建");
    if (dataDefs.empty()) Fail("没有定义字段，不能创建数据集");
    BuildFields(dataDefs);
    ResolveSortAndFilter();
    ResetStore();
    state = DataSetState::Browse;
    RebuildView(false);
    Fire(afterOpen, *this);
    FireScroll(noRow, true);
}

void DataSet::EmptyDataSet()
{
    CheckCanChange();
    std::uint32_t before = CurrentSlot();
    state = DataSetState::Browse;
    ResetStore();
    Notify([](DataSetObserver& o) { o.RowsReset(); });
    FireScroll(before, false);
}

// ---- fields -----------------------------------------------------------------------------------

Field* DataSet::FindField(std::string_view fieldName) const
{
    auto it = fieldIndex.find(fieldName);
    return it == fieldIndex.end() ? nullptr : fields[static_cast<size_t>(it->second)].get();
}

Field& DataSet::FieldByName(std::string_view fieldName)
{
    if (Field* field = FindField(fieldName)) return *field;
    Fail(fmt::format("字段 '{}' 不存在", fieldName));
}

const Field& DataSet::FieldByName(std::string_view fieldName) const
{
    if (Field* field = FindField(fieldName)) return *field;
    Fail(fmt::format("字段 '{}' 不存在", fieldName));
}

Field& DataSet::FieldByIndex(int index) const
{
    if (index < 0 || index >= FieldCount()) Fail(fmt::format("字段序号 {} 超出范围 (共 {} 个字段)", index, FieldCount()));
    return *fields[static_cast<size_t>(index)];
}

std::vector<std::string> DataSet::FieldNames() const
{
    std::vector<std::string> names;
    names.reserve(fields.size());
    for (const auto& field : fields) names.push_back(field->name);
    return names;
}

const Variant& DataSet::FieldValue(const Field& field) const
{
    if (!Active()) return nullValue;
    std::uint32_t slot = ActiveSlot();
    if (slot == noRow) return nullValue;
    return store[slot].values[static_cast<size_t>(field.index)];
}

const Variant& DataSet::FieldOldValue(const Field& field) const
{
    if (!Active()) return nullValue;
    std::uint32_t slot = ActiveSlot();
    if (slot == noRow) return nullValue;
    const RowRecord& row = store[slot];
    auto index = static_cast<size_t>(field.index);
    if (row.state == RowState::New || row.state == RowState::Inserted) return nullValue;
    if (!row.original.empty()) return row.original[index];
    if (state == DataSetState::Edit && slot == CurrentSlot() && !editBackup.empty()) return editBackup[index];
    return row.values[index];
}

Variant DataSet::TypedNumber(const Field& field, const std::string& text)
{
    // A cleared edit box means no value, unless the field has a range: then a number is wanted.
    if (!field.range && Trim(text).empty()) return Variant();
    NumberRange range = field.range.value_or(NumberRange::Signed(std::numeric_limits<double>::max()));
    if (field.type == FieldType::Float) return ParseUserNumber(text, field.Caption(), range);
    auto whole = ParseUserInteger(text, field.Caption(), static_cast<std::int64_t>(std::max(range.min, -9e18)),
                                  static_cast<std::int64_t>(std::min(range.max, 9e18)));
    CheckUserNumber(static_cast<double>(whole), field.Caption(), range);
    return whole;
}

void DataSet::SetFieldValue(Field& field, const Variant& value)
{
    if (!Active()) Fail(fmt::format("数据集未打开，不能修改字段 '{}'", field.name));
    auto convert = [&]() -> Variant {
        if (value.IsNull() || field.type == FieldType::Unknown || value.Type() == field.type) return value;
        bool number = field.type == FieldType::Float || field.type == FieldType::Integer;
        if (value.Type() == FieldType::Text && number) return TypedNumber(field, value.AsString());
        // A cleared edit box gives empty text; for a date that means no value, as in the host.
        if (value.Type() == FieldType::Text && field.type != FieldType::Text && Trim(value.AsString()).empty())
            return Variant();
        try {
            return value.ConvertedTo(field.type);
        } catch (const ConversionError& e) {
            Fail(fmt::format("字段 '{}' 不能取值 '{}': {}", field.name, value.AsString(), e.what()));
        }
    };
    auto index = static_cast<size_t>(field.index);
    if (calculating) {
        if (field.kind == FieldKind::Data) Fail(fmt::format("OnCalcFields 中不能修改数据字段 '{}'", field.name));
        store[calcSlot].values[index] = convert();
        return;
    }
    if (field.kind == FieldKind::Calculated) Fail(fmt::format("计算字段 '{}' 只能在 OnCalcFields 中赋值", field.name));
    if (state != DataSetState::Edit && state != DataSetState::Insert)
        Fail(fmt::format("数据集不在编辑或插入状态，不能修改字段 '{}'", field.name));
    std::uint32_t slot = CurrentSlot();
    store[slot].values[index] = convert();
    modified = true;
    CalcRow(slot);
    int row = cursor;
    Notify([row](DataSetObserver& o) { o.RowChanged(row); });
    if (index < fieldHandlers.size() && fieldHandlers[index]) {
        FieldChangeHandler handler = fieldHandlers[index];
        handler(field);
    }
    if (anyFieldChange) {
        FieldChangeHandler handler = anyFieldChange;
        handler(field);
    }
}

void DataSet::CalcRow(std::uint32_t slot)
{
    if (!onCalcFields || calcDefs.empty()) return;
    auto& values = store[slot].values;
    for (size_t i = static_cast<size_t>(dataFieldCount); i < values.size(); ++i) values[i] = Variant();
    bool wasCalculating = calculating;
    std::uint32_t previous = calcSlot;
    calculating = true;
    calcSlot = slot;
    try {
        onCalcFields(*this);
    } catch (...) {
        calculating = wasCalculating;
        calcSlot = previous;
        throw;
    }
    calculating = wasCalculating;
    calcSlot = previous;
}

void DataSet::SetNumberRange(std::string_view fieldName, NumberRange range)
{
    numberRanges.insert_or_assign(std::string(fieldName), range);
    if (Field* field = FindField(fieldName)) field->range = range;
}

void DataSet::OnFieldChange(std::string_view fieldName, FieldChangeHandler handler)
{
    Field* field = FindField(fieldName);
    if (Active() && !field) Fail(fmt::format("字段 '{}' 不存在", fieldName));
    if (handler)
        fieldChangeHandlers[std::string(fieldName)] = handler;
    else
        fieldChangeHandlers.erase(std::string(fieldName));
    if (field) fieldHandlers[static_cast<size_t>(field->index)] = std::move(handler);
}

// ---- view and cursor --------------------------------------------------------------------------

void DataSet::SyncCurrentRow()
{
    std::uint32_t slot = CurrentSlot();
    if (cursor == noticedIndex && slot == noticedSlot) return;
    noticedIndex = cursor;
    noticedSlot = slot;
    int row = cursor;
    Notify([row](DataSetObserver& o) { o.CurrentRowChanged(row); });
}

void DataSet::FireScroll(std::uint32_t before, bool always)
{
    SyncCurrentRow();
    if (always || CurrentSlot() != before) Fire(afterScroll, *this);
}

bool DataSet::SortLess(std::uint32_t a, std::uint32_t b) const
{
    const auto& x = store[a].values;
    const auto& y = store[b].values;
    for (const auto& key : sortKeys) {
        auto field = static_cast<size_t>(key.field);
        int c = Variant::Compare(x[field], y[field], key.noCase);
        if (c != 0) return key.descending ? c > 0 : c < 0;
    }
    return false;
}

bool DataSet::Visible(const RowRecord& row) const { return !filtered || filter.Matches(row.values); }

void DataSet::RebuildView(bool keepCurrent)
{
    std::uint32_t keep = keepCurrent ? CurrentSlot() : noRow;
    view.clear();
    view.reserve(order.size());
    bool useFilter = filtered && !filter.Empty();
    for (std::uint32_t slot : order)
        if (!useFilter || filter.Matches(store[slot].values)) view.push_back(slot);
    if (!sortKeys.empty())
        std::stable_sort(view.begin(), view.end(), [this](std::uint32_t a, std::uint32_t b) { return SortLess(a, b); });
    InvalidatePositions();
    int index = keep != noRow ? ViewIndexOf(keep) : -1;
    if (index < 0) index = view.empty() ? -1 : 0;
    cursor = index;
    bof = index <= 0;
    eof = view.empty();
    Notify([](DataSetObserver& o) { o.RowsReset(); });
}

int DataSet::ViewIndexOf(std::uint32_t slot) const
{
    if (!positionsValid) {
        viewPosition.assign(store.size(), -1);
        for (size_t i = 0; i < view.size(); ++i) viewPosition[view[i]] = static_cast<int>(i);
        positionsValid = true;
    }
    return slot < viewPosition.size() ? viewPosition[slot] : -1;
}

void DataSet::RemoveFromOrder(std::uint32_t slot)
{
    auto it = std::find(order.begin(), order.end(), slot);
    if (it != order.end()) order.erase(it);
}

void DataSet::First()
{
    CheckCanChange();
    CheckBrowseMode();
    std::uint32_t before = CurrentSlot();
    cursor = view.empty() ? -1 : 0;
    bof = true;
    eof = view.empty();
    FireScroll(before, true);
}

void DataSet::Last()
{
    CheckCanChange();
    CheckBrowseMode();
    std::uint32_t before = CurrentSlot();
    cursor = static_cast<int>(view.size()) - 1;
    bof = view.empty();
    eof = true;
    FireScroll(before, true);
}

int DataSet::MoveBy(int distance)
{
    CheckCanChange();
    CheckBrowseMode();
    if (view.empty()) {
        bof = eof = true;
        return 0;
    }
    if (distance == 0) return 0;
    std::uint32_t before = CurrentSlot();
    int last = static_cast<int>(view.size()) - 1;
    int target = cursor + distance;
    if (distance > 0) {
        bof = false;
        eof = target > last;
        target = std::min(target, last);
    } else {
        eof = false;
        bof = target < 0;
        target = std::max(target, 0);
    }
    int moved = target - cursor;
    cursor = target;
    FireScroll(before, false);
    return moved;
}

void DataSet::SetRecNo(int recNo)
{
    CheckCanChange();
    if (view.empty()) return;
    // The row meant is the one at recNo now: ending the edit below may drop an untouched new row
    // or move a posted one in the sort order, and the positions after it shift.
    std::uint32_t target = view[static_cast<size_t>(std::clamp(recNo, 1, RecordCount()) - 1)];
    if (target == CurrentSlot()) return;
    CheckBrowseMode();
    std::uint32_t before = CurrentSlot();
    cursor = ViewIndexOf(target);
    bof = eof = false;
    FireScroll(before, false);
}

std::vector<int> DataSet::ResolveFieldList(std::string_view fieldNames) const
{
    std::vector<int> indexes;
    for (auto fieldName : SplitNames(fieldNames)) indexes.push_back(FieldByName(fieldName).index);
    if (indexes.empty()) Fail("没有给出字段名");
    return indexes;
}

std::vector<Variant> DataSet::ConvertKeys(const std::vector<int>& keyFields, const std::vector<Variant>& values) const
{
    if (keyFields.size() != values.size())
        Fail(fmt::format("查找的字段有 {} 个，值却有 {} 个", keyFields.size(), values.size()));
    std::vector<Variant> keys;
    keys.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        FieldType type = fields[static_cast<size_t>(keyFields[i])]->type;
        const Variant& value = values[i];
        if (value.IsNull() || type == FieldType::Unknown || value.Type() == type) {
            keys.push_back(value);
            continue;
        }
        try {
            keys.push_back(value.ConvertedTo(type));
        } catch (const ConversionError&) {
            keys.push_back(value);  // cannot equal any value of the field; compares as it is
        }
    }
    return keys;
}

bool DataSet::KeysMatch(const RowRecord& row, const std::vector<int>& keyFields, const std::vector<Variant>& keys,
                        LocateOptions options) const
{
    for (size_t i = 0; i < keyFields.size(); ++i) {
        const Variant& value = row.values[static_cast<size_t>(keyFields[i])];
        const Variant& key = keys[i];
        if (key.IsNull() || value.IsNull()) {
            if (key.IsNull() != value.IsNull()) return false;
            continue;
        }
        if (options.partialKey && value.Type() == FieldType::Text) {
            std::string text = value.AsString();
            std::string prefix = key.AsString();
            bool starts = options.caseInsensitive ? StartsWithNoCase(text, prefix)
                                                  : std::string_view(text).starts_with(prefix);
            if (!starts) return false;
            continue;
        }
        if (Variant::Compare(value, key, options.caseInsensitive) != 0) return false;
    }
    return true;
}

bool DataSet::Locate(std::string_view keyFields, const std::vector<Variant>& values, LocateOptions options)
{
    CheckCanChange();
    auto indexes = ResolveFieldList(keyFields);
    auto keys = ConvertKeys(indexes, values);
    CheckBrowseMode();
    for (size_t i = 0; i < view.size(); ++i) {
        if (!KeysMatch(store[view[i]], indexes, keys, options)) continue;
        std::uint32_t before = CurrentSlot();
        cursor = static_cast<int>(i);
        bof = eof = false;
        FireScroll(before, true);
        return true;
    }
    return false;
}

Variant DataSet::Lookup(std::string_view keyFields, const std::vector<Variant>& values,
                        std::string_view resultField) const
{
    CheckActive();
    auto indexes = ResolveFieldList(keyFields);
    auto keys = ConvertKeys(indexes, values);
    auto result = static_cast<size_t>(FieldByName(resultField).index);
    for (std::uint32_t slot : view)
        if (KeysMatch(store[slot], indexes, keys, {})) return store[slot].values[result];
    return {};
}

Bookmark DataSet::GetBookmark() const { return Bookmark{CurrentSlot(), generation}; }

bool DataSet::BookmarkValid(const Bookmark& bookmark) const
{
    if (!Active() || bookmark.generation != generation || bookmark.row >= store.size()) return false;
    RowState rowState = store[bookmark.row].state;
    if (rowState == RowState::Deleted || rowState == RowState::Dead) return false;
    return ViewIndexOf(bookmark.row) >= 0;
}

void DataSet::GotoBookmark(const Bookmark& bookmark)
{
    CheckCanChange();
    if (!BookmarkValid(bookmark)) Fail("书签所指的记录已不存在或已被过滤");
    CheckBrowseMode();
    // Posting may have filtered the row out, or cancelled the untouched new row it named.
    int index = BookmarkValid(bookmark) ? ViewIndexOf(bookmark.row) : -1;
    if (index < 0) Fail("书签所指的记录已不存在或已被过滤");
    std::uint32_t before = CurrentSlot();
    cursor = index;
    bof = eof = false;
    FireScroll(before, true);
}

const Variant& DataSet::ValueAt(int row, int fieldIndex) const
{
    if (row < 0 || row >= RecordCount()) Fail(fmt::format("行号 {} 超出范围 (共 {} 行)", row, RecordCount()));
    if (fieldIndex < 0 || fieldIndex >= FieldCount())
        Fail(fmt::format("字段序号 {} 超出范围 (共 {} 个字段)", fieldIndex, FieldCount()));
    return store[view[static_cast<size_t>(row)]].values[static_cast<size_t>(fieldIndex)];
}

// ---- editing ----------------------------------------------------------------------------------

void DataSet::SetRowState(RowRecord& row, RowState newState)
{
    if (row.state == newState) return;
    auto count = [this](RowState rowState, int delta) {
        if (rowState == RowState::Modified) pendingUpdates += delta;
        if (rowState == RowState::Deleted) pendingDeletes += delta;
        if (rowState == RowState::Inserted) pendingInserts += delta;
    };
    count(row.state, -1);
    count(newState, 1);
    row.state = newState;
    if (newState == RowState::Modified || newState == RowState::Deleted || newState == RowState::Inserted)
        row.changeSeq = ++changeCounter;
    if (newState == RowState::Dead) {
        std::vector<Variant>().swap(row.values);
        std::vector<Variant>().swap(row.original);
    }
}

void DataSet::Edit()
{
    CheckCanChange();
    if (state == DataSetState::Edit || state == DataSetState::Insert) return;
    if (view.empty()) {
        Append();
        return;
    }
    editBackup = store[CurrentSlot()].values;
    state = DataSetState::Edit;
    modified = false;
}

void DataSet::StartNewRow(bool append)
{
    CheckCanChange();
    CheckBrowseMode();
    std::uint32_t before = CurrentSlot();
    auto slot = static_cast<std::uint32_t>(store.size());
    store.push_back(RowRecord{std::vector<Variant>(fields.size()), {}, RowState::New, 0});
    int index = 0;
    if (append || before == noRow) {
        order.push_back(slot);
        index = static_cast<int>(view.size());
        view.push_back(slot);
    } else {
        auto at = std::find(order.begin(), order.end(), before);
        order.insert(at, slot);
        index = cursor;
        view.insert(view.begin() + index, slot);
    }
    InvalidatePositions();
    returnSlot = before;
    state = DataSetState::Insert;
    cursor = index;
    bof = eof = false;
    Notify([index](DataSetObserver& o) { o.RowInserted(index); });
    SyncCurrentRow();
    try {
        Fire(onNewRecord, *this);
        CalcRow(slot);
    } catch (...) {
        Cancel();
        throw;
    }
    modified = false;
    FireScroll(before, true);
}

void DataSet::Append() { StartNewRow(true); }

void DataSet::Insert() { StartNewRow(false); }

void DataSet::AppendRecord(const std::vector<Variant>& values)
{
    CheckCanChange();
    if (values.size() > static_cast<size_t>(dataFieldCount))
        Fail(fmt::format("AppendRecord 给出 {} 个值，数据字段只有 {} 个", values.size(), dataFieldCount));
    Append();
    try {
        for (size_t i = 0; i < values.size(); ++i) fields[i]->SetValue(values[i]);
        Post();
    } catch (...) {
        if (state == DataSetState::Insert) Cancel();
        throw;
    }
}

void DataSet::Delete()
{
    CheckCanChange();
    if (state == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (state == DataSetState::Edit) Cancel();
    if (view.empty()) Fail("数据集为空，没有可删除的记录");
    Fire(beforeDelete, *this);
    std::uint32_t slot = CurrentSlot();
    RowRecord& row = store[slot];
    SetRowState(row, row.state == RowState::Inserted ? RowState::Dead : RowState::Deleted);
    int index = cursor;
    view.erase(view.begin() + index);
    RemoveFromOrder(slot);
    InvalidatePositions();
    Notify([index](DataSetObserver& o) { o.RowRemoved(index); });
    int size = static_cast<int>(view.size());
    if (size == 0) {
        cursor = -1;
        bof = eof = true;
    } else if (index >= size) {
        cursor = size - 1;
        bof = false;
        eof = true;
    } else {
        cursor = index;
        bof = eof = false;
    }
    SyncCurrentRow();
    Fire(afterDelete, *this);
    FireScroll(slot, true);
}

void DataSet::Post()
{
    CheckCanChange();
    if (state != DataSetState::Edit && state != DataSetState::Insert) return;
    Fire(beforePost, *this);
    std::uint32_t slot = CurrentSlot();
    RowRecord& row = store[slot];
    auto differs = [this](const std::vector<Variant>& a, const std::vector<Variant>& b) {
        for (int i = 0; i < dataFieldCount; ++i)
            if (!(a[static_cast<size_t>(i)] == b[static_cast<size_t>(i)])) return true;
        return false;
    };
    if (state == DataSetState::Insert) {
        SetRowState(row, RowState::Inserted);
    } else if (row.state == RowState::Unchanged) {
        if (differs(row.values, editBackup)) {
            row.original = std::move(editBackup);
            SetRowState(row, RowState::Modified);
        }
    } else if (row.state == RowState::Modified && !differs(row.values, row.original)) {
        // Edited back to the values as read: nothing is left to apply.
        row.original.clear();
        SetRowState(row, RowState::Unchanged);
    }
    editBackup.clear();
    state = DataSetState::Browse;
    modified = false;
    returnSlot = noRow;
    PlaceAfterPost(slot);
    Fire(afterPost, *this);
    FireScroll(slot, false);
}

void DataSet::PlaceAfterPost(std::uint32_t slot)
{
    int index = cursor;
    if (!Visible(store[slot])) {
        view.erase(view.begin() + index);
        InvalidatePositions();
        Notify([index](DataSetObserver& o) { o.RowRemoved(index); });
        int size = static_cast<int>(view.size());
        cursor = size == 0 ? -1 : std::min(index, size - 1);
        bof = size == 0;
        eof = size == 0 || index >= size;
        SyncCurrentRow();
        return;
    }
    if (sortKeys.empty()) return;
    auto size = static_cast<int>(view.size());
    bool afterPrevious = index == 0 || !SortLess(slot, view[static_cast<size_t>(index - 1)]);
    bool beforeNext = index + 1 >= size || !SortLess(view[static_cast<size_t>(index + 1)], slot);
    if (afterPrevious && beforeNext) return;
    RebuildView(true);
    SyncCurrentRow();
}

void DataSet::Cancel()
{
    CheckCanChange();
    if (state == DataSetState::Edit) {
        store[CurrentSlot()].values = std::move(editBackup);
        editBackup.clear();
        state = DataSetState::Browse;
        modified = false;
        int row = cursor;
        Notify([row](DataSetObserver& o) { o.RowChanged(row); });
        return;
    }
    if (state != DataSetState::Insert) return;
    std::uint32_t slot = CurrentSlot();
    int index = cursor;
    SetRowState(store[slot], RowState::Dead);
    view.erase(view.begin() + index);
    RemoveFromOrder(slot);
    InvalidatePositions();
    state = DataSetState::Browse;
    modified = false;
    Notify([index](DataSetObserver& o) { o.RowRemoved(index); });
    int back = returnSlot != noRow ? ViewIndexOf(returnSlot) : -1;
    if (back < 0 && !view.empty()) back = std::min(index, static_cast<int>(view.size()) - 1);
    cursor = back;
    bof = eof = view.empty();
    returnSlot = noRow;
    FireScroll(slot, true);
}

RowUpdateStatus DataSet::UpdateStatus() const
{
    std::uint32_t slot = CurrentSlot();
    if (!Active() || slot == noRow) return RowUpdateStatus::Unmodified;
    switch (store[slot].state) {
    case RowState::Modified: return RowUpdateStatus::Modified;
    case RowState::New:
    case RowState::Inserted: return RowUpdateStatus::Inserted;
    default: return RowUpdateStatus::Unmodified;
    }
}

// ---- cached updates ---------------------------------------------------------------------------

void DataSet::SetUpdateTable(std::string table, std::string keyFields, std::string columns)
{
    updateTable = std::move(table);
    updateKeys = std::move(keyFields);
    updateColumns = std::move(columns);
}

DataSet::PreparedStatement DataSet::Prepare(const std::string& text, std::string_view role) const
{
    PreparedStatement prepared;
    prepared.role = std::string(role);
    prepared.text = text;
    for (auto& paramName : SqlParamNames(text)) {
        PreparedStatement::Binding binding;
        std::string_view rest = paramName;
        Field* field = nullptr;
        if (StartsWithNoCase(rest, "OLD_")) {
            field = FindField(rest.substr(4));
            binding.old = field != nullptr;
        }
        if (!field) field = FindField(paramName);
        if (!field) Fail(fmt::format("{} 的参数 ':{}' 没有对应的字段。语句: {}", role, paramName, text));
        binding.field = field->index;
        binding.name = std::move(paramName);
        prepared.bindings.push_back(std::move(binding));
    }
    return prepared;
}

const Variant& DataSet::OriginalValue(const RowRecord& row, int field) const
{
    if (row.state == RowState::Inserted) return nullValue;
    const auto& values = row.original.empty() ? row.values : row.original;
    return values[static_cast<size_t>(field)];
}

DataSet::UpdatePlan DataSet::PlanUpdates() const
{
    UpdatePlan plan;
    for (std::uint32_t slot = 0; slot < store.size(); ++slot) {
        switch (store[slot].state) {
        case RowState::Deleted: plan.deletes.push_back(slot); break;
        case RowState::Modified: plan.updates.push_back(slot); break;
        case RowState::Inserted: plan.inserts.push_back(slot); break;
        default: break;
        }
    }
    auto byChange = [this](std::uint32_t a, std::uint32_t b) { return store[a].changeSeq < store[b].changeSeq; };
    std::sort(plan.deletes.begin(), plan.deletes.end(), byChange);
    std::sort(plan.updates.begin(), plan.updates.end(), byChange);
    std::sort(plan.inserts.begin(), plan.inserts.end(), byChange);
    if (plan.deletes.empty() && plan.updates.empty() && plan.inserts.empty()) return plan;

    mfg::UpdateSql statements = updateSql;
    if (statements.Empty() && !updateTable.empty()) {
        std::vector<std::string> columns;
        if (Trim(updateColumns).empty()) {
            for (int i = 0; i < dataFieldCount; ++i) columns.push_back(fields[static_cast<size_t>(i)]->name);
        } else {
            for (auto column : SplitNames(updateColumns)) columns.push_back(FieldByName(column).name);
        }
        try {
            statements = UpdateSql::ForTable(updateTable, updateKeys, columns);
        } catch (const std::invalid_argument& e) {
            Fail(e.what());
        }
    }
    auto need = [&](const std::vector<std::uint32_t>& rows, const std::string& text, std::string_view role,
                    std::string_view what, PreparedStatement& prepared) {
        if (rows.empty()) return;
        if (Trim(text).empty()) Fail(fmt::format("没有设置 {}，不能提交 {} 条{}的记录", role, rows.size(), what));
        prepared = Prepare(text, role);
    };
    need(plan.deletes, statements.DeleteSQL, "DeleteSQL", "删除", plan.deleteSql);
    need(plan.updates, statements.ModifySQL, "ModifySQL", "修改", plan.modifySql);
    need(plan.inserts, statements.InsertSQL, "InsertSQL", "新增", plan.insertSql);
    return plan;
}

void DataSet::RunUpdates(Connection& connection, const UpdatePlan& plan) const
{
    auto run = [&](const std::vector<std::uint32_t>& rows, const PreparedStatement& statement, bool mustTouch) {
        for (std::uint32_t slot : rows) {
            const RowRecord& row = store[slot];
            mfg::Params bound;
            bound.reserve(statement.bindings.size());
            for (const auto& binding : statement.bindings)
                bound.emplace_back(binding.name, binding.old ? OriginalValue(row, binding.field)
                                                             : row.values[static_cast<size_t>(binding.field)]);
            std::int64_t changed = connection.Execute(statement.text, bound);
            if (mustTouch && checkRowsAffected && changed == 0)
                throw DataSetError("要保存的记录已被删除或修改, 请重新打开后再改",
                                   fmt::format("{} {}: {}", name, statement.role, statement.text));
        }
    };
    run(plan.deletes, plan.deleteSql, true);
    run(plan.updates, plan.modifySql, true);
    run(plan.inserts, plan.insertSql, false);
}

void DataSet::ApplyUpdates(Connection& connection)
{
    CheckCanChange();
    CheckBrowseMode();
    RunUpdates(connection, PlanUpdates());
}

void DataSet::UpdateBatch(Connection& connection)
{
    CheckCanChange();
    CheckBrowseMode();
    if (!UpdatesPending()) return;
    UpdatePlan plan = PlanUpdates();
    if (useTrans) {
        TransactionGuard transaction(connection);
        RunUpdates(connection, plan);
        transaction.Commit();
    } else {
        RunUpdates(connection, plan);
    }
    CommitUpdates();
}

void DataSet::CommitUpdates()
{
    CheckCanChange();
    CheckBrowseMode();
    for (auto& row : store) {
        if (row.state == RowState::Deleted) {
            SetRowState(row, RowState::Dead);
        } else if (row.state == RowState::Modified || row.state == RowState::Inserted) {
            row.original.clear();
            SetRowState(row, RowState::Unchanged);
        }
    }
    baseOrder = order;
}

void DataSet::CancelBatch()
{
    CheckCanChange();
    if (state == DataSetState::Edit || state == DataSetState::Insert) Cancel();
    std::uint32_t before = CurrentSlot();
    for (std::uint32_t slot = 0; slot < store.size(); ++slot) {
        RowRecord& row = store[slot];
        switch (row.state) {
        case RowState::Modified:
        case RowState::Deleted:
            if (!row.original.empty()) {
                row.values = std::move(row.original);
                row.original.clear();
            }
            SetRowState(row, RowState::Unchanged);
            CalcRow(slot);
            break;
        case RowState::New:
        case RowState::Inserted: SetRowState(row, RowState::Dead); break;
        default: break;
        }
    }
    order = baseOrder;
    RebuildView(true);
    FireScroll(before, false);
}

void UpdateBatches(Connection& connection, std::initializer_list<DataSet*> dataSets)
{
    std::vector<DataSet::UpdatePlan> plans;
    for (DataSet* dataSet : dataSets) {
        dataSet->CheckCanChange();
        dataSet->CheckBrowseMode();
        plans.push_back(dataSet->PlanUpdates());
    }
    {
        TransactionGuard transaction(connection);
        size_t i = 0;
        for (DataSet* dataSet : dataSets) dataSet->RunUpdates(connection, plans[i++]);
        transaction.Commit();
    }
    for (DataSet* dataSet : dataSets) dataSet->CommitUpdates();
}

// ---- filter and sort --------------------------------------------------------------------------

FilterExpression DataSet::CompileFilter(const std::string& text) const
{
    return FilterExpression::Compile(
        text,
        [this](std::string_view fieldName) -> std::optional<FilterExpression::FieldInfo> {
            Field* field = FindField(fieldName);
            if (!field) return std::nullopt;
            return FilterExpression::FieldInfo{field->index, field->type};
        },
        filterOptions);
}

void DataSet::SetFilter(std::string expression)
{
    if (!Active()) {
        FilterExpression::CheckSyntax(expression);
        filterText = std::move(expression);
        return;
    }
    // Bound at once even while not filtered, so a misspelt field shows where the text was set.
    FilterExpression compiled = CompileFilter(expression);
    if (!filtered) {
        filterText = std::move(expression);
        return;
    }
    CheckCanChange();
    CheckBrowseMode();
    filterText = std::move(expression);
    filter = std::move(compiled);
    std::uint32_t before = CurrentSlot();
    RebuildView(false);
    FireScroll(before, true);
}

void DataSet::SetFiltered(bool value)
{
    if (value == filtered) return;
    if (!Active()) {
        filtered = value;
        return;
    }
    CheckCanChange();
    CheckBrowseMode();
    filter = value ? CompileFilter(filterText) : FilterExpression();
    filtered = value;
    std::uint32_t before = CurrentSlot();
    RebuildView(false);
    FireScroll(before, true);
}

void DataSet::SetFilterOptions(FilterOptions options)
{
    FilterOptions previous = filterOptions;
    filterOptions = options;
    if (!Active() || !filtered) return;
    try {
        CheckCanChange();
        CheckBrowseMode();
        filter = CompileFilter(filterText);
    } catch (...) {
        filterOptions = previous;
        throw;
    }
    std::uint32_t before = CurrentSlot();
    RebuildView(false);
    FireScroll(before, true);
}

std::vector<DataSet::SortKey> DataSet::ParseSortKeys(std::string_view fieldNames) const
{
    std::vector<SortKey> keys;
    for (auto item : SplitNames(fieldNames)) {
        SortKey key;
        std::string_view fieldName = item;
        std::string_view flags;
        if (auto colon = item.rfind(':'); colon != std::string_view::npos) {
            flags = Trim(item.substr(colon + 1));
            fieldName = Trim(item.substr(0, colon));
        } else if (auto blank = item.find_last_of(" \t"); blank != std::string_view::npos) {
            std::string_view word = item.substr(blank + 1);
            if (EqualsNoCase(word, "desc") || EqualsNoCase(word, "asc")) {
                key.descending = EqualsNoCase(word, "desc");
                fieldName = Trim(item.substr(0, blank));
            }
        }
        for (char flag : flags) {
            if (flag == 'D' || flag == 'd')
                key.descending = true;
            else if (flag == 'A' || flag == 'a')
                key.descending = false;
            else if (flag == 'N' || flag == 'n')
                key.noCase = true;
            else
                Fail(fmt::format("排序字段 '{}' 的选项 ':{}' 无效 (可用 D、A、N)", fieldName, flags));
        }
        Field* field = FindField(fieldName);
        if (!field) Fail(fmt::format("排序字段 '{}' 不存在", fieldName));
        key.field = field->index;
        keys.push_back(key);
    }
    return keys;
}

void DataSet::SetIndexFieldNames(std::string fieldNames)
{
    if (!Active()) {
        indexFieldNames = std::move(fieldNames);
        return;
    }
    CheckCanChange();
    CheckBrowseMode();
    auto keys = ParseSortKeys(fieldNames);
    sortKeys = std::move(keys);
    indexFieldNames = std::move(fieldNames);
    std::uint32_t before = CurrentSlot();
    RebuildView(true);
    FireScroll(before, false);
}

// ---- views ------------------------------------------------------------------------------------

void DataSet::EnableControls()
{
    if (controlsDisabled == 0) return;
    if (--controlsDisabled > 0 || !notificationsSuppressed) return;
    notificationsSuppressed = false;
    noticedIndex = cursor;
    noticedSlot = CurrentSlot();
    Notify([](DataSetObserver& o) { o.RowsReset(); });
}

void DataSet::AddObserver(DataSetObserver* observer)
{
    if (observer && std::find(observers.begin(), observers.end(), observer) == observers.end())
        observers.push_back(observer);
}

void DataSet::RemoveObserver(DataSetObserver* observer)
{
    observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

}  // namespace mfg
