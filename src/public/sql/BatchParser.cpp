#include "sql/BatchParser.h"

#include <fmt/format.h>

#include "sql/StatementRewriter.h"
#include "sql/Tokenizer.h"
#include "types/TextUtil.h"

namespace mfg::sql {
namespace {

bool IsStatementStart(const Token& t)
{
    static constexpr std::string_view words[] = {"select", "insert", "update", "delete", "create", "drop",
                                                 "alter",  "truncate", "if",   "else",   "declare", "set",
                                                 "exec",   "execute",  "begin", "end",   "go",     "print",
                                                 "return", "merge",    "while", "waitfor", "raiserror"};
    for (auto w : words)
        if (t.Is(w)) return true;
    return false;
}

std::string VariableParam(std::string_view variable)
{
    return "__v_" + ToLowerAscii(variable.substr(1));
}

class Parser {
public:
    Parser(std::vector<Token> source, const Dialect& dialect) : tokens(std::move(source)), dialect(dialect) {}

    Program Run()
    {
        Program program;
        while (!AtEnd()) {
            if (SkipSeparators()) continue;
            program.steps.push_back(ParseStatement());
        }
        return program;
    }

private:
    bool AtEnd() const { return pos >= tokens.size(); }
    const Token& Peek(size_t ahead = 0) const
    {
        static const Token none{TokenKind::Symbol, "", 0, false};
        return pos + ahead < tokens.size() ? tokens[pos + ahead] : none;
    }

    bool SkipSeparators()
    {
        if (Peek().IsSymbol(";") || Peek().Is("go")) {
            ++pos;
            return true;
        }
        return false;
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        size_t offset = AtEnd() ? (tokens.empty() ? 0 : tokens.back().offset) : Peek().offset;
        throw SqlError(fmt::format("{} (位置 {})", what, offset));
    }

    Step ParseStatement()
    {
        const Token& head = Peek();
        if (head.Is("if")) return ParseIf();
        if (head.Is("begin")) return ParseBlock();
        if (head.Is("declare")) return ParseDeclare();
        if (head.Is("set")) return ParseSet();
        if (head.Is("exec") || head.Is("execute")) return ParseExec();
        if (head.Is("insert")) return ParseInsert();
        static constexpr std::string_view plain[] = {"select", "update", "delete", "create", "drop", "alter", "truncate"};
        for (auto w : plain)
            if (head.Is(w)) return PlainStatement(pos);
        if (head.kind == TokenKind::Word) Fail(fmt::format("不支持的 T-SQL 语句: {}", head.text));
        Fail(fmt::format("不支持的 T-SQL 语法: {}", head.text));
    }

    Step ParseIf()
    {
        ++pos;  // if
        size_t start = pos;
        int depth = 0;
        while (!AtEnd()) {
            const Token& t = Peek();
            if (t.IsSymbol("(")) ++depth;
            else if (t.IsSymbol(")")) --depth;
            else if (depth == 0 && IsStatementStart(t)) break;
            ++pos;
        }
        if (start == pos) Fail("IF 缺少条件");
        if (AtEnd()) Fail("IF 缺少语句");
        Step step;
        step.kind = Step::Kind::If;
        auto condition = RewriteExpression({tokens.begin() + start, tokens.begin() + pos}, dialect, true);
        step.statement = std::move(condition.statement);
        step.tableCalls = std::move(condition.tableCalls);
        step.thenSteps.push_back(ParseStatement());
        while (Peek().IsSymbol(";")) ++pos;
        if (Peek().Is("else")) {
            ++pos;
            step.elseSteps.push_back(ParseStatement());
        }
        return step;
    }

    Step ParseBlock()
    {
        ++pos;  // begin
        if (Peek().Is("tran") || Peek().Is("transaction") || Peek().Is("try") || Peek().Is("catch"))
            Fail(fmt::format("不支持的 T-SQL 语句: begin {}", Peek().text));
        Step block;
        block.kind = Step::Kind::If;
        block.statement.sql = "";  // an unconditional block: no condition, then-steps only
        while (!Peek().Is("end")) {
            if (AtEnd()) Fail("BEGIN 缺少 END");
            if (SkipSeparators()) continue;
            block.thenSteps.push_back(ParseStatement());
        }
        ++pos;  // end
        return block;
    }

