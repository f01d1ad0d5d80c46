#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/FilterExpression.h"
#include "data/UpdateSql.h"
#include "db/Connection.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"
#include "types/Variant.h"

namespace mfg {

class DataSet;

//! A misuse of a dataset or a cached update that cannot be applied; the text names the dataset
//! and the field, state or statement concerned.
class DataSetError : public std::runtime_error {
public:
    explicit DataSetError(const std::string& message, std::string statement = {})
        : std::runtime_error(message), statementText(std::move(statement))
    {
    }
    //! The statement concerned, for the log; empty when none is.
    const std::string& Statement() const { return statementText; }

private:
    std::string statementText;
};

//! What the dataset is doing with its current row.
enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

//! Whether a field holds data (read, posted and applied) or is computed by OnCalcFields.
enum class FieldKind { Data, Calculated };

//! The cached-update status of a row.
enum class RowUpdateStatus { Unmodified, Modified, Inserted };

//! One field of a dataset. It reads and writes the current row; inside OnCalcFields, the row
//! being calculated. The dataset owns its fields; a reference stays valid while the field list
//! stays the same (a reopen with the same columns keeps it).
class Field {
    struct Key {
        explicit Key() = default;
    };

public:
    Field(Key, DataSet& owner, std::string name, FieldType type, FieldKind kind, int index);
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    const std::string& Name() const { return name; }
    FieldType DataType() const { return type; }
    FieldKind Kind() const { return kind; }
    //! Position among the dataset's fields, data fields first.
    int Index() const { return index; }
    DataSet& Owner() const { return *owner; }

    //! The current value; null when the dataset has no current row.
    const Variant& Value() const;
    //! The value as read (or as last applied); null for a row inserted since.
    const Variant& OldValue() const;
    bool IsNull() const { return Value().IsNull(); }
    std::string AsString() const { return Value().AsString(); }
    std::int64_t AsInteger() const { return Value().AsInteger(); }
    double AsFloat() const { return Value().AsFloat(); }
    DateTime AsDateTime() const { return Value().AsDateTime(); }
    bool AsBool() const { return Value().AsBool(); }

    //! The name a person knows the field by (its grid column's title); the field name until one is set.
    const std::string& Caption() const { return caption.empty() ? name : caption; }
    bool HasCaption() const { return !caption.empty(); }
    void SetCaption(std::string value) { caption = std::move(value); }
    //! The numbers typed text may give the field (DataSet::SetNumberRange); without a range any
    //! finite number is taken and blank text clears it, with one blank text is refused.
    const std::optional<NumberRange>& Range() const { return range; }

    //! Sets the value, converted to the field's type, then runs the field change handlers. Text
    //! into a number field is read by ParseUserNumber (ParseUserInteger) with the caption and the
    //! range, so a refusal is an InputError naming the caption; blank text into a date clears it.
    //! The dataset must be in Edit or Insert state.
    void SetValue(const Variant& value);
    void Clear() { SetValue(Variant()); }

private:
    friend class DataSet;
    DataSet* owner;
    std::string name;
    FieldType type;
    FieldKind kind;
    int index;
    std::string caption;
    std::optional<NumberRange> range;
};

//! Follows a dataset for a view (a table model). Rows are 0-based positions among the visible rows.
//! Nothing is sent while controls are disabled; the final EnableControls sends one RowsReset.
class DataSetObserver {
public:
    virtual ~DataSetObserver() = default;
    //! Everything may have changed: re-read the rows, the fields and the current row.
    virtual void RowsReset() {}
    //! A value of the row changed.
    virtual void RowChanged(int row) {}
    //! A row now sits at `row`; rows from there on moved down by one.
    virtual void RowInserted(int row) {}
    //! The row at `row` left the view; rows after it moved up by one.
    virtual void RowRemoved(int row) {}
    //! The cursor moved to `row` (-1 when there is no current row).
    virtual void CurrentRowChanged(int row) {}
};

//! A position that GotoBookmark returns to, whatever rows are inserted or deleted around it.
struct Bookmark {
    std::uint32_t row = UINT32_MAX;
    std::uint32_t generation = 0;
    friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

//! How Locate compares its key values.
struct LocateOptions {
    bool caseInsensitive = false;  //!< text keys compare ignoring ASCII case
    bool partialKey = false;       //!< a text key matches a field value that starts with it
};

//! The cached-update dataset of the screens: rows read from a query (or defined in memory), a
//! cursor, Edit/Insert states, changes kept pending until UpdateBatch, a filter, a sort order,
//! events, calculated fields and observers.
//!
//! UpdateBatch applies the pending deletes first, then the updates, then the inserts, each group
//! in the order the changes were made: a deleted row frees its key before a changed or new row
//! takes it, and an update that moves a key away runs before an insert reuses that key.
class DataSet {
public:
    using EventHandler = std::function<void(DataSet&)>;
    using FieldChangeHandler = std::function<void(Field&)>;

