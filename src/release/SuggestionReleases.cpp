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

//! One question over the goods released before, each with the quantity released from its rows.
bool ConfirmReleasedGoods(const std::vector<std::pair<std::string, double>>& released)
{
    if (released.empty()) return true;
    std::string text;
    for (const auto& [goodsCode, quantity] : released)
        text += "货品 " + goodsCode + " 已经下达过 " + FormatQuantityText(quantity) + "\n";
    return ShowYesNoQuestion(text + "是否再次下达?") == AnswerYes;
}

}  // namespace

bool ConfirmReleaseAgain(const DataSet& suggestions)
{
    if (ReleasedQty(suggestions) <= 0) return true;
    return ConfirmReleasedGoods({{suggestions.FieldByName("goodscode").AsString(), ReleasedQty(suggestions)}});
}

bool ConfirmReleaseOfTicked(DataSet& suggestions)
{
    std::vector<std::pair<std::string, double>> released;  // by goods, in the order of the list
    for (suggestions.First(); !suggestions.Eof(); suggestions.Next()) {
        if (!Ticked(suggestions) || ReleasedQty(suggestions) <= 0) continue;
        std::string goodsCode = suggestions.FieldByName("goodscode").AsString();
        auto same = std::find_if(released.begin(), released.end(),
                                 [&goodsCode](const auto& entry) { return entry.first == goodsCode; });
        if (same == released.end()) released.emplace_back(std::move(goodsCode), ReleasedQty(suggestions));
        else same->second += ReleasedQty(suggestions);
    }
    return ConfirmReleasedGoods(released);
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
