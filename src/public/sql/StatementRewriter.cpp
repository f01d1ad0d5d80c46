#include "sql/StatementRewriter.h"

#include <algorithm>
#include <atomic>

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg::sql {
namespace {

using Tokens = std::vector<Token>;

Token Raw(std::string text)
{
    Token t{TokenKind::Raw, std::move(text), 0, true};
    return t;
}

bool IsKeyword(const Token& t)
{
    static constexpr std::string_view words[] = {
        "select", "from",   "where", "and",   "or",    "not",    "is",     "in",     "like",     "between",
        "case",   "when",   "then",  "else",  "end",   "as",     "on",     "join",   "inner",    "outer",
        "full",   "cross",  "group", "order", "by",    "having", "union",  "all",    "distinct", "top",
        "into",   "values", "set",   "exists", "asc",  "desc",   "with",   "insert", "update",   "delete",
        "create", "table",  "drop",  "index", "primary", "key",  "unique", "default", "references", "check",
        "any",    "some",   "escape", "over",  "foreign", "constraint", "except", "intersect", "null"};
    if (t.kind != TokenKind::Word) return false;
    for (auto w : words)
        if (t.Is(w)) return true;
    return false;
}

bool IsDateLiteral(const Token& t)
{
    if (t.kind != TokenKind::String) return false;
    auto text = Trim(t.text);
    // Only the module's two literal forms count, with an optional time: a text that merely contains digits stays text.
    bool iso = text.size() >= 8 && text.size() <= 23 && text[4] == '-';
    bool us = text.size() >= 8 && text.size() <= 23 && (text[1] == '/' || text[2] == '/');
    return (iso || us) && DateTime::Parse(text).has_value();
}

//! Index of the token closing the bracket opened at `open`.
size_t MatchingClose(const Tokens& t, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < t.size(); ++i) {
        if (t[i].IsSymbol("(")) ++depth;
        else if (t[i].IsSymbol(")") && --depth == 0) return i;
    }
    throw SqlError(fmt::format("括号不匹配 (位置 {})", t[open].offset));
}

void RejectUnsupported(const Tokens& t)
{
    static constexpr std::string_view words[] = {"nolock", "merge",  "apply",    "pivot",  "unpivot",  "waitfor",
                                                 "raiserror", "goto", "while",   "cursor", "fetch",    "percent",
                                                 "sp_executesql", "identity", "output", "openquery", "openrowset",
                                                 "readpast", "holdlock", "try", "catch", "ties"};
    for (const auto& token : t) {
        if (token.kind == TokenKind::Variable && token.text.starts_with("@@"))
            throw SqlError(fmt::format("不支持的 T-SQL 语法: {}", token.text));
        if (token.IsSymbol("!<") || token.IsSymbol("!>")) throw SqlError(fmt::format("不支持的 T-SQL 运算符: {}", token.text));
        for (auto w : words)
            if (token.Is(w)) throw SqlError(fmt::format("不支持的 T-SQL 语法: {}", ToLowerAscii(token.text)));
    }
}

void DropDboPrefix(Tokens& t)
{
    for (size_t i = 0; i + 1 < t.size();) {
        if (t[i].Is("dbo") && t[i + 1].IsSymbol(".") && (i == 0 || !t[i - 1].IsSymbol("."))) {
            bool space = t[i].spaceBefore;
            t.erase(t.begin() + i, t.begin() + i + 2);
            if (i < t.size()) t[i].spaceBefore = space;
        } else {
            ++i;
        }
    }
}

//! "select a into T from ..." becomes "create table T as select a from ...".
void RewriteSelectInto(Tokens& t, const Dialect& dialect)
{
    if (t.empty() || !t[0].Is("select")) return;
    int depth = 0;
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        if (t[i].IsSymbol("(")) ++depth;
        else if (t[i].IsSymbol(")")) --depth;
        else if (depth == 0 && t[i].Is("from")) return;
        else if (depth == 0 && t[i].Is("into")) {
            Token target = t[i + 1];
            t.erase(t.begin() + i, t.begin() + i + 2);
            bool temp = target.kind == TokenKind::Word && target.text.starts_with("#");
            Tokens head{Raw(temp ? dialect.CreateTempTable() : "create table"), target, Raw("as")};
            t.insert(t.begin(), head.begin(), head.end());
            return;
        }
    }
}

