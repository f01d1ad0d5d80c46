#include "Calculations.h"

#include <cmath>

#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"

namespace mfg {

double ConvertByRate(int currencyId, double rate, double amount)
{
    if (rate == 0) return 0;
    Variant calcType = LookupData(13, currencyId, "Calctype");
    if (calcType.IsNull()) return 0;
    switch (calcType.AsInteger()) {
    case 0: return RoundToEx(amount / rate, 8);
    case 1: return RoundToEx(amount * rate, 8);
    default: return 0;
    }
}

int GetNewKey(std::string_view tableName)
{
    std::string sql = "declare @iNewKey integer exec AG_GETNEWKEY " + QuoteSql(ToUpperAscii(tableName)) +
                      ",@iNewKey output select @iNewKey";
    return static_cast<int>(GetValueOfSql(sql).AsInteger());
}

double RoundHalfUp(double value, int digits)
{
    double p = std::pow(10.0, digits + 1);
    double t = std::floor(std::fabs(value * p));
    t = std::fmod(t, 10.0) >= 5 ? std::floor(t / 10) + 1 : std::floor(t / 10);
    double result = t * 10 / p;
    return value < 0 ? -result : result;
}

DateTime Today() { return GetSystemTime().Date(); }

}  // namespace mfg
