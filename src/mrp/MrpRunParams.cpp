#include "MrpRunParams.h"

#include <stdexcept>
#include <string>

#include "host/IniFile.h"

namespace mfg {
namespace {

constexpr std::string_view Section = "MRParam";

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
    return params;
}

void MrpRunParams::Write(IniFile& file) const
{
    file.WriteInteger(Section, "RunParam", remember ? 1 : 0);
    if (!remember) return;
    for (std::size_t i = 0; i < MrpParamKeys.size(); ++i)
        file.WriteInteger(Section, MrpParamKeys[i].key, values[i] ? 1 : 0);
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