void RewriteHead(Tokens& t, const Dialect& dialect)
{
    if (t.size() >= 2 && t[0].Is("delete") && !t[1].Is("from")) t.insert(t.begin() + 1, Raw("from"));
    if (t.size() >= 3 && t[0].Is("truncate") && t[1].Is("table")) {
        t[0] = Raw("delete");
        t[1] = Raw("from");
    }
    if (t.size() >= 3 && t[0].Is("create") && t[1].Is("table") && t[2].kind == TokenKind::Word &&
        (t[2].text.starts_with("#") || dialect.IsSessionTable(ToLowerAscii(t[2].text)))) {
        t[0] = Raw(dialect.CreateTempTable());
        t.erase(t.begin() + 1);
    }
    RewriteSelectInto(t, dialect);
}

//! Replaces the T-SQL column type at `typePos`, with its size arguments, by the backend's type.
void ReplaceColumnType(Tokens& t, size_t typePos, const Dialect& dialect)
{
    std::vector<std::string> args;
    size_t typeEnd = typePos + 1;
    if (typeEnd < t.size() && t[typeEnd].IsSymbol("(")) {
        size_t close = MatchingClose(t, typeEnd);
        for (size_t k = typeEnd + 1; k < close; ++k)
            if (!t[k].IsSymbol(",")) args.push_back(t[k].text);
        typeEnd = close + 1;
    }
    std::string type = dialect.ColumnType(ToLowerAscii(t[typePos].text), args);
    t.erase(t.begin() + typePos, t.begin() + typeEnd);
    t.insert(t.begin() + typePos, Raw(type));
}

//! Column types of CREATE TABLE, and DEFAULT getdate().
void RewriteColumnTypes(Tokens& t, const Dialect& dialect)
{
    size_t name = 0;
    if (t.size() >= 4 && t[0].Is("create") && t[1].Is("table")) name = 2;
    else if (t.size() >= 3 && t[0].kind == TokenKind::Raw && t[0].text == dialect.CreateTempTable()) name = 1;
    else return;
    if (name + 1 >= t.size() || !t[name + 1].IsSymbol("(")) return;
    size_t close = MatchingClose(t, name + 1);
    size_t element = name + 2;
    while (element < close) {
        const Token& first = t[element];
        bool isColumn = !(first.Is("primary") || first.Is("constraint") || first.Is("unique") || first.Is("foreign") ||
                          first.Is("check") || first.Is("index"));
        if (isColumn && element + 1 < close && t[element + 1].kind == TokenKind::Word) {
            ReplaceColumnType(t, element + 1, dialect);
            close = MatchingClose(t, name + 1);
        }
        // to the next element at depth 1
        int depth = 0;
        size_t k = element;
        for (; k < close; ++k) {
            if (t[k].IsSymbol("(")) ++depth;
            else if (t[k].IsSymbol(")")) --depth;
            else if (depth == 0 && t[k].IsSymbol(",")) break;
            else if (depth == 0 && t[k].Is("default")) {
                size_t v = k + 1;
                bool wrapped = v < close && t[v].IsSymbol("(");
                size_t call = wrapped ? v + 1 : v;
                if (call + 2 < t.size() && t[call].Is("getdate") && t[call + 1].IsSymbol("(") && t[call + 2].IsSymbol(")")) {
                    size_t end = call + 3 + (wrapped ? 1 : 0);
                    t.erase(t.begin() + v, t.begin() + end);
                    t.insert(t.begin() + v, Raw(dialect.DefaultNow()));
                    close = MatchingClose(t, name + 1);
                }
            }
        }
        element = k + 1;
    }
}

//! "alter table T add col type" of T-SQL becomes "alter table T add column col <backend type>".
void RewriteAddColumn(Tokens& t, const Dialect& dialect)
{
    if (t.size() < 6 || !t[0].Is("alter") || !t[1].Is("table") || !t[3].Is("add")) return;
    size_t column = t[4].Is("column") ? 5 : 4;
    if (column + 1 >= t.size() || t[column + 1].kind != TokenKind::Word) return;
    ReplaceColumnType(t, column + 1, dialect);
    if (column == 4) t.insert(t.begin() + 4, Raw("column"));
}

