#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mfg::sql {

enum class TokenKind {
    Word,         //!< identifier or keyword, also #temp names
    QuotedName,   //!< [name] or "name", text without the quotes
    String,       //!< 'text' or N'text', text unescaped
    Number,
    Parameter,    //!< :name, text without the colon
    Variable,     //!< @name or @@name, text with the at signs
    Symbol,       //!< operators and punctuation, multi-character ones joined (<=, >=, <>, !=, ||)
    Raw,          //!< backend SQL put in by the rewriter, emitted as it is
};

struct Token {
    TokenKind kind = TokenKind::Word;
    std::string text;
    size_t offset = 0;        //!< byte offset in the source, for error messages
    bool spaceBefore = false; //!< blank or comment before it in the source

    bool Is(std::string_view word) const;         //!< a Word equal to `word`, case ignored
    bool IsSymbol(std::string_view symbol) const; //!< a Symbol equal to `symbol`
};

//! Splits T-SQL text into tokens, dropping blanks and comments. Throws SqlError
//! for an unterminated string, bracket or comment, naming its position.
std::vector<Token> Tokenize(std::string_view text);

//! Error in T-SQL text the dialect layer cannot take: bad lexing or an unsupported construct.
class SqlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace mfg::sql
