#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mfg {

//! Blanks (space, tab, CR, LF) removed from both ends.
std::string_view Trim(std::string_view text);
//! ASCII letters lowered; other bytes (Chinese text among them) kept.
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
//! Three-way comparison with ASCII letters folded, as the database's case-insensitive collation orders text.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
std::vector<std::string> Split(std::string_view text, char separator);
//! A text value as an SQL literal: single quotes around it, quotes inside doubled.
std::string QuoteSql(std::string_view text);

//! Hash and equality that ignore ASCII case, for maps keyed by field or table names.
struct NoCaseHash {
    size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};
struct NoCaseLess {
    bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
};

}  // namespace mfg
