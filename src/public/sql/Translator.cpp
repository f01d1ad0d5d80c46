#include "sql/Translator.h"

#include <fmt/format.h>

#include "sql/BatchParser.h"

namespace mfg::sql {
namespace {

// A runaway caller that builds ever new texts (ids pasted into the SQL) must not grow the cache without end.
constexpr size_t kCacheLimit = 20000;

void Describe(const std::vector<Step>& steps, int indent, std::string& out)
{
    std::string pad(static_cast<size_t>(indent) * 2, ' ');
    for (const auto& step : steps) {
        for (const auto& call : step.tableCalls)
            out += fmt::format("{}table {} <- {}({})\n", pad, call.tempTable, call.function, call.arguments.sql);
        switch (step.kind) {
        case Step::Kind::Statement: out += pad + step.statement.sql + "\n"; break;
        case Step::Kind::If:
            if (step.statement.sql.empty()) {
                out += pad + "begin\n";
                Describe(step.thenSteps, indent + 1, out);
                out += pad + "end\n";
                break;
            }
            out += pad + "if " + step.statement.sql + "\n";
            Describe(step.thenSteps, indent + 1, out);
            if (!step.elseSteps.empty()) {
                out += pad + "else\n";
                Describe(step.elseSteps, indent + 1, out);
            }
            break;
        case Step::Kind::Declare:
            for (const auto& v : step.variables) out += pad + "declare " + v + "\n";
            break;
        case Step::Kind::Set: out += pad + "set " + step.variables.front() + " = " + step.statement.sql + "\n"; break;
        case Step::Kind::Exec: {
            std::string args;
            for (const auto& a : step.args) {
                if (!args.empty()) args += ", ";
                args += a.kind == ExecArg::Kind::Literal ? a.value.AsString() : a.name;
                if (a.output) args += " output";
            }
            if (!step.insertTable.empty()) out += pad + "insert into " + step.insertTable + " ";
            else out += pad;
            out += "exec " + step.procedure + " " + args + "\n";
            break;
        }
        }
    }
}

}  // namespace

ProgramPtr Translator::Translate(std::string_view tsql)
{
    std::string key(tsql);
    {
        std::lock_guard lock(mutex);
        if (auto it = cache.find(key); it != cache.end()) return it->second;
    }
    ProgramPtr program = TranslateUncached(tsql);
    std::lock_guard lock(mutex);
    if (cache.size() >= kCacheLimit) cache.clear();
    cache.emplace(std::move(key), program);
    return program;
}

ProgramPtr Translator::TranslateUncached(std::string_view tsql) const
{
    return std::make_shared<const Program>(ParseBatch(tsql, dialect));
}

void Translator::ClearCache()
{
    std::lock_guard lock(mutex);
    cache.clear();
}

size_t Translator::CacheSize() const
{
    std::lock_guard lock(mutex);
    return cache.size();
}

std::string DescribeProgram(const Program& program)
{
    std::string out;
    Describe(program.steps, 0, out);
    return out;
}

}  // namespace mfg::sql
