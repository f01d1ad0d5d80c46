#include "types/CsvRecords.h"

#include <istream>
#include <iterator>

namespace mfg {

std::vector<std::vector<std::string>> ReadCsvRecords(std::istream& in)
{
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false, fieldStarted = false;
    auto endRecord = [&] {
        if (fieldStarted || !field.empty() || !record.empty()) {
            record.push_back(field);
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
            record.push_back(field);
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
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace mfg