//! The end of the SELECT that starts at `s`: a compound keyword at its depth, the bracket that encloses it, or the end.
size_t SelectMemberEnd(const Tokens& t, size_t s, bool& compound)
{
    int depth = 0;
    for (size_t i = s + 1; i < t.size(); ++i) {
        if (t[i].IsSymbol("(")) ++depth;
        else if (t[i].IsSymbol(")")) {
            if (depth == 0) return i;
            --depth;
        } else if (depth == 0 && (t[i].Is("union") || t[i].Is("except") || t[i].Is("intersect"))) {
            compound = true;
            return i;
        }
    }
    return t.size();
}

void RewriteTop(Tokens& t)
{
    for (size_t s = 0; s < t.size(); ++s) {
        if (!t[s].Is("select")) continue;
        size_t p = s + 1;
        if (p < t.size() && (t[p].Is("distinct") || t[p].Is("all"))) ++p;
        if (p >= t.size() || !t[p].Is("top")) continue;
        std::string count;
        size_t end = p + 1;
        if (end < t.size() && t[end].kind == TokenKind::Number) {
            count = t[end].text;
            end += 1;
        } else if (end + 2 < t.size() && t[end].IsSymbol("(") && t[end + 1].kind == TokenKind::Number && t[end + 2].IsSymbol(")")) {
            count = t[end + 1].text;
            end += 3;
        } else {
            throw SqlError(fmt::format("TOP 之后需要行数 (位置 {})", t[p].offset));
        }
        t.erase(t.begin() + p, t.begin() + end);
        bool compound = s > 0 && (t[s - 1].Is("union") || t[s - 1].Is("all") || t[s - 1].Is("except") || t[s - 1].Is("intersect"));
        size_t memberEnd = SelectMemberEnd(t, s, compound);
        if (compound) {
            // A LIMIT inside one member of a compound select needs a subquery of its own.
            t.insert(t.begin() + memberEnd, {Raw("limit " + count), Raw(") as top_" + std::to_string(s))});
            t.insert(t.begin() + s, Raw("select * from ("));
        } else {
            t.insert(t.begin() + memberEnd, Raw("limit " + count));
        }
    }
}

bool PrecedesTableName(const Tokens& t, size_t i)
{
    if (i == 0) return false;
    const Token& prev = t[i - 1];
    if (prev.Is("into") || prev.Is("table") || prev.Is("update") || prev.Is("references")) return true;
    if (prev.kind == TokenKind::Raw && prev.text.ends_with("table")) return true;
    // create [unique] index IX on T (cols)
    return prev.Is("on") && !t.empty() && t[0].Is("create");
}

struct FunctionContext {
    const Dialect& dialect;
    std::vector<TableCall>& tableCalls;
};

std::atomic<unsigned> tableCallCounter{0};

void RewriteCast(Tokens& t, size_t open, size_t close, const Dialect& dialect)
{
    int depth = 0;
    for (size_t k = open + 1; k < close; ++k) {
        if (t[k].IsSymbol("(")) ++depth;
        else if (t[k].IsSymbol(")")) --depth;
        else if (depth == 0 && t[k].Is("as") && k + 1 < close) {
            std::string type = ToLowerAscii(t[k + 1].text);
            t.erase(t.begin() + k + 1, t.begin() + close);
            t.insert(t.begin() + k + 1, Raw(dialect.CastType(type)));
            return;
        }
    }
    throw SqlError(fmt::format("CAST 缺少 AS (位置 {})", t[open].offset));
}