    Step ParseDeclare()
    {
        ++pos;  // declare
        Step step;
        step.kind = Step::Kind::Declare;
        while (true) {
            // A cursor is named without an @: say what was meant, not that a variable is missing.
            if (Peek(1).Is("cursor")) Fail("不支持的 T-SQL 语法: declare cursor");
            if (Peek().kind != TokenKind::Variable) Fail("DECLARE 缺少变量名");
            step.variables.push_back(VariableParam(Peek().text));
            ++pos;
            if (Peek().Is("as")) ++pos;
            if (Peek().kind != TokenKind::Word) Fail("DECLARE 缺少类型");
            if (Peek().Is("table") || Peek().Is("cursor")) Fail(fmt::format("不支持的 T-SQL 语法: declare {}", Peek().text));
            ++pos;
            if (Peek().IsSymbol("(")) {
                while (!AtEnd() && !Peek().IsSymbol(")")) ++pos;
                ++pos;
            }
            if (Peek().IsSymbol("=")) Fail("不支持的 T-SQL 语法: declare 初始值");
            if (!Peek().IsSymbol(",")) break;
            ++pos;
        }
        return step;
    }

    Step ParseSet()
    {
        ++pos;  // set
        if (Peek().kind == TokenKind::Word) {
            // Session options such as "set nocount on" change nothing the module relies on.
            static constexpr std::string_view options[] = {"nocount", "ansi_nulls", "quoted_identifier", "ansi_warnings"};
            for (auto o : options) {
                if (Peek().Is(o)) {
                    pos += 2;
                    Step nothing;
                    nothing.kind = Step::Kind::Declare;
                    return nothing;
                }
            }
            Fail(fmt::format("不支持的 T-SQL 语句: set {}", Peek().text));
        }
        if (Peek().kind != TokenKind::Variable || !Peek(1).IsSymbol("=")) Fail("SET 语法错误");
        Step step;
        step.kind = Step::Kind::Set;
        step.variables.push_back(VariableParam(Peek().text));
        pos += 2;
        size_t start = pos;
        pos = StatementEnd(pos, false);
        auto value = RewriteExpression({tokens.begin() + start, tokens.begin() + pos}, dialect, false);
        step.statement = std::move(value.statement);
        step.tableCalls = std::move(value.tableCalls);
        return step;
    }

    Step ParseExec()
    {
        ++pos;  // exec
        Step step;
        step.kind = Step::Kind::Exec;
        if (Peek().kind != TokenKind::Word && Peek().kind != TokenKind::QuotedName) Fail("EXEC 缺少过程名");
        if (Peek().Is("dbo") && Peek(1).IsSymbol(".")) pos += 2;
        step.procedure = ToLowerAscii(Peek().text);
        ++pos;
        if (!dialect.IsProcedure(step.procedure)) Fail(fmt::format("不支持的存储过程: {}", step.procedure));
        while (!AtEnd() && !Peek().IsSymbol(";") && !(IsStatementStart(Peek()))) {
            step.args.push_back(ParseExecArg());
            if (Peek().IsSymbol(",")) ++pos;
            else break;
        }
        return step;
    }

    ExecArg ParseExecArg()
    {
        ExecArg arg;
        const Token& t = Peek();
        bool negative = false;
        if (t.IsSymbol("-")) {
            negative = true;
            ++pos;
        }
        const Token& v = Peek();
        switch (v.kind) {
        case TokenKind::String: arg.value = v.text; break;
        case TokenKind::Number:
            if (v.text.find_first_of(".eE") == std::string::npos) arg.value = static_cast<std::int64_t>(std::stoll(v.text));
            else arg.value = std::stod(v.text);
            if (negative) arg.value = arg.value.Type() == FieldType::Integer ? Variant(-arg.value.AsInteger()) : Variant(-arg.value.AsFloat());
            break;
        case TokenKind::Variable:
            if (v.text.starts_with("@@")) Fail(fmt::format("不支持的 T-SQL 语法: {}", v.text));
            arg.kind = ExecArg::Kind::Variable;
            arg.name = VariableParam(v.text);
            break;
        case TokenKind::Parameter:
            arg.kind = ExecArg::Kind::Parameter;
            arg.name = ToLowerAscii(v.text);
            break;
        default:
            if (v.Is("null")) break;
            Fail(fmt::format("EXEC 参数无法识别: {}", v.text));
        }
        ++pos;
        if (Peek().Is("output") || Peek().Is("out")) {
            if (arg.kind != ExecArg::Kind::Variable) Fail("OUTPUT 只能用于变量");
            arg.output = true;
            ++pos;
        }
        return arg;
    }

