#include "ConsoleTable.h"

#include "ConsoleOutput.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <fmt/compile.h>
#include <fmt/format.h>

namespace mfg {
nlohmann::json JsonValue(const Variant& value)
{
    switch (value.Type()) {
    case FieldType::Unknown: return nullptr;
    case FieldType::Integer: return value.AsInteger();
    case FieldType::Float: return value.AsFloat();
    case FieldType::Bool: return value.AsBool();
    default: return value.AsString();
    }
}

std::string JsonText(const nlohmann::json& value, int indent)
{
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

JsonStream& JsonStream::operator<<(std::string_view json)
{
    // A part made apart goes out as it is, not through the buffer.
    if (out && json.size() >= FlushSize) {
        Flush();
        out->write(json.data(), static_cast<std::streamsize>(json.size()));
        return *this;
    }
    buffer += json;
    FlushWhenFull();
    return *this;
}

void JsonStream::FlushWhenFull()
{
    if (buffer.size() >= FlushSize) Flush();
}

void JsonStream::Flush()
{
    if (out) {
        out->write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        buffer.clear();
    } else if (!buffer.empty()) {
        kept.push_back(std::move(buffer));
        buffer = std::string();
    }
}

std::vector<std::string> JsonStream::Take()
{
    Flush();
    return std::move(kept);
}

namespace {

//! Appends a text as a JSON string.
void AppendQuoted(std::string& to, std::string_view text)
{
    to += '"';
    std::size_t plain = 0;  // the start of the characters not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        to.append(text.data() + plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"': to += "\\\""; break;
        case '\\': to += "\\\\"; break;
        case '\n': to += "\\n"; break;
        case '\r': to += "\\r"; break;
        case '\t': to += "\\t"; break;
        default: fmt::format_to(std::back_inserter(to), "\\u{:04x}", c);
        }
    }
    to.append(text.data() + plain, text.size() - plain);
    to += '"';
}

}  // namespace

void JsonStream::Text(std::string_view text)
{
    AppendQuoted(buffer, text);
    FlushWhenFull();
}

std::string JsonStream::Quoted(std::string_view text)
{
    std::string quoted;
    AppendQuoted(quoted, text);
    return quoted;
}

void JsonStream::Number(double number)
{
    if (!std::isfinite(number)) {
        *this << "null";
        return;
    }
    // The shortest text that reads back as the same number; a whole number keeps its ".0". The
    // format is compiled: a large run writes millions of numbers.
    const std::size_t start = buffer.size();
    fmt::format_to(std::back_inserter(buffer), FMT_COMPILE("{}"), number);
    if (buffer.find_first_of(".e", start) == std::string::npos) buffer += ".0";
}

void JsonStream::Value(const Variant& value)
{
    switch (value.Type()) {
    case FieldType::Unknown: *this << "null"; break;
    case FieldType::Integer: fmt::format_to(std::back_inserter(buffer), FMT_COMPILE("{}"), value.AsInteger()); break;
    case FieldType::Bool: *this << (value.AsBool() ? "true" : "false"); break;
    case FieldType::Float: Number(value.AsFloat()); break;
    default: Text(value.AsString());
    }
}

namespace {

//! A value as the table shows it: control characters as escapes whatever the output, so that the
//! columns stay aligned and a terminal obeys none of them.
std::string Cell(const Variant& value) { return value.IsNull() ? "NULL" : OutputText(value.AsString(), true); }

}  // namespace

size_t DisplayWidth(std::string_view text)
{
    size_t width = 0;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        unsigned codePoint = c;
        if (length == 2) codePoint = c & 0x1f;
        if (length == 3) codePoint = c & 0x0f;
        if (length == 4) codePoint = c & 0x07;
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3f);
        width += (codePoint >= 0x1100 && (codePoint <= 0x115f || (codePoint >= 0x2e80 && codePoint <= 0xa4cf) ||
                                          (codePoint >= 0xac00 && codePoint <= 0xd7a3) ||
                                          (codePoint >= 0xf900 && codePoint <= 0xfaff) ||
                                          (codePoint >= 0xfe30 && codePoint <= 0xfe4f) ||
                                          (codePoint >= 0xff00 && codePoint <= 0xff60) ||
                                          (codePoint >= 0xffe0 && codePoint <= 0xffe6)))
                     ? 2
                     : 1;
        i += length;
    }
    return width;
}

void PrintTable(std::ostream& out, const ResultSet& rows)
{
    std::vector<size_t> widths;
    for (const auto& column : rows.columns) widths.push_back(DisplayWidth(column.name));
    for (const auto& row : rows.rows)
        for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(Cell(row[i])));
    auto pad = [&](const std::string& text, size_t width, bool right) {
        std::string fill(width - DisplayWidth(text), ' ');
        out << (right ? fill + text : text + fill);
    };
    for (size_t i = 0; i < rows.columns.size(); ++i) {
        if (i) out << "  ";
        pad(rows.columns[i].name, widths[i], false);
    }
    out << '\n';
    for (size_t i = 0; i < rows.columns.size(); ++i) out << (i ? "  " : "") << std::string(widths[i], '-');
    out << '\n';
    for (const auto& row : rows.rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) out << "  ";
            bool number = row[i].Type() == FieldType::Integer || row[i].Type() == FieldType::Float;
            pad(Cell(row[i]), widths[i], number);
        }
        out << '\n';
    }
    out << "(" << rows.rows.size() << " 行)\n";
}

nlohmann::json ToJson(const ResultSet& rows)
{
    auto array = nlohmann::json::array();
    for (const auto& row : rows.rows) {
        nlohmann::json object = nlohmann::json::object();
        for (size_t i = 0; i < row.size(); ++i) object[rows.columns[i].name] = JsonValue(row[i]);
        array.push_back(std::move(object));
    }
    return array;
}

}  // namespace mfg
