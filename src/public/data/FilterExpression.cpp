#include "data/FilterExpression.h"

#include <charconv>

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg {
namespace {

size_t CharacterPosition(std::string_view text, size_t offset)
{
    size_t count = 0;
    for (size_t i = 0; i < offset && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++count;
    return count + 1;
}

bool IsNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }

bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

enum class TokenKind { End, Name, QuotedName, Text, Number, Symbol };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    size_t offset = 0;

    bool IsWord(std::string_view word) const { return kind == TokenKind::Name && EqualsNoCase(text, word); }
    bool IsSymbol(std::string_view symbol) const { return kind == TokenKind::Symbol && text == symbol; }
};

}  // namespace

FilterError::FilterError(std::string_view problem, std::string_view expression, size_t offset)
    : std::runtime_error(fmt::format("过滤条件错误(位置 {}): {}。过滤条件: {}", CharacterPosition(expression, offset),
                                     problem, expression)),
      position(CharacterPosition(expression, offset))
{
}

// Recursive descent over the tokens: or < and < not < comparison.
class FilterParser {
public:
    FilterParser(std::string_view source, const FilterExpression::FieldResolver* resolver, FilterExpression& target)
        : source(source), resolve(resolver), out(target)
    {
        Tokenize();
    }

    void Parse()
    {
        if (tokens.front().kind == TokenKind::End) return;
        out.root = ParseOr();
        if (Peek().kind != TokenKind::End) Fail(fmt::format("多余的内容 '{}'", Peek().text), Peek().offset);
    }

private:
    using Node = FilterExpression::Node;
    using NodeKind = FilterExpression::NodeKind;
    using CompareOp = FilterExpression::CompareOp;
    using Operand = FilterExpression::Operand;

    struct ParsedOperand {
        Operand operand;
        FieldType fieldType = FieldType::Unknown;
        bool isText = false;  // a quoted literal, still as text
        size_t offset = 0;
    };

    [[noreturn]] void Fail(std::string_view problem, size_t offset) const { throw FilterError(problem, source, offset); }

    void Tokenize()
    {
        size_t pos = 0;
        while (pos < source.size()) {
            char c = source[pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++pos;
                continue;
            }
            Token token;
            token.offset = pos;
            if (c == '\'') {
                token.kind = TokenKind::Text;
                ++pos;
                bool closed = false;
                while (pos < source.size()) {
                    if (source[pos] == '\'') {
                        if (pos + 1 < source.size() && source[pos + 1] == '\'') {
                            token.text += '\'';
                            pos += 2;
                            continue;
                        }
                        closed = true;
                        ++pos;
                        break;
                    }
                    token.text += source[pos++];
                }
                if (!closed) Fail("字符串缺少结束的单引号", token.offset);
            } else if (c == '[') {
                token.kind = TokenKind::QuotedName;
                size_t end = source.find(']', pos + 1);
                if (end == std::string_view::npos) Fail("字段名缺少结束的 ']'", token.offset);
                token.text = std::string(Trim(source.substr(pos + 1, end - pos - 1)));
                if (token.text.empty()) Fail("方括号中缺少字段名", token.offset);
                pos = end + 1;
            } else if (IsDigit(c) || (c == '.' && pos + 1 < source.size() && IsDigit(source[pos + 1]))) {
                token.kind = TokenKind::Number;
                while (pos < source.size() && (IsDigit(source[pos]) || source[pos] == '.')) token.text += source[pos++];
                if (pos < source.size() && (source[pos] == 'e' || source[pos] == 'E')) {
                    token.text += source[pos++];
                    if (pos < source.size() && (source[pos] == '+' || source[pos] == '-')) token.text += source[pos++];
                    while (pos < source.size() && IsDigit(source[pos])) token.text += source[pos++];
                }
                if (pos < source.size() && IsNameStart(static_cast<unsigned char>(source[pos])))
                    Fail(fmt::format("无效的数字 '{}'", source.substr(token.offset, pos + 1 - token.offset)), token.offset);
            } else if (IsNameStart(static_cast<unsigned char>(c))) {
                token.kind = TokenKind::Name;
                while (pos < source.size() && IsNameChar(static_cast<unsigned char>(source[pos]))) token.text += source[pos++];
            } else {
                token.kind = TokenKind::Symbol;
                std::string_view two = source.substr(pos, 2);
                if (two == "<>" || two == "<=" || two == ">=" || two == "!=") {
                    token.text = std::string(two);
                    pos += 2;
                } else if (c == '=' || c == '<' || c == '>' || c == '(' || c == ')' || c == ',' || c == '-' ||
                           c == '+') {
                    token.text = std::string(1, c);
                    ++pos;
                } else {
                    size_t length = 1;
                    auto lead = static_cast<unsigned char>(c);
                    if (lead >= 0xC0) length = lead >= 0xF0 ? 4 : (lead >= 0xE0 ? 3 : 2);
                    Fail(fmt::format("无法识别的字符 '{}'", source.substr(pos, length)), pos);
                }
            }
            tokens.push_back(std::move(token));
        }
        Token end;
        end.offset = source.size();
        tokens.push_back(end);
    }

