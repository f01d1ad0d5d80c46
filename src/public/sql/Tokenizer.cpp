#include "sql/Tokenizer.h"

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg::sql {
namespace {

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '#' || c == '$' || c >= 0x80; }

class Lexer {
public:
    explicit Lexer(std::string_view source) : text(source) {}

    std::vector<Token> Run()
    {
        std::vector<Token> tokens;
        while (true) {
            bool blank = SkipBlanksAndComments();
            if (pos >= text.size()) break;
            Token token = Next();
            token.spaceBefore = blank;
            tokens.push_back(std::move(token));
        }
        return tokens;
    }

private:
    bool SkipBlanksAndComments()
    {
        bool skipped = false;
        while (pos < text.size()) {
            unsigned char c = text[pos];
            if (std::isspace(c)) {
                ++pos;
            } else if (text.substr(pos, 2) == "--") {
                size_t end = text.find('\n', pos);
                pos = end == std::string_view::npos ? text.size() : end + 1;
            } else if (text.substr(pos, 2) == "/*") {
                size_t end = text.find("*/", pos + 2);
                if (end == std::string_view::npos) throw SqlError(fmt::format("未结束的注释, 位置 {}", pos));
                pos = end + 2;
            } else {
                break;
            }
            skipped = true;
        }
        return skipped;
    }

    Token Next()
    {
        size_t start = pos;
        unsigned char c = text[pos];
        if ((c == 'N' || c == 'n') && pos + 1 < text.size() && text[pos + 1] == '\'') {
            ++pos;
            return QuotedText(start, '\'', '\'', TokenKind::String);
        }
        if (c == '\'') return QuotedText(start, '\'', '\'', TokenKind::String);
        if (c == '"') return QuotedText(start, '"', '"', TokenKind::QuotedName);
        if (c == '[') return QuotedText(start, '[', ']', TokenKind::QuotedName);
        if (std::isdigit(c) || (c == '.' && pos + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[pos + 1]))))
            return NumberToken(start);
        if (c == ':' && pos + 1 < text.size() && IsWordStart(static_cast<unsigned char>(text[pos + 1])) && text[pos + 1] != '#') {
            ++pos;
            while (pos < text.size() && IsWordChar(static_cast<unsigned char>(text[pos]))) ++pos;
            return {TokenKind::Parameter, std::string(text.substr(start + 1, pos - start - 1)), start};
        }
        if (c == '@') {
            ++pos;
            if (pos < text.size() && text[pos] == '@') ++pos;
            while (pos < text.size() && IsWordChar(static_cast<unsigned char>(text[pos]))) ++pos;
            return {TokenKind::Variable, std::string(text.substr(start, pos - start)), start};
        }
        if (IsWordStart(c)) {
            while (pos < text.size() && IsWordChar(static_cast<unsigned char>(text[pos]))) ++pos;
            return {TokenKind::Word, std::string(text.substr(start, pos - start)), start};
        }
        static constexpr std::string_view twoChar[] = {"<=", ">=", "<>", "!=", "!<", "!>", "||"};
        for (auto symbol : twoChar) {
            if (text.substr(pos, 2) == symbol) {
                pos += 2;
                return {TokenKind::Symbol, std::string(symbol), start};
            }
        }
        ++pos;
        return {TokenKind::Symbol, std::string(1, static_cast<char>(c)), start};
    }

    Token QuotedText(size_t start, char open, char close, TokenKind kind)
    {
        ++pos;  // opening quote
        std::string value;
        while (true) {
            if (pos >= text.size()) throw SqlError(fmt::format("未结束的 {} 引号, 位置 {}", open, start));
            char c = text[pos++];
            if (c == close) {
                if (pos < text.size() && text[pos] == close) {
                    value += close;
                    ++pos;
                    continue;
                }
                break;
            }
            value += c;
        }
        return {kind, std::move(value), start};
    }

    Token NumberToken(size_t start)
    {
        while (pos < text.size() && (std::isdigit(static_cast<unsigned char>(text[pos])) || text[pos] == '.')) ++pos;
        if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
            size_t save = pos++;
            if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
            if (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
                while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
            } else {
                pos = save;
            }
        }
        return {TokenKind::Number, std::string(text.substr(start, pos - start)), start};
    }

    std::string_view text;
    size_t pos = 0;
};

}  // namespace

bool Token::Is(std::string_view word) const { return kind == TokenKind::Word && EqualsNoCase(text, word); }

bool Token::IsSymbol(std::string_view symbol) const { return kind == TokenKind::Symbol && text == symbol; }

std::vector<Token> Tokenize(std::string_view text) { return Lexer(text).Run(); }

}  // namespace mfg::sql
