#include "SuggestionReleases.h"

#include <algorithm>
#include <map>

#include "host/Dialogs.h"
#include "host/Format.h"

namespace mfg {
namespace {

double ReleasedQty(const DataSet& suggestions)
{
    const Field* released = suggestions.FindField("releasedqty");
    return released ? released->AsFloat() : 0;
}

bool Ticked(const DataSet& suggestions)
{
    return suggestions.FieldByName("selected").AsInteger() == 1 &&
           FormatQuantity(suggestions.FieldByName("fixqty").AsFloat()) > 0;
}

}  // namespace

bool ConfirmReleaseAgain(const DataSet& suggestions)
{
    const double released = ReleasedQty(suggestions);
    if (released <= 0) return true;
    return ShowYesNoQuestion("货品 " + suggestions.FieldByName("goodscode").AsString() + " 已经下达过 " +
                             FormatQuantityText(released) + ", 是否再次下达?") == 6;
}

bool ConfirmReleaseOfTicked(DataSet& suggestions)
{
    for (suggestions.First(); !suggestions.Eof(); suggestions.Next())
        if (Ticked(suggestions) && !ConfirmReleaseAgain(suggestions)) return false;
    return true;
}

void RecordRelease(DataSet& suggestions, double quantity, const std::string& billCode)
{
    Field* released = suggestions.FindField("released");
    if (!released || !suggestions.FindField("releasedqty")) return;
    const double total = ReleasedQty(suggestions) + quantity;
    std::string codes = released->AsString();
    codes = codes.empty() ? billCode : codes.substr(codes.find(' ') + 1) + " " + billCode;
    suggestions.Edit();
    suggestions.FieldByName("releasedqty").SetValue(total);
    released->SetValue(FormatQuantityText(total) + " " + codes);
    suggestions.Post();
}

void RecordManufactureRelease(DataSet& cdsManuSug, const std::vector<ReleasedOrder>& orders)
{
    std::map<int, double> taken;  // by record number: what this release gave the row so far
    for (const auto& order : orders) {
        double left = order.quantity;
        int last = 0;
        for (cdsManuSug.First(); !cdsManuSug.Eof() && left > 0; cdsManuSug.Next()) {
            if (!Ticked(cdsManuSug) || cdsManuSug.FieldByName("goodsid").AsInteger() != order.goodsid) continue;
            last = cdsManuSug.RecNo();
            const double room = cdsManuSug.FieldByName("fixqty").AsFloat() - taken[last];
            if (room <= 0) continue;
            const double part = std::min(room, left);
            taken[last] += part;
            left -= part;
            RecordRelease(cdsManuSug, part, order.billCode);
        }
        if (left > 0 && last > 0) {
            cdsManuSug.SetRecNo(last);
            RecordRelease(cdsManuSug, left, order.billCode);
        }
    }
    cdsManuSug.First();
}

}  // namespace mfg