//! convert(type, expr) becomes cast(expr as type).
void RewriteConvert(Tokens& t, size_t name, size_t open, size_t close, const Dialect& dialect)
{
    std::string type = ToLowerAscii(t[open + 1].text);
    size_t comma = open + 2;
    if (comma < close && t[comma].IsSymbol("(")) comma = MatchingClose(t, comma) + 1;
    if (comma >= close || !t[comma].IsSymbol(",")) throw SqlError("CONVERT 语法错误");
    int depth = 0;
    for (size_t k = comma + 1; k < close; ++k) {
        if (t[k].IsSymbol("(")) ++depth;
        else if (t[k].IsSymbol(")")) --depth;
        else if (depth == 0 && t[k].IsSymbol(",")) throw SqlError("不支持的 T-SQL 语法: convert 的样式参数");
    }
    Tokens expr(t.begin() + comma + 1, t.begin() + close);
    Tokens replacement{Raw("cast(")};
    replacement.insert(replacement.end(), expr.begin(), expr.end());
    replacement.push_back(Raw("as " + dialect.CastType(type) + ")"));
    t.erase(t.begin() + name, t.begin() + close + 1);
    t.insert(t.begin() + name, replacement.begin(), replacement.end());
}

void RewriteTableCall(Tokens& t, size_t name, size_t open, size_t close, FunctionContext& context)
{
    std::string function = ToLowerAscii(t[name].text);
    if (!context.dialect.IsTableRoutine(function)) throw SqlError(fmt::format("不支持的表函数: {}", function));
    TableCall call;
    call.function = function;
    if (close > open + 1) {
        Tokens args{Token{TokenKind::Word, "select", 0, false}};
        args.insert(args.end(), t.begin() + open + 1, t.begin() + close);
        call.arguments = RewriteStatement(std::move(args), context.dialect).statement;
    }
    call.tempTable = fmt::format("tf_{}_{}", function, tableCallCounter++);
    t.erase(t.begin() + name, t.begin() + close + 1);
    t.insert(t.begin() + name, Raw(context.dialect.QuoteName(call.tempTable)));
    context.tableCalls.push_back(std::move(call));
}

void RewriteFunctions(Tokens& t, FunctionContext& context)
{
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind != TokenKind::Word || !t[i + 1].IsSymbol("(") || IsKeyword(t[i]) || PrecedesTableName(t, i)) continue;
        if (i > 0 && t[i - 1].IsSymbol(".")) continue;
        size_t close = MatchingClose(t, i + 1);
        std::string lower = ToLowerAscii(t[i].text);
        if (i > 0 && (t[i - 1].Is("from") || t[i - 1].Is("join"))) {
            RewriteTableCall(t, i, i + 1, close, context);
            continue;
        }
        if (lower == "cast") {
            RewriteCast(t, i + 1, close, context.dialect);
            continue;
        }
        if (lower == "convert") {
            RewriteConvert(t, i, i + 1, close, context.dialect);
            continue;
        }
        if (context.dialect.IsScalarRoutine(lower)) {
            t[i].text = lower;
            continue;
        }
        auto mapped = context.dialect.FunctionName(lower);
        if (!mapped) throw SqlError(fmt::format("不支持的 T-SQL 函数: {}", t[i].text));
        t[i].text = *mapped;
    }
}

// --- "+" on text -------------------------------------------------------------------------------

bool IsArithmetic(const Token& t) { return t.IsSymbol("+") || t.IsSymbol("-") || t.IsSymbol("*") || t.IsSymbol("/") || t.IsSymbol("%"); }

//! One operand: a literal, a name chain, a call or a bracketed group. Returns the index after it, or `i` when none starts here.
size_t UnitEnd(const Tokens& t, size_t i)
{
    if (i >= t.size()) return i;
    const Token& token = t[i];
    switch (token.kind) {
    case TokenKind::String:
    case TokenKind::Number:
    case TokenKind::Parameter:
    case TokenKind::Variable: return i + 1;
    case TokenKind::Symbol:
        if (token.IsSymbol("(")) return MatchingClose(t, i) + 1;
        return i;
    case TokenKind::QuotedName:
    case TokenKind::Word: {
        if (token.kind == TokenKind::Word && IsKeyword(token) && !token.Is("null")) return i;
        size_t p = i + 1;
        while (p + 1 < t.size() && t[p].IsSymbol(".") &&
               (t[p + 1].kind == TokenKind::Word || t[p + 1].kind == TokenKind::QuotedName || t[p + 1].IsSymbol("*")))
            p += 2;
        if (p < t.size() && t[p].IsSymbol("(")) return MatchingClose(t, p) + 1;
        return p;
    }
    default: return i;
    }
}

