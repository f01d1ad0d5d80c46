#include "MrpRunParams.h"

#include <stdexcept>
#include <string>

#include "host/IniFile.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr std::string_view Section = "MRParam";
constexpr int MaxThresholdDays = 250;

//! A threshold in working days; a missing, malformed or out-of-range value reads as none.
int ReadThreshold(const IniFile& file, std::string_view key)
{
    const std::string text = file.ReadString(Section, key, "0");
    try {
        return static_cast<int>(ParseUserInteger(text, key, 0, MaxThresholdDays));
    } catch (const InputError&) {
        return 0;
    }
}

}  // namespace

MrpRunParams::MrpRunParams()
{
    for (std::size_t i = 0; i < MrpParamKeys.size(); ++i) values[i] = MrpParamKeys[i].defaultValue;
}

std::size_t MrpRunParams::IndexOf(std::string_view key)
{
    for (std::size_t i = 0; i < MrpParamKeys.size(); ++i)
        if (MrpParamKeys[i].key == key) return i;
    throw std::out_of_range("no MRP option " + std::string(key));
}

bool MrpRunParams::Get(std::string_view key) const
{
    return values[IndexOf(key)];
}

void MrpRunParams::Set(std::string_view key, bool value)
{
    values[IndexOf(key)] = value;
}

bool MrpRunParams::Enabled(std::string_view key, bool upgraded340) const
{
    if (key == "ProductQty" || key == "Store") return Get("Onhand");
    if (key == "UsedQty") return Get("Onhand") && Get("Store");
    if (key == "OverSOrder") return upgraded340 && Get("SaleQty");
    if (key == "OverPOrder") return upgraded340 && Get("PurchaseQty");
    return true;
}

std::uint32_t MrpRunParams::Options(bool upgraded340) const
{
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < MrpParamKeys.size(); ++i)
        if (values[i] && Enabled(MrpParamKeys[i].key, upgraded340)) mask |= MrpParamKeys[i].option;
    return mask;
}

MrpRunParams MrpRunParams::Read(const IniFile& file)
{
    MrpRunParams params;
    params.remember = file.ReadInteger(Section, "RunParam", 1) == 1;
    if (!params.remember) return params;
    for (std::size_t i = 0; i < MrpParamKeys.size(); ++i)
        params.values[i] = file.ReadInteger(Section, MrpParamKeys[i].key, MrpParamKeys[i].defaultValue ? 1 : 0) == 1;
    params.thresholds = {ReadThreshold(file, "ExceptionEarlyDays"), ReadThreshold(file, "ExceptionLateDays")};
    return params;
}

void MrpRunParams::Write(IniFile& file) const
{
    file.WriteInteger(Section, "RunParam", remember ? 1 : 0);
    if (!remember) return;
    for (std::size_t i = 0; i < MrpParamKeys.size(); ++i)
        file.WriteInteger(Section, MrpParamKeys[i].key, values[i] ? 1 : 0);
    file.WriteInteger(Section, "ExceptionEarlyDays", thresholds.earlyDays);
    file.WriteInteger(Section, "ExceptionLateDays", thresholds.lateDays);
}

MrpRunParams MrpRunParams::ReadFile(const std::filesystem::path& path)
{
    return Read(IniFile(path));
}

void MrpRunParams::WriteFile(const std::filesystem::path& path) const
{
    IniFile file(path);
    Write(file);
    file.UpdateFile();
}

}  // namespace mfg
