// libFuzzer target: any text given to the dialect layer either translates or raises SqlError;
// it never crashes, hangs or reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sql/SqliteDialect.h"
#include "sql/Tokenizer.h"
#include "sql/Translator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static mfg::sql::SqliteDialect dialect = [] {
        mfg::sql::SqliteDialect d;
        d.procedures = {"ag_getnewkey", "getmrpgoodsid"};
        d.tables = {"getmanuorderqty", "getduecharge"};
        d.scalars = {"fn_codetoserialno"};
        d.textColumn = [](std::string_view name) { return name.size() % 2 == 0; };
        return d;
    }();
    static mfg::sql::Translator translator(dialect);
    try {
        translator.TranslateUncached(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const mfg::sql::SqlError&) {
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    return 0;
}
