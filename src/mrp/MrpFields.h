#pragma once
// Writing engine results into a screen's dataset by field name, or into any row sink.

#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "MrpRowSink.h"
#include "data/DataSet.h"

namespace mfg {

//! Appends rows to a dataset by field name. A closed dataset gets the engine's fields first; an
//! open one (a screen's, with look-up columns of its own) keeps its fields and receives the
//! engine's values in those it has.
class DataSetRowSink final : public MrpRowSink {
public:
    explicit DataSetRowSink(DataSet& target) : dataSet(target) {}

    void Start(std::span<const MrpColumn> columns) override
    {
        if (!dataSet.Active()) {
            for (const auto& column : columns) dataSet.AddField(column.name, column.type);
            dataSet.CreateDataSet();
        }
        fields.clear();
        for (const auto& column : columns) fields.push_back(dataSet.FindField(column.name));
    }

    void Write(std::span<const Variant> values) override
    {
        dataSet.Append();
        auto field = fields.begin();
        for (const Variant& value : values) {
            if (*field && !value.IsNull()) (*field)->SetValue(value);
            ++field;
        }
        dataSet.Post();
    }

private:
    DataSet& dataSet;
    std::vector<Field*> fields;
};

//! Writes the rows of one result: its columns when made, then a row at a time, into a sink or a
//! dataset.
class MrpRowWriter {
public:
    MrpRowWriter(MrpRowSink& target, std::initializer_list<MrpColumn> columns) : sink(target)
    {
        sink.Start({columns.begin(), columns.size()});
    }
    MrpRowWriter(DataSet& target, std::initializer_list<MrpColumn> columns) : owned(std::in_place, target), sink(*owned)
    {
        sink.Start({columns.begin(), columns.size()});
    }
    MrpRowWriter(const MrpRowWriter&) = delete;
    MrpRowWriter& operator=(const MrpRowWriter&) = delete;

    //! One row; values in the order of the columns, null ones left empty.
    void Write(std::initializer_list<Variant> values) { sink.Write({values.begin(), values.size()}); }

private:
    std::optional<DataSetRowSink> owned;
    MrpRowSink& sink;
};

}  // namespace mfg