    Step ParseInsert()
    {
        size_t start = pos;
        size_t p = pos + 1;
        if (p < tokens.size() && tokens[p].Is("into")) ++p;
        if (p >= tokens.size()) Fail("INSERT 缺少表名");
        size_t table = p++;
        std::vector<std::string> columns;
        if (p < tokens.size() && tokens[p].IsSymbol("(")) {
            ++p;
            while (p < tokens.size() && !tokens[p].IsSymbol(")")) {
                if (!tokens[p].IsSymbol(",")) columns.push_back(tokens[p].text);
                ++p;
            }
            ++p;
        }
        if (p < tokens.size() && (tokens[p].Is("exec") || tokens[p].Is("execute"))) {
            pos = p;
            Step step = ParseExec();
            auto target = RewriteStatement({tokens[table]}, dialect);
            step.insertTable = target.statement.sql;
            step.insertColumns = std::move(columns);
            return step;
        }
        return PlainStatement(start);
    }

    //! The end of a plain statement starting at `start`: the next token that begins another statement.
    size_t StatementEnd(size_t start, bool isStatement) const
    {
        size_t p = start;
        int depth = 0;
        int caseDepth = 0;
        bool isUpdate = isStatement && tokens[start].Is("update");
        bool isInsert = isStatement && tokens[start].Is("insert");
        bool isCreate = isStatement && tokens[start].Is("create");
        bool sawSet = false;
        bool sawSource = false;
        p = isStatement ? start + 1 : start;
        for (; p < tokens.size(); ++p) {
            const Token& t = tokens[p];
            if (t.IsSymbol("(")) {
                ++depth;
                continue;
            }
            if (t.IsSymbol(")")) {
                --depth;
                continue;
            }
            if (depth > 0) continue;
            if (t.IsSymbol(";")) return p;
            if (t.Is("case")) ++caseDepth;
            if (caseDepth > 0) {
                if (t.Is("end")) --caseDepth;
                continue;
            }
            if (!IsStatementStart(t)) {
                if (t.Is("values")) sawSource = true;
                continue;
            }
            const Token& prev = tokens[p - 1];
            if (t.Is("select")) {
                if (prev.Is("union") || prev.Is("all") || prev.Is("except") || prev.Is("intersect")) continue;
                if (isInsert && !sawSource) {
                    sawSource = true;
                    continue;
                }
                if (isCreate && prev.Is("as")) continue;
                return p;
            }
            if (t.Is("set") && isUpdate && !sawSet) {
                sawSet = true;
                continue;
            }
            if ((t.Is("delete") || t.Is("update")) && prev.Is("on")) continue;
            return p;
        }
        return p;
    }

    Step PlainStatement(size_t start)
    {
        size_t end = StatementEnd(start, true);
        pos = end;
        Step step;
        step.kind = Step::Kind::Statement;
        auto rewritten = RewriteStatement({tokens.begin() + start, tokens.begin() + end}, dialect);
        step.statement = std::move(rewritten.statement);
        step.tableCalls = std::move(rewritten.tableCalls);
        return step;
    }

    std::vector<Token> tokens;
    const Dialect& dialect;
    size_t pos = 0;
};

}  // namespace

Program ParseBatch(std::string_view tsql, const Dialect& dialect)
{
    Program program = Parser(Tokenize(tsql), dialect).Run();
    if (program.steps.empty()) throw SqlError("SQL 语句为空");
    return program;
}

}  // namespace mfg::sql
