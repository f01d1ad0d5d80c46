#include "SelectionList.h"

#include "host/Host.h"

namespace mfg {

SelectionList::SelectionList(std::string baseSql) : baseSql(std::move(baseSql)) {}

void SelectionList::Reload(std::string_view conditions)
{
    cdsList.Close();
    cdsList.SetSql(baseSql + std::string(conditions));
    cdsList.Open(CurrentHost().DBStartup());
}

void SelectionList::ToggleSelected()
{
    if (!cdsList.Active() || cdsList.IsEmpty()) return;
    Field& selected = cdsList.FieldByName("selected");
    cdsList.Edit();
    selected.SetValue(1 - selected.AsInteger());
    cdsList.Post();
}

std::string SelectionList::SelectedText(const Field& selected) { return selected.AsInteger() == 1 ? "√" : ""; }

void SelectionList::SortBy(std::string_view fieldName)
{
    descending = EqualsNoCase(sortField, fieldName) && !descending;
    sortField = fieldName;
    cdsList.SetIndexFieldNames(sortField + (descending ? ":D" : ""));
}

std::string SelectionList::TitleText(std::string_view fieldName, std::string_view label) const
{
    std::string text(label);
    if (!sortField.empty() && EqualsNoCase(sortField, fieldName)) text += descending ? "  ▼" : "  ▲";
    return text;
}

}  // namespace mfg
