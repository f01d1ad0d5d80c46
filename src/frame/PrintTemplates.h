#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mfg {

//! One print template of L_PRINTTMPLT: its id, type, name and the template text of DATA.
struct PrintTemplateRecord {
    int id = 0;
    int typeID = 0;
    std::string name;
    std::string data;
    //! A standard style installed with the schema (IsDefault): every screen falls back on it, so
    //! the designer never writes over it.
    bool builtIn = false;
};

//! Reads template `id`; none when no row has it.
std::optional<PrintTemplateRecord> ReadPrintTemplate(int id);
//! Writes the name and text over template `id` (never a built-in one: the caller checks).
void OverwritePrintTemplate(int id, std::string_view name, std::string_view data);
//! Adds a template of `typeID` under a new key and answers that key.
int AddPrintTemplate(int typeID, std::string_view name, std::string_view data);
//! True when another template of the type (not `exceptID`) already carries the name.
bool PrintTemplateNameTaken(int typeID, std::string_view name, int exceptID);

//! The refusal of a style before it is written: an empty name, no visible column, or visible
//! widths over the page's 100 %; none when the style may be saved.
std::optional<std::string> PrintStyleRefusal(std::string_view name, const std::vector<int>& visibleWidths);

}  // namespace mfg