bool IsTextUnit(const Tokens& t, size_t begin, size_t end, const Dialect& dialect)
{
    const Token& first = t[begin];
    if (first.kind == TokenKind::String) return !IsDateLiteral(first);
    if (first.IsSymbol("(")) {
        size_t inner = UnitEnd(t, begin + 1);
        return inner > begin + 1 && IsTextUnit(t, begin + 1, inner, dialect);
    }
    if (first.kind != TokenKind::Word && first.kind != TokenKind::QuotedName) return false;
    if (t[end - 1].IsSymbol(")")) {
        static constexpr std::string_view textFunctions[] = {"ltrim", "rtrim", "upper", "lower", "substring", "substr",
                                                            "replace", "trim", "char", "nchar"};
        std::string name = ToLowerAscii(first.text);
        for (auto f : textFunctions)
            if (name == f) return true;
        if (name == "isnull" || name == "ifnull" || name == "coalesce") {
            size_t inner = UnitEnd(t, begin + 2);
            return inner > begin + 2 && IsTextUnit(t, begin + 2, inner, dialect);
        }
        return false;
    }
    return dialect.IsTextColumn(t[end - 1].text);
}

void RewriteConcatenation(Tokens& t, const Dialect& dialect)
{
    for (size_t i = 0; i < t.size(); ++i) {
        if (i > 0 && (IsArithmetic(t[i - 1]) || t[i - 1].IsSymbol("."))) continue;
        size_t end = UnitEnd(t, i);
        if (end == i) continue;
        std::vector<size_t> plusSigns;
        bool anyText = false, onlyPlus = true;
        size_t termBegin = i, unitEnd = end;
        bool termIsSingle = true;
        while (true) {
            // extend the term over * / %
            while (unitEnd < t.size() && (t[unitEnd].IsSymbol("*") || t[unitEnd].IsSymbol("/") || t[unitEnd].IsSymbol("%"))) {
                size_t next = UnitEnd(t, unitEnd + 1);
                if (next == unitEnd + 1) break;
                unitEnd = next;
                termIsSingle = false;
            }
            if (termIsSingle && IsTextUnit(t, termBegin, unitEnd, dialect)) anyText = true;
            if (unitEnd >= t.size() || !(t[unitEnd].IsSymbol("+") || t[unitEnd].IsSymbol("-"))) break;
            size_t next = UnitEnd(t, unitEnd + 1);
            if (next == unitEnd + 1) break;
            if (t[unitEnd].IsSymbol("+")) plusSigns.push_back(unitEnd);
            else onlyPlus = false;
            termBegin = unitEnd + 1;
            unitEnd = next;
            termIsSingle = true;
        }
        if (anyText && onlyPlus)
            for (size_t p : plusSigns) t[p] = Raw("||");
    }
}

// --- select-list aliases ------------------------------------------------------------------------

//! T-SQL's "alias = expression" in a select list becomes "expression as alias".
void RewriteEqualsAliases(Tokens& t)
{
    for (size_t s = 0; s < t.size(); ++s) {
        if (!t[s].Is("select")) continue;
        size_t itemStart = s + 1;
        if (itemStart < t.size() && (t[itemStart].Is("distinct") || t[itemStart].Is("all"))) ++itemStart;
        int depth = 0;
        for (size_t i = itemStart; i <= t.size(); ++i) {
            bool atEnd = i == t.size();
            if (!atEnd && t[i].IsSymbol("(")) {
                ++depth;
                continue;
            }
            if (!atEnd && t[i].IsSymbol(")") && depth > 0) {
                --depth;
                continue;
            }
            if (!atEnd && depth > 0) continue;
            bool listEnds = atEnd || t[i].IsSymbol(")") || t[i].Is("from") || t[i].Is("into") || t[i].Is("where") ||
                            t[i].Is("union") || t[i].Is("group") || t[i].Is("order");
            if (!listEnds && !t[i].IsSymbol(",")) continue;
            if (i >= itemStart + 3 && t[itemStart].kind == TokenKind::Word && !IsKeyword(t[itemStart]) &&
                t[itemStart + 1].IsSymbol("=")) {
                Token alias = t[itemStart];
                t.erase(t.begin() + itemStart, t.begin() + itemStart + 2);
                i -= 2;
                t.insert(t.begin() + i, {Raw("as"), alias});
                i += 2;
            }
            if (listEnds) break;
            itemStart = i + 1;
        }
    }
}

