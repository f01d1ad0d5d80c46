#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "db/Connection.h"
#include "types/TextUtil.h"

namespace mfg::testing {

//! A Connection that runs nothing: it records each statement with its parameters, keeps what a
//! commit would have made durable, fails the Nth Execute on request and answers Query from canned
//! results.
class FakeConnection : public Connection {
public:
    struct Statement {
        std::string text;
        Params params;

        //! The bound value of a parameter, by name ignoring case; throws when it was not bound.
        Variant Param(std::string_view name) const
        {
            for (const auto& [key, value] : params)
                if (EqualsNoCase(key, name)) return value;
            throw std::out_of_range(fmt::format("parameter {} not bound in: {}", name, text));
        }
    };

    std::vector<Statement> executed;   // every Execute, rolled back or not
    std::vector<Statement> committed;  // what survived: outside a transaction or committed
    std::vector<Statement> queries;
    std::vector<std::string> transactionLog;  // "begin", "commit", "rollback" with the depth
    ResultSet nextResult;
    int failOnExecute = 0;  // 1-based number of the Execute that throws; 0 never
    std::function<std::int64_t(const Statement&)> rowsAffected = [](const Statement&) { return 1; };

    ResultSet Query(std::string_view tsql, const Params& params = {}) override
    {
        queries.push_back({std::string(tsql), params});
        return nextResult;
    }

    std::int64_t Execute(std::string_view tsql, const Params& params = {}) override
    {
        Statement statement{std::string(tsql), params};
        executed.push_back(statement);
        if (failOnExecute == static_cast<int>(executed.size()))
            throw DbError("违反 PRIMARY KEY 约束", std::string(tsql));
        (marks.empty() ? committed : pendingWork).push_back(statement);
        return rowsAffected(statement);
    }

    void ExecuteNative(std::string_view) override {}

    void BeginTran() override
    {
        marks.push_back(pendingWork.size());
        transactionLog.push_back(fmt::format("begin {}", marks.size()));
    }

    void CommitTran() override
    {
        if (marks.empty()) throw DbError("没有活动的事务", "commit");
        transactionLog.push_back(fmt::format("commit {}", marks.size()));
        marks.pop_back();
        if (marks.empty()) {
            committed.insert(committed.end(), pendingWork.begin(), pendingWork.end());
            pendingWork.clear();
        }
    }

    void RollbackTran() override
    {
        if (marks.empty()) throw DbError("没有活动的事务", "rollback");
        transactionLog.push_back(fmt::format("rollback {}", marks.size()));
        pendingWork.resize(marks.back());
        marks.pop_back();
    }

    int TransactionDepth() const override { return static_cast<int>(marks.size()); }
    DateTime ServerTime() override { return DateTime::FromYmd(2024, 3, 15); }
    void SetClock(Clock) override {}
    std::string BackendName() const override { return "fake"; }
    bool TableExists(std::string_view) override { return true; }
    std::vector<std::string> TableNames() override { return {}; }

private:
    std::vector<Statement> pendingWork;  // run inside the open transaction
    std::vector<size_t> marks;           // pendingWork size at each BeginTran
};

}  // namespace mfg::testing
