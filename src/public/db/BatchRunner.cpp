#include "db/BatchRunner.h"

#include <unordered_map>

#include <fmt/format.h>

#include "sql/Tokenizer.h"
#include "types/TextUtil.h"
#include "types/Utf8.h"

namespace mfg {
namespace {

class Runner {
public:
    Runner(const Params& params, NativeBackend& backend) : backend(backend)
    {
        for (const auto& [name, value] : params) {
            std::string key = ToLowerAscii(name);
            if (!key.empty() && key.front() == ':') key.erase(0, 1);
            values[key] = value;
        }
    }

    void Run(const std::vector<sql::Step>& steps)
    {
        for (const auto& step : steps) RunStep(step);
    }

    BatchResult result;

private:
    std::vector<Variant> Bind(const sql::NativeStatement& statement)
    {
        std::vector<Variant> bound;
        bound.reserve(statement.params.size());
        for (const auto& name : statement.params) {
            auto it = values.find(name);
            if (it == values.end()) {
                if (name.starts_with("__v_")) throw DbError(fmt::format("变量 @{} 未声明", name.substr(4)), statement.sql);
                throw DbError(fmt::format("缺少参数 :{}", name), statement.sql);
            }
            bound.push_back(it->second);
        }
        return bound;
    }

    ResultSet RunStatement(const sql::NativeStatement& statement, const std::vector<sql::TableCall>& calls)
    {
        std::vector<std::string> created;
        try {
            for (const auto& call : calls) {
                std::vector<Variant> args;
                if (!call.arguments.sql.empty()) {
                    std::int64_t ignored = 0;
                    auto argsRow = backend.RunNative(call.arguments, Bind(call.arguments), ignored);
                    if (!argsRow.rows.empty()) args = argsRow.rows.front();
                }
                auto rows = backend.CallTableFunction(call.function, args);
                backend.CreateTempTable(call.tempTable, rows);
                created.push_back(call.tempTable);
            }
            std::int64_t changes = 0;
            auto rows = backend.RunNative(statement, Bind(statement), changes);
            if (statement.isDdl) backend.SchemaChanged();
            for (const auto& name : created) backend.DropTempTable(name);
            if (rows.columns.empty()) result.changes = changes;
            return rows;
        } catch (...) {
            for (const auto& name : created) {
                try {
                    backend.DropTempTable(name);
                } catch (...) {
                }
            }
            throw;
        }
    }

    void Publish(ResultSet rows)
    {
        if (rows.columns.empty()) return;
        result.rows = std::move(rows);
        result.hasRows = true;
    }

    void RunStep(const sql::Step& step)
    {
        switch (step.kind) {
        case sql::Step::Kind::Statement: Publish(RunStatement(step.statement, step.tableCalls)); break;
        case sql::Step::Kind::If: {
            bool condition = true;
            if (!step.statement.sql.empty()) {
                auto rows = RunStatement(step.statement, step.tableCalls);
                condition = !rows.rows.empty() && rows.rows.front().front().AsInteger() != 0;
            }
            Run(condition ? step.thenSteps : step.elseSteps);
            break;
        }
        case sql::Step::Kind::Declare:
            for (const auto& name : step.variables) values[name] = Variant();
            break;
        case sql::Step::Kind::Set: {
            if (!values.count(step.variables.front()))
                throw DbError(fmt::format("变量 @{} 未声明", step.variables.front().substr(4)), step.statement.sql);
            auto rows = RunStatement(step.statement, step.tableCalls);
            values[step.variables.front()] = rows.FirstValue();
            break;
        }
        case sql::Step::Kind::Exec: RunExec(step); break;
        }
    }

    void RunExec(const sql::Step& step)
    {
        std::vector<Variant> args;
        for (const auto& arg : step.args) {
            if (arg.kind == sql::ExecArg::Kind::Literal) {
                args.push_back(arg.value);
                continue;
            }
            auto it = values.find(arg.name);
            if (it == values.end()) {
                std::string shown = arg.kind == sql::ExecArg::Kind::Variable ? "@" + arg.name.substr(4) : ":" + arg.name;
                throw DbError(fmt::format("{} 未定义", shown), "exec " + step.procedure);
            }
            args.push_back(it->second);
        }
        ResultSet rows = backend.CallProcedure(step.procedure, args);
        for (size_t i = 0; i < step.args.size() && i < args.size(); ++i)
            if (step.args[i].output) values[step.args[i].name] = args[i];
        if (!step.insertTable.empty()) {
            backend.InsertRows(step.insertTable, step.insertColumns, rows);
            result.changes = static_cast<std::int64_t>(rows.rows.size());
            return;
        }
        Publish(std::move(rows));
    }

    NativeBackend& backend;
    std::unordered_map<std::string, Variant> values;
};

//! Text reaches the database as UTF-8 only, on every backend: a statement (its literals) or a text
//! parameter that is none is refused before it runs, so that no later reader meets such text.
void RefuseInvalidText(std::string_view tsql, const Params& params)
{
    if (!ValidUtf8(tsql)) throw DbError("语句含有不是 UTF-8 的字节, 未执行。", std::string(tsql));
    for (const auto& [name, value] : params)
        if (value.Type() == FieldType::Text && !ValidUtf8(value.AsString()))
            throw DbError(fmt::format("参数 {} 含有不是 UTF-8 的字节, 未执行。", name), std::string(tsql));
}

}  // namespace

BatchResult RunProgram(const sql::Program& program, const Params& params, NativeBackend& backend)
{
    Runner runner(params, backend);
    runner.Run(program.steps);
    return std::move(runner.result);
}

BatchResult TranslateAndRun(sql::Translator& translator, std::string_view tsql, const Params& params, NativeBackend& backend)
{
    RefuseInvalidText(tsql, params);
    sql::ProgramPtr program;
    try {
        program = translator.Translate(tsql);
    } catch (const sql::SqlError& e) {
        throw DbError(e.what(), std::string(tsql));
    }
    try {
        return RunProgram(*program, params, backend);
    } catch (const DbError& e) {
        if (e.Statement() == tsql) throw;
        throw DbError(e.what(), fmt::format("{}\n{}", tsql, e.Statement()), e.Failure());
    }
}

}  // namespace mfg