    explicit DataSet(std::string name = {});
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    //! The name used in error messages (e.g. "cdsMP").
    const std::string& Name() const { return name; }
    void SetName(std::string value) { name = std::move(value); }

    // ---- query ----------------------------------------------------------------------------

    //! Sets the statement; its ":name" parameters become Params (values of names kept are kept).
    void SetSql(std::string text);
    const std::string& Sql() const { return sql; }
    const mfg::Params& Params() const { return params; }
    //! The value of a parameter of the statement; throws DataSetError naming an unknown one.
    Variant& ParamByName(std::string_view paramName);
    void SetParam(std::string_view paramName, Variant value) { ParamByName(paramName) = std::move(value); }
    //! Runs the statement and reads its rows; fields come from the result columns (types of
    //! unknown columns inferred from the values), then the calculated fields. Nothing when active.
    void Open(Connection& connection);
    //! Closes and opens again on the connection of the last Open; pending changes are dropped.
    void Requery();
    //! Drops the rows and the pending changes; an edit in progress is cancelled.
    void Close();
    bool Active() const { return state != DataSetState::Inactive; }
    DataSetState State() const { return calculating ? DataSetState::CalcFields : state; }

    // ---- fields ---------------------------------------------------------------------------

    //! Defines a data field of an in-memory dataset (before CreateDataSet).
    void AddField(std::string fieldName, FieldType type);
    //! Defines a calculated field, filled by OnCalcFields (before Open or CreateDataSet).
    void AddCalcField(std::string fieldName, FieldType type);
    //! The numbers typed into a field may hold, kept by name so that it holds for the fields of
    //! every later Open as well.
    void SetNumberRange(std::string_view fieldName, NumberRange range);
    //! Forgets the defined fields; the dataset must be closed.
    void ClearFields();
    //! Opens an in-memory dataset, empty, with the defined fields.
    void CreateDataSet();
    //! Removes every row, pending changes included; the dataset stays open.
    void EmptyDataSet();

    //! The field of that name, case ignored; throws DataSetError naming a missing one.
    Field& FieldByName(std::string_view fieldName);
    const Field& FieldByName(std::string_view fieldName) const;
    //! The field of that name, or null.
    Field* FindField(std::string_view fieldName) const;
    Field& FieldByIndex(int index) const;
    int FieldCount() const { return static_cast<int>(fields.size()); }
    std::vector<std::string> FieldNames() const;

    // ---- cursor ---------------------------------------------------------------------------
    // Every move first posts an edit in progress (or cancels an untouched new row).

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    //! Moves by `distance` rows within the visible rows; returns the rows actually moved.
    int MoveBy(int distance);
    bool Eof() const { return eof; }
    bool Bof() const { return bof; }
    //! 1-based position among the visible rows; 0 when there is none.
    int RecNo() const { return cursor + 1; }
    //! Moves to the visible row at `recNo` (clamped) as it stands before the move. The current row
    //! is no move: an edit or a new row in progress there goes on.
    void SetRecNo(int recNo);
    //! Visible rows: those passing the filter, a row being inserted included.
    int RecordCount() const { return static_cast<int>(view.size()); }
    bool IsEmpty() const { return view.empty(); }

