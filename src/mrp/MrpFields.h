#pragma once
// Writing engine results into a screen's dataset by field name.

#include <initializer_list>
#include <utility>
#include <vector>

#include "data/DataSet.h"

namespace mfg {

//! Appends rows to a dataset by field name. A closed dataset gets the engine's fields first; an
//! open one (a screen's, with look-up columns of its own) keeps its fields and receives the
//! engine's values in those it has.
class MrpRowWriter {
public:
    MrpRowWriter(DataSet& target, std::initializer_list<std::pair<const char*, FieldType>> columns) : dataSet(target)
    {
        if (!dataSet.Active()) {
            for (const auto& [name, type] : columns) dataSet.AddField(name, type);
            dataSet.CreateDataSet();
        }
        for (const auto& column : columns) fields.push_back(dataSet.FindField(column.first));
    }

    //! Appends and posts one row; values in the order of the columns, null ones left empty.
    void Write(std::initializer_list<Variant> values)
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

}  // namespace mfg