    const Token& Peek() const { return tokens[current]; }
    const Token& Take() { return tokens[current < tokens.size() - 1 ? current++ : current]; }

    int Add(Node node)
    {
        out.nodes.push_back(std::move(node));
        return static_cast<int>(out.nodes.size() - 1);
    }

    int ParseOr()
    {
        int left = ParseAnd();
        while (Peek().IsWord("or")) {
            Take();
            Node node;
            node.kind = NodeKind::Or;
            node.left = left;
            node.right = ParseAnd();
            left = Add(std::move(node));
        }
        return left;
    }

    int ParseAnd()
    {
        int left = ParseNot();
        while (Peek().IsWord("and")) {
            Take();
            Node node;
            node.kind = NodeKind::And;
            node.left = left;
            node.right = ParseNot();
            left = Add(std::move(node));
        }
        return left;
    }

    int ParseNot()
    {
        if (Peek().IsWord("not")) {
            Take();
            Node node;
            node.kind = NodeKind::Not;
            node.left = ParseNot();
            return Add(std::move(node));
        }
        if (Peek().IsSymbol("(")) {
            size_t open = Take().offset;
            int inner = ParseOr();
            if (!Peek().IsSymbol(")")) Fail("缺少右括号 ')'", Peek().kind == TokenKind::End ? open : Peek().offset);
            Take();
            return inner;
        }
        return ParseComparison();
    }

    static bool IsKeyword(const Token& token)
    {
        return token.IsWord("and") || token.IsWord("or") || token.IsWord("not") || token.IsWord("is") ||
               token.IsWord("in") || token.IsWord("null");
    }

    ParsedOperand ParseOperand()
    {
        const Token& token = Peek();
        ParsedOperand parsed;
        parsed.offset = token.offset;
        if (token.kind == TokenKind::End) Fail("缺少字段名或值", token.offset);
        if (token.kind == TokenKind::Text) {
            parsed.operand.literal = Variant(token.text);
            parsed.isText = true;
            Take();
            return parsed;
        }
        if (token.kind == TokenKind::Number || token.IsSymbol("-") || token.IsSymbol("+")) {
            bool negative = token.IsSymbol("-");
            if (token.kind == TokenKind::Symbol) {
                Take();
                if (Peek().kind != TokenKind::Number) Fail("符号后缺少数字", Peek().offset);
            }
            const Token& number = Take();
            parsed.operand.literal = NumberValue(number, negative);
            return parsed;
        }
        if (token.kind == TokenKind::QuotedName || (token.kind == TokenKind::Name && !IsKeyword(token))) {
            BindField(token, parsed);
            Take();
            return parsed;
        }
        if (token.IsWord("null")) Fail("NULL 只能出现在比较的右边", token.offset);
        Fail(fmt::format("应为字段名或值，却是 '{}'", token.text), token.offset);
    }

