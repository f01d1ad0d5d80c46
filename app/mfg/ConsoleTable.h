#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "db/ResultSet.h"

namespace mfg {

//! Columns the width of a terminal cell: Chinese characters take two.
size_t DisplayWidth(std::string_view text);
//! Writes rows as an aligned text table with a header and a row count.
void PrintTable(std::ostream& out, const ResultSet& rows);
//! Rows as a JSON array of objects keyed by column name; dates as "yyyy-mm-dd[ hh:nn:ss]".
nlohmann::json ToJson(const ResultSet& rows);
//! One value as ToJson writes it.
nlohmann::json JsonValue(const Variant& value);
//! The JSON text of a value, indented by `indent` (none: on one line); text stored before input
//! was checked may hold bytes that are no UTF-8, and they are written as U+FFFD.
std::string JsonText(const nlohmann::json& value, int indent = -1);
//! Writes JSON text piece by piece into a buffer that goes to the stream a megabyte at a time,
//! values as JsonValue gives them but without building a JSON value first: a large run writes
//! millions of them.
class JsonStream {
public:
    explicit JsonStream(std::ostream& out) : out(&out) {}
    //! A stream that keeps what is written, for a part made apart and written later.
    JsonStream() = default;
    JsonStream(const JsonStream&) = delete;
    JsonStream& operator=(const JsonStream&) = delete;
    ~JsonStream() { Flush(); }

    //! Text that is JSON already (punctuation, keys).
    JsonStream& operator<<(std::string_view json);
    //! A text as a JSON string.
    void Text(std::string_view text);
    //! The JSON string of a text, to be written later.
    static std::string Quoted(std::string_view text);
    void Value(const Variant& value);
    void Number(double number);
    void Flush();
    //! What a stream without output has kept, in pieces of about a megabyte.
    std::vector<std::string> Take();

private:
    void FlushWhenFull();

    static constexpr std::size_t FlushSize = 1u << 20;

    std::ostream* out = nullptr;
    std::string buffer;
    std::vector<std::string> kept;  // a stream without output keeps its full buffers, never copied
};

}  // namespace mfg
