#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "types/Variant.h"

namespace mfg {

//! A filter expression that cannot be read or bound; the text names the problem and its position.
class FilterError : public std::runtime_error {
public:
    FilterError(std::string_view problem, std::string_view expression, size_t position);
    //! 1-based character (not byte) position in the expression where the problem lies.
    size_t Position() const { return position; }

private:
    size_t position;
};

//! How text is compared by a filter.
struct FilterOptions {
    bool caseInsensitive = false;   //!< ASCII letters compare ignoring case
    bool noPartialCompare = false;  //!< a trailing '*' in a text literal is an ordinary character
};

//! A dataset filter compiled once and evaluated per row. The syntax: comparisons `= <> != < > <= >=`
//! between field names (plain or [bracketed]) and literals ('text' with '' for a quote, numbers,
//! dates as quoted text), `is [not] null`, `= null`, `[not] in (literal, ...)`, `and`, `or`, `not`
//! and parentheses, keywords in any case. A text literal ending in '*' compared with = or <> is a
//! prefix match. A comparison that meets a null is false; `not` then makes it true.
class FilterExpression {
public:
    //! A field the expression may name: its column in the row and its type.
    struct FieldInfo {
        int index = -1;
        FieldType type = FieldType::Unknown;
    };
    //! Finds a field by name; nullopt when there is none.
    using FieldResolver = std::function<std::optional<FieldInfo>(std::string_view name)>;

    //! The empty filter, matching every row.
    FilterExpression() = default;

    //! Parses `text` and binds its field names through `resolve`; literals are converted to the
    //! type of the field they meet. Throws FilterError. Blank text gives the empty filter.
    static FilterExpression Compile(std::string_view text, const FieldResolver& resolve, FilterOptions options = {});
    //! Checks the syntax only, taking any field name; throws FilterError.
    static void CheckSyntax(std::string_view text);

    bool Empty() const { return root < 0; }
    const std::string& Text() const { return text; }
    //! True when the row (values indexed as the resolver told) passes the filter.
    bool Matches(std::span<const Variant> row) const;

private:
    enum class NodeKind { Or, And, Not, Compare, IsNull, IsNotNull, In };
    enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

    struct Operand {
        int field = -1;  // -1: a literal
        Variant literal;
    };

    struct Node {
        NodeKind kind = NodeKind::Compare;
        CompareOp op = CompareOp::Equal;
        int left = -1;
        int right = -1;
        Operand a;
        Operand b;
        bool prefix = false;  // a text prefix match ('A*'), the prefix in prefixText
        std::string prefixText;
        std::vector<Variant> list;
    };

    bool Evaluate(int node, std::span<const Variant> row) const;
    bool EvaluateCompare(const Node& node, std::span<const Variant> row) const;

    friend class FilterParser;

    std::string text;
    std::vector<Node> nodes;
    int root = -1;
    bool caseInsensitive = false;
    bool partialDisabled = false;
};

}  // namespace mfg
