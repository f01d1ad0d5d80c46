#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "db/Connection.h"

namespace mfg::synthetic {

//! Appends rows to one table, many rows to one parameterised insert: a server answers each
//! statement with a round trip (and a savepoint inside a transaction), so a row at a time costs a
//! large factory minutes. Every row counts into a total shared by the load. The rows still held
//! are written by Flush or when the writer goes, so a writer's rows are in its table before the
//! writers of a later step start.
class TableWriter {
public:
    //! `fixed` columns take the same value in every row (the load's own time stamps).
    TableWriter(Connection& db, std::int64_t& total, std::string_view table, std::initializer_list<std::string_view> columns,
                const Params& fixed = {});
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;
    //! Writes the rows still held unless an exception is already on its way.
    ~TableWriter() noexcept(false);

    //! One row, the values in the order of the columns.
    void Add(std::initializer_list<Variant> values);
    //! Writes the rows held so far.
    void Flush();

private:
    std::string InsertSql(size_t rowCount) const;

    Connection& db;
    std::int64_t& rows;  //!< shared by the writers of one load
    std::string table;
    std::vector<std::string> columns;
    Params fixed;
    size_t batchRows = 1;
    std::string batchSql;  //!< the insert of a full batch, made once
    Params batch;          //!< a full batch's values by name, then the fixed ones; the rows held first
    size_t pendingRows = 0;
};

}  // namespace mfg::synthetic