    //! Moves to the first visible row whose fields (names separated by ';') hold the values.
    bool Locate(std::string_view keyFields, const std::vector<Variant>& values, LocateOptions options = {});
    //! The value of `resultField` in the first visible row matching, without moving; null if none.
    Variant Lookup(std::string_view keyFields, const std::vector<Variant>& values, std::string_view resultField) const;

    Bookmark GetBookmark() const;
    //! True while the bookmarked row exists and is visible.
    bool BookmarkValid(const Bookmark& bookmark) const;
    //! Moves to the bookmarked row; throws DataSetError when it is gone or filtered out.
    void GotoBookmark(const Bookmark& bookmark);

    //! A value of a visible row by position, for views.
    const Variant& ValueAt(int row, int fieldIndex) const;

    // ---- editing --------------------------------------------------------------------------

    //! Starts editing the current row; on an empty dataset appends a row instead.
    void Edit();
    //! Adds a row at the end and starts inserting it; OnNewRecord fills its defaults.
    void Append();
    //! Adds a row before the current one and starts inserting it.
    void Insert();
    //! Appends a row with the given values in field order and posts it.
    void AppendRecord(const std::vector<Variant>& values);
    //! Deletes the current row (cancels a row being inserted); the next row becomes current.
    void Delete();
    //! Ends Edit or Insert keeping the values; the change becomes pending. Nothing in Browse state.
    void Post();
    //! Ends Edit or Insert dropping the values set since.
    void Cancel();
    //! True when a field was set since Edit, Append or Insert (OnNewRecord's defaults do not count).
    bool Modified() const { return modified; }
    RowUpdateStatus UpdateStatus() const;

    // ---- cached updates -------------------------------------------------------------------

    void SetUpdateSql(UpdateSql statements) { updateSql = std::move(statements); }
    const mfg::UpdateSql& GetUpdateSql() const { return updateSql; }
    //! Without UpdateSql, generates plain statements for `table`, keyed by `keyFields` (';'),
    //! writing `columns` (';'; empty: every data field).
    void SetUpdateTable(std::string table, std::string keyFields, std::string columns = {});
    //! When set (the default), UpdateBatch runs in one transaction of the connection (a savepoint
    //! inside an outer one); when cleared the caller's transaction is relied on.
    void SetUseTrans(bool value) { useTrans = value; }
    bool UseTrans() const { return useTrans; }
    //! When set (the default), an update or delete that changes no row is an error naming it:
    //! the row was changed or removed by someone else since it was read.
    void SetCheckRowsAffected(bool value) { checkRowsAffected = value; }

    //! Applies every pending change (see the class comment for the order) and then forgets them;
    //! the current values become the originals. On failure it rolls back (with UseTrans), raises
    //! the DbError or a DataSetError naming the statement, and keeps every pending change as it was.
    void UpdateBatch(Connection& connection);
    //! Runs the statements of the pending changes without a transaction of its own and without
    //! forgetting them; for saves of several datasets in one transaction (see UpdateBatches).
    void ApplyUpdates(Connection& connection);
    //! Forgets the pending changes after they were applied: current values become the originals.
    void CommitUpdates();
    //! Drops the pending changes: rows come back as read, inserted rows go, deleted rows return.
    void CancelBatch();
    bool UpdatesPending() const { return pendingInserts + pendingUpdates + pendingDeletes > 0; }
    int PendingInsertCount() const { return pendingInserts; }
    int PendingUpdateCount() const { return pendingUpdates; }
    int PendingDeleteCount() const { return pendingDeletes; }

    // ---- filter and sort ------------------------------------------------------------------

    //! Sets the filter expression (FilterExpression syntax); throws FilterError for a bad one.
    //! Takes effect while Filtered, moving to the first row.
    void SetFilter(std::string expression);
    const std::string& Filter() const { return filterText; }
    void SetFiltered(bool value);
    bool Filtered() const { return filtered; }
    void SetFilterOptions(FilterOptions options);

    //! Sorts the visible rows by fields separated by ';', stable, nulls lowest. A field may carry
    //! ":D" (descending), ":A" (ascending) or ":N" (text ignoring case), combinable as ":DN", or
    //! the words "desc"/"asc" after it. Empty: the order as read and appended. The current row stays.
    void SetIndexFieldNames(std::string fieldNames);
    const std::string& IndexFieldNames() const { return indexFieldNames; }