// --- rendering ---------------------------------------------------------------------------------

bool IsComparison(const Token& t)
{
    return t.IsSymbol("=") || t.IsSymbol("<>") || t.IsSymbol("!=") || t.IsSymbol("<") || t.IsSymbol(">") ||
           t.IsSymbol("<=") || t.IsSymbol(">=");
}

//! A text literal on one side of a comparison whose other side is a text literal too ('ABC' = 'abc').
bool IsPairedText(const Tokens& t, size_t i)
{
    auto isText = [&](size_t k) { return t[k].kind == TokenKind::String && !IsDateLiteral(t[k]); };
    bool before = i >= 2 && IsComparison(t[i - 1]) && isText(i - 2);
    bool after = i + 2 < t.size() && IsComparison(t[i + 1]) && isText(i + 2);
    return before || after;
}

bool IsWordLike(const Token& t)
{
    return t.kind == TokenKind::Word || t.kind == TokenKind::Number || t.kind == TokenKind::Parameter ||
           t.kind == TokenKind::Variable || IsDateLiteral(t);
}

NativeStatement Render(const Tokens& t, const Dialect& dialect)
{
    NativeStatement out;
    out.isDdl = !t.empty() && (t[0].Is("create") || t[0].Is("drop") || t[0].Is("alter") ||
                               (t[0].kind == TokenKind::Raw && StartsWithNoCase(t[0].text, "create")));
    std::string& sql = out.sql;
    for (size_t i = 0; i < t.size(); ++i) {
        const Token& token = t[i];
        if (i > 0 && (token.spaceBefore || t[i - 1].kind == TokenKind::Raw || (IsWordLike(t[i - 1]) && IsWordLike(token))))
            sql += ' ';
        switch (token.kind) {
        case TokenKind::Word:
            if (token.text.starts_with("#")) sql += dialect.TempTableName(token.text);
            else sql += token.text;
            break;
        case TokenKind::QuotedName: sql += dialect.QuoteName(token.text); break;
        case TokenKind::String:
            if (IsDateLiteral(token)) sql += dialect.DateLiteral(*DateTime::Parse(Trim(token.text)));
            else if (out.isDdl) sql += dialect.StringLiteral(token.text);
            else sql += IsPairedText(t, i) ? dialect.PairedTextValue(token.text) : dialect.TextValue(token.text);
            break;
        case TokenKind::Parameter:
        case TokenKind::Variable: {
            std::string name = token.kind == TokenKind::Parameter ? ToLowerAscii(token.text)
                                                                  : "__v_" + ToLowerAscii(token.text.substr(1));
            sql += dialect.Placeholder(name, out.params.size());
            out.params.push_back(std::move(name));
            break;
        }
        default: sql += token.text;
        }
    }
    return out;
}

}  // namespace

Rewritten RewriteStatement(Tokens tokens, const Dialect& dialect)
{
    RejectUnsupported(tokens);
    Rewritten result;
    DropDboPrefix(tokens);
    RewriteHead(tokens, dialect);
    RewriteColumnTypes(tokens, dialect);
    RewriteAddColumn(tokens, dialect);
    RewriteTop(tokens);
    RewriteEqualsAliases(tokens);
    FunctionContext context{dialect, result.tableCalls};
    RewriteFunctions(tokens, context);
    RewriteConcatenation(tokens, dialect);
    result.statement = Render(tokens, dialect);
    return result;
}

Rewritten RewriteExpression(Tokens tokens, const Dialect& dialect, bool asCondition)
{
    Tokens select{Token{TokenKind::Word, "select", 0, false}};
    if (asCondition) select.push_back(Raw("case when"));
    select.insert(select.end(), tokens.begin(), tokens.end());
    if (asCondition) select.push_back(Raw("then 1 else 0 end"));
    return RewriteStatement(std::move(select), dialect);
}

}  // namespace mfg::sql
