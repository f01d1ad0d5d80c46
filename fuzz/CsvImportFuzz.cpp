// libFuzzer target: any file given to the BOM import is split into records and its figures read
// through the one number parser without crashing, hanging or reading out of bounds; a figure
// that is accepted is finite and within its column's range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "types/CsvRecords.h"
#include "types/UserNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    // The figure columns of the import: mnfqty, masterqty, wasterate.
    const mfg::NumberRange ranges[] = {mfg::NumberRange::Positive(), mfg::NumberRange::Positive(),
                                       mfg::NumberRange::Percent()};
    for (const auto& record : mfg::ReadCsvRecords(in)) {
        for (std::size_t column = 2; column < 5 && column < record.size(); ++column) {
            const mfg::NumberRange& range = ranges[column - 2];
            auto value = mfg::TryParseUserNumber(record[column], "数量", range);
            if (value && (!std::isfinite(*value) || *value < range.min || *value > range.max ||
                          (*value == 0 && !range.zeroAllowed)))
                __builtin_trap();
        }
        for (const auto& field : record)
            if (mfg::CsvField(field).empty() != field.empty()) __builtin_trap();
    }
    return 0;
}
