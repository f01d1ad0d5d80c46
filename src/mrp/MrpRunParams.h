#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "MrpExceptions.h"
#include "MrpRecords.h"

namespace mfg {

class IniFile;

//! One run option as the settings file keeps it: its key, the engine option it switches (0 for
//! the two that are Load arguments) and the value a missing key reads as.
struct MrpParamKey {
    std::string_view key;
    std::uint32_t option;
    bool defaultValue;
};

//! The option keys of section "MRParam" in the order the workbench lists its boxes.
inline constexpr std::array<MrpParamKey, 18> MrpParamKeys{{
    {"Onhand", optOnhand, true},
    {"ProductQty", optProductQty, true},
    {"Store", 0, true},
    {"UsedQty", optUsedQty, true},
    {"SafeQty", optSafeQty, true},
    {"Ahead", optAhead, true},
    {"WasteQty", optWasteQty, true},
    {"Sub", optSub, true},
    {"ManufactureQty", optManufactureQty, true},
    {"ManuOrder", optManuOrder, true},
    {"SaleQty", optSaleQty, false},
    {"OverSOrder", optOverSOrder, true},
    {"PurchaseQty", optPurchaseQty, true},
    {"OverPOrder", optOverPOrder, false},
    {"Request", optRequest, false},
    {"Distribute", optDistribute, false},
    {"Prequest", optPrequest, false},
    {"UnCheckBill", 0, false},
}};

//! The per-user options of an MRP run, as the workbench's boxes hold them and "System.ini" keeps
//! them, so that the console plans with the same switches as the screen.
class MrpRunParams {
public:
    //! The built-in defaults, remembered.
    MrpRunParams();

    //! The state of a key of MrpParamKeys; throws std::out_of_range for another name.
    bool Get(std::string_view key) const;
    void Set(std::string_view key, bool value);
    //! "RunParam": whether the options are remembered at all.
    bool remember = true;
    //! "ExceptionEarlyDays" and "ExceptionLateDays": working days a receipt may be early or late
    //! before the exception messages name it.
    MrpExceptionThresholds thresholds;

    //! Whether the box of a key can be ticked, given the others: stock figures only with on-hand
    //! stock, reservations only on real stock, overdue orders only with their open orders on a
    //! database upgraded to 3.40.
    bool Enabled(std::string_view key, bool upgraded340) const;
    //! The engine's option mask: every key that is ticked and enabled.
    std::uint32_t Options(bool upgraded340) const;
    //! `Load`'s realStock ("Store" = 1) and includeUnaudited ("UnCheckBill").
    bool RealStock() const { return Get("Store"); }
    bool IncludeUnaudited() const { return Get("UnCheckBill"); }

    //! Section "MRParam" of a settings file: without "RunParam" = 1 the defaults, not remembered.
    static MrpRunParams Read(const IniFile& file);
    //! Writes "RunParam", and every key only when remembered.
    void Write(IniFile& file) const;
    //! Reads the file at `path`; an unreadable or malformed file reads as the defaults.
    static MrpRunParams ReadFile(const std::filesystem::path& path);
    //! Writes the section into the file at `path`, the whole file anew when it could not be read.
    //! Throws IniError when the file cannot be written.
    void WriteFile(const std::filesystem::path& path) const;

private:
    static std::size_t IndexOf(std::string_view key);

    std::array<bool, MrpParamKeys.size()> values{};
};

}  // namespace mfg
