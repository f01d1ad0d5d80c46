#include "types/CsvRecords.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <stdexcept>

#include <fmt/format.h>

#include "types/Utf8.h"

namespace mfg {
namespace {

//! True when a spreadsheet could evaluate the text, or when it already starts with the apostrophe
//! that a guarded text gets: then its own apostrophe must survive the reading.
bool NeedsGuard(std::string_view text)
{
    if (text.empty()) return false;
    if (text.front() == '\'') return NeedsGuard(text.substr(1));
    return text.front() == '=' || text.front() == '+' || text.front() == '-' || text.front() == '@';
}

std::string Unguarded(std::string field)
{
    if (!field.empty() && field.front() == '\'' && NeedsGuard(std::string_view(field).substr(1))) field.erase(0, 1);
    return field;
}

//! Throws naming the line of the first byte that is no UTF-8.
void CheckUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = Utf8CharLength(text.substr(i));
        if (length == 0) {
            auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(i), '\n') + 1;
            throw std::invalid_argument(fmt::format("文件第 {} 行含有不是 UTF-8 的字节, 整个文件未读入。", line));
        }
        i += length;
    }
}

}  // namespace

std::vector<std::vector<std::string>> ReadCsvRecords(std::istream& in)
{
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    CheckUtf8(text);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, fieldStarted = false;
    auto endRecord = [&] {
        if (fieldStarted || !field.empty() || !record.empty()) {
            record.push_back(Unguarded(field));
            records.push_back(std::move(record));
        }
        record.clear();
        field.clear();
        fieldStarted = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = fieldStarted = true;
        } else if (c == ',') {
            record.push_back(Unguarded(field));
            field.clear();
            fieldStarted = true;
        } else if (c == '\n') {
            endRecord();
        } else if (c != '\r') {
            field += c;
        }
    }
    endRecord();
    return records;
}

std::string CsvField(const std::string& text)
{
    std::string field = NeedsGuard(text) ? "'" + text : text;
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace mfg