    // ---- events ---------------------------------------------------------------------------
    // One handler per event; setting another replaces it, an empty one removes it. A Before
    // handler that throws stops the operation.

    void BeforePost(EventHandler handler) { beforePost = std::move(handler); }
    void AfterPost(EventHandler handler) { afterPost = std::move(handler); }
    void BeforeDelete(EventHandler handler) { beforeDelete = std::move(handler); }
    void AfterDelete(EventHandler handler) { afterDelete = std::move(handler); }
    //! After the cursor landed on a row: opening, First, Last, moves that moved, Locate, bookmarks,
    //! Append, Insert, Delete, filter changes, and a post or cancel that took the current row away.
    void AfterScroll(EventHandler handler) { afterScroll = std::move(handler); }
    void AfterOpen(EventHandler handler) { afterOpen = std::move(handler); }
    //! Fills a new row's defaults during Append and Insert.
    void OnNewRecord(EventHandler handler) { onNewRecord = std::move(handler); }
    //! Sets the calculated fields of the row being calculated: each row read or appended, and
    //! the current row after each change of a data field.
    void OnCalcFields(EventHandler handler) { onCalcFields = std::move(handler); }
    //! Runs after every set of that field (even to the same value), before the dataset handler.
    void OnFieldChange(std::string_view fieldName, FieldChangeHandler handler);
    //! Runs after every set of any data field.
    void OnFieldChange(FieldChangeHandler handler) { anyFieldChange = std::move(handler); }

    // ---- views ----------------------------------------------------------------------------

    //! Stops observer notifications until the matching EnableControls (calls nest).
    void DisableControls() { ++controlsDisabled; }
    void EnableControls();
    bool ControlsDisabled() const { return controlsDisabled > 0; }
    //! The observer is not owned and must be removed before it dies.
    void AddObserver(DataSetObserver* observer);
    void RemoveObserver(DataSetObserver* observer);

private:
    friend class Field;

    enum class RowState : std::uint8_t { Unchanged, Modified, Deleted, New, Inserted, Dead };

    struct RowRecord {
        std::vector<Variant> values;
        std::vector<Variant> original;  // the row as read, kept once it was modified
        RowState state = RowState::Unchanged;
        std::uint64_t changeSeq = 0;
    };

    struct FieldDef {
        std::string name;
        FieldType type = FieldType::Unknown;
    };

    struct SortKey {
        int field = 0;
        bool descending = false;
        bool noCase = false;
    };

    struct NameHash : NoCaseHash {
        using is_transparent = void;
    };
    struct NameEqual : NoCaseEqual {
        using is_transparent = void;
    };

    static constexpr std::uint32_t noRow = UINT32_MAX;

    [[noreturn]] void Fail(std::string_view problem) const;
    void CheckActive() const;
    void CheckCanChange() const;
    void CheckInactive(std::string_view action) const;
    void CheckBrowseMode();

    void BuildFields(const std::vector<FieldDef>& dataFields);
    void ResolveSortAndFilter();
    std::vector<SortKey> ParseSortKeys(std::string_view fieldNames) const;
    FilterExpression CompileFilter(const std::string& text) const;
    std::vector<int> ResolveFieldList(std::string_view fieldNames) const;
    std::vector<Variant> ConvertKeys(const std::vector<int>& keyFields, const std::vector<Variant>& values) const;
    bool KeysMatch(const RowRecord& row, const std::vector<int>& keyFields, const std::vector<Variant>& keys,
                   LocateOptions options) const;