    Variant NumberValue(const Token& token, bool negative) const
    {
        const std::string& digits = token.text;
        bool integral = digits.find_first_of(".eE") == std::string::npos;
        if (integral) {
            std::int64_t value = 0;
            auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (ec == std::errc() && ptr == digits.data() + digits.size()) return Variant(negative ? -value : value);
        }
        double value = 0;
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || ptr != digits.data() + digits.size())
            Fail(fmt::format("无效的数字 '{}'", digits), token.offset);
        return Variant(negative ? -value : value);
    }

    void BindField(const Token& token, ParsedOperand& parsed)
    {
        if (!resolve) {
            parsed.operand.field = 0;
            return;
        }
        auto info = (*resolve)(token.text);
        if (!info) Fail(fmt::format("字段 '{}' 不存在", token.text), token.offset);
        parsed.operand.field = info->index;
        parsed.fieldType = info->type;
    }

    // A literal takes the type of the field it is compared with, once, so that rows compare cheaply
    // and a date or number the field cannot hold is reported at its place in the text.
    Variant ConvertLiteral(const ParsedOperand& literal, FieldType type) const
    {
        const Variant& value = literal.operand.literal;
        if (value.IsNull() || type == FieldType::Unknown || type == FieldType::Blob || value.Type() == type) return value;
        if (type == FieldType::Text) return Variant(value.AsString());
        // Numbers already compare by value with numeric, date and bool fields; converting would truncate 1.5 for an integer.
        if (!literal.isText) return value;
        if (literal.isText && Trim(value.AsString()).empty()) Fail("空文本不能与非文本字段比较", literal.offset);
        try {
            return value.ConvertedTo(type);
        } catch (const ConversionError&) {
            Fail(fmt::format("'{}' 不是有效的{}", value.AsString(), TypeWord(type)), literal.offset);
        }
    }

    static std::string_view TypeWord(FieldType type)
    {
        switch (type) {
        case FieldType::DateTime: return "日期";
        case FieldType::Bool: return "布尔值";
        case FieldType::Integer: return "整数";
        default: return "数值";
        }
    }

    void FillOperands(Node& node, ParsedOperand& left, ParsedOperand& right)
    {
        bool leftField = left.operand.field >= 0;
        bool rightField = right.operand.field >= 0;
        if (leftField && !rightField) {
            right.operand.literal = ConvertLiteral(right, left.fieldType);
        } else if (rightField && !leftField) {
            left.operand.literal = ConvertLiteral(left, right.fieldType);
        }
        node.a = std::move(left.operand);
        node.b = std::move(right.operand);
    }

    int ParseComparison()
    {
        ParsedOperand left = ParseOperand();
        Node node;
        const Token& token = Peek();
        if (token.IsWord("is")) {
            Take();
            bool negated = false;
            if (Peek().IsWord("not")) {
                Take();
                negated = true;
            }
            if (!Peek().IsWord("null")) Fail("IS 后应为 NULL", Peek().offset);
            Take();
            node.kind = negated ? NodeKind::IsNotNull : NodeKind::IsNull;
            node.a = std::move(left.operand);
            return Add(std::move(node));
        }
        if (token.IsWord("in") || (token.IsWord("not") && tokens[current + 1].IsWord("in"))) {
            bool negated = token.IsWord("not");
            if (negated) Take();
            Take();
            return ParseInList(left, negated);
        }
        if (token.kind != TokenKind::Symbol || token.IsSymbol("(") || token.IsSymbol(")") || token.IsSymbol(",") ||
            token.IsSymbol("-") || token.IsSymbol("+"))
            Fail(token.kind == TokenKind::End ? "缺少比较运算符" : fmt::format("应为比较运算符，却是 '{}'", token.text),
                 token.offset);
        node.op = OperatorOf(token.text);
        Take();
        if (Peek().IsWord("null")) {
            if (node.op != CompareOp::Equal && node.op != CompareOp::NotEqual)
                Fail("NULL 只能用 =、<> 或 IS 比较", Peek().offset);
            Take();
            node.kind = node.op == CompareOp::Equal ? NodeKind::IsNull : NodeKind::IsNotNull;
            node.a = std::move(left.operand);
            return Add(std::move(node));
        }
        ParsedOperand right = ParseOperand();
        node.kind = NodeKind::Compare;
        if (!out.partialDisabled && right.isText && left.operand.field >= 0 &&
            (node.op == CompareOp::Equal || node.op == CompareOp::NotEqual)) {
            std::string literal = right.operand.literal.AsString();
            if (!literal.empty() && literal.back() == '*') {
                literal.pop_back();
                node.prefix = true;
                node.a = std::move(left.operand);
                node.prefixText = std::move(literal);
                return Add(std::move(node));
            }
        }
        FillOperands(node, left, right);
        return Add(std::move(node));
    }

    int ParseInList(ParsedOperand& left, bool negated)
    {
        if (!Peek().IsSymbol("(")) Fail("IN 后应为 '('", Peek().offset);
        Take();
        Node node;
        node.kind = NodeKind::In;
        while (true) {
            ParsedOperand item = ParseOperand();
            if (item.operand.field >= 0) Fail("IN 列表中只能是值", item.offset);
            node.list.push_back(left.operand.field >= 0 ? ConvertLiteral(item, left.fieldType) : item.operand.literal);
            if (Peek().IsSymbol(",")) {
                Take();
                continue;
            }
            if (!Peek().IsSymbol(")")) Fail("IN 列表缺少 ')'", Peek().offset);
            Take();
            break;
        }
        node.a = std::move(left.operand);
        int in = Add(std::move(node));
        if (!negated) return in;
        Node notNode;
        notNode.kind = NodeKind::Not;
        notNode.left = in;
        return Add(std::move(notNode));
    }

    CompareOp OperatorOf(const std::string& symbol) const
    {
        if (symbol == "=") return CompareOp::Equal;
        if (symbol == "<>" || symbol == "!=") return CompareOp::NotEqual;
        if (symbol == "<") return CompareOp::Less;
        if (symbol == ">") return CompareOp::Greater;
        if (symbol == "<=") return CompareOp::LessEqual;
        return CompareOp::GreaterEqual;
    }

    std::string_view source;
    const FilterExpression::FieldResolver* resolve;
    FilterExpression& out;
    std::vector<Token> tokens;
    size_t current = 0;
};