    std::uint32_t CurrentSlot() const { return cursor >= 0 ? view[static_cast<size_t>(cursor)] : noRow; }
    std::uint32_t ActiveSlot() const { return calculating ? calcSlot : CurrentSlot(); }
    bool SortLess(std::uint32_t a, std::uint32_t b) const;
    bool Visible(const RowRecord& row) const;
    void RebuildView(bool keepCurrent);
    int ViewIndexOf(std::uint32_t slot) const;
    void InvalidatePositions() { positionsValid = false; }
    void SyncCurrentRow();
    void PlaceAfterPost(std::uint32_t slot);
    void RemoveFromOrder(std::uint32_t slot);
    void SetRowState(RowRecord& row, RowState newState);
    void CalcRow(std::uint32_t slot);
    void StartNewRow(bool append);
    void SetFieldValue(Field& field, const Variant& value);
    static Variant TypedNumber(const Field& field, const std::string& text);
    const Variant& FieldValue(const Field& field) const;
    const Variant& FieldOldValue(const Field& field) const;
    void ResetStore();

    template <typename Fn>
    void Notify(Fn&& fn);
    void FireScroll(std::uint32_t before, bool always);
    static void Fire(const EventHandler& handler, DataSet& self)
    {
        if (handler) handler(self);
    }

    struct PreparedStatement;
    struct UpdatePlan;
    PreparedStatement Prepare(const std::string& text, std::string_view role) const;
    UpdatePlan PlanUpdates() const;
    void RunUpdates(Connection& connection, const UpdatePlan& plan) const;
    const Variant& OriginalValue(const RowRecord& row, int field) const;
    friend void UpdateBatches(Connection& connection, std::initializer_list<DataSet*> dataSets);

    std::string name;
    std::string sql;
    mfg::Params params;
    Connection* lastConnection = nullptr;

    std::vector<FieldDef> dataDefs;
    std::vector<FieldDef> calcDefs;
    std::vector<std::unique_ptr<Field>> fields;
    int dataFieldCount = 0;
    std::unordered_map<std::string, int, NameHash, NameEqual> fieldIndex;

    std::vector<RowRecord> store;           // every row by slot; a slot never changes meaning until reset
    std::vector<std::uint32_t> order;       // live rows in the order read, appended and inserted
    std::vector<std::uint32_t> baseOrder;   // the order as read or as last applied, for CancelBatch
    std::vector<std::uint32_t> view;        // visible rows: filtered, sorted
    mutable std::vector<int> viewPosition;  // slot -> index in view, rebuilt when needed
    mutable bool positionsValid = false;
    std::uint32_t generation = 1;

    DataSetState state = DataSetState::Inactive;
    int cursor = -1;
    int noticedIndex = -1;                // the current row as observers last heard of it
    std::uint32_t noticedSlot = noRow;
    bool bof = true;
    bool eof = true;
    bool modified = false;
    std::vector<Variant> editBackup;
    std::uint32_t returnSlot = noRow;  // the row current before an insert, for Cancel
    bool calculating = false;
    std::uint32_t calcSlot = noRow;
    std::uint64_t changeCounter = 0;

    int pendingInserts = 0;
    int pendingUpdates = 0;
    int pendingDeletes = 0;
    mfg::UpdateSql updateSql;
    std::string updateTable;
    std::string updateKeys;
    std::string updateColumns;
    bool useTrans = true;
    bool checkRowsAffected = true;

    std::string filterText;
    bool filtered = false;
    FilterOptions filterOptions;
    FilterExpression filter;
    std::string indexFieldNames;
    std::vector<SortKey> sortKeys;

    EventHandler beforePost, afterPost, beforeDelete, afterDelete, afterScroll, afterOpen, onNewRecord, onCalcFields;
    std::unordered_map<std::string, FieldChangeHandler, NameHash, NameEqual> fieldChangeHandlers;
    std::vector<FieldChangeHandler> fieldHandlers;  // by field index, resolved from fieldChangeHandlers
    FieldChangeHandler anyFieldChange;
    std::unordered_map<std::string, NumberRange, NameHash, NameEqual> numberRanges;

    int controlsDisabled = 0;
    bool notificationsSuppressed = false;
    std::vector<DataSetObserver*> observers;
};

//! Applies the pending changes of several datasets in one transaction, in the order given; only
//! when all succeed are their pending changes forgotten. A failure rolls back and raises, leaving
//! every dataset's pending changes as they were.
void UpdateBatches(Connection& connection, std::initializer_list<DataSet*> dataSets);

}  // namespace mfg