FilterExpression FilterExpression::Compile(std::string_view text, const FieldResolver& resolve, FilterOptions options)
{
    FilterExpression expression;
    expression.text = std::string(text);
    expression.caseInsensitive = options.caseInsensitive;
    expression.partialDisabled = options.noPartialCompare;
    FilterParser parser(expression.text, resolve ? &resolve : nullptr, expression);
    parser.Parse();
    return expression;
}

void FilterExpression::CheckSyntax(std::string_view text)
{
    FilterExpression expression;
    expression.text = std::string(text);
    FilterParser parser(expression.text, nullptr, expression);
    parser.Parse();
}

bool FilterExpression::Matches(std::span<const Variant> row) const { return root < 0 || Evaluate(root, row); }

bool FilterExpression::Evaluate(int index, std::span<const Variant> row) const
{
    const Node& node = nodes[static_cast<size_t>(index)];
    switch (node.kind) {
    case NodeKind::Or: return Evaluate(node.left, row) || Evaluate(node.right, row);
    case NodeKind::And: return Evaluate(node.left, row) && Evaluate(node.right, row);
    case NodeKind::Not: return !Evaluate(node.left, row);
    case NodeKind::IsNull:
    case NodeKind::IsNotNull: {
        const Variant& value = node.a.field >= 0 ? row[static_cast<size_t>(node.a.field)] : node.a.literal;
        return value.IsNull() == (node.kind == NodeKind::IsNull);
    }
    case NodeKind::In: {
        const Variant& value = node.a.field >= 0 ? row[static_cast<size_t>(node.a.field)] : node.a.literal;
        if (value.IsNull()) return false;
        for (const auto& item : node.list)
            if (!item.IsNull() && Variant::Compare(value, item, caseInsensitive) == 0) return true;
        return false;
    }
    case NodeKind::Compare: return EvaluateCompare(node, row);
    }
    return false;
}

bool FilterExpression::EvaluateCompare(const Node& node, std::span<const Variant> row) const
{
    const Variant& a = node.a.field >= 0 ? row[static_cast<size_t>(node.a.field)] : node.a.literal;
    if (a.IsNull()) return false;
    if (node.prefix) {
        std::string value = a.AsString();
        bool starts = caseInsensitive ? StartsWithNoCase(value, node.prefixText)
                                      : std::string_view(value).starts_with(node.prefixText);
        return node.op == CompareOp::Equal ? starts : !starts;
    }
    const Variant& b = node.b.field >= 0 ? row[static_cast<size_t>(node.b.field)] : node.b.literal;
    if (b.IsNull()) return false;
    int c = Variant::Compare(a, b, caseInsensitive);
    switch (node.op) {
    case CompareOp::Equal: return c == 0;
    case CompareOp::NotEqual: return c != 0;
    case CompareOp::Less: return c < 0;
    case CompareOp::Greater: return c > 0;
    case CompareOp::LessEqual: return c <= 0;
    case CompareOp::GreaterEqual: return c >= 0;
    }
    return false;
}

}  // namespace mfg
