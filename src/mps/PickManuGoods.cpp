#include "PickManuGoods.h"

#include "host/Host.h"
#include "host/PinYin.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr const char* kGoodsSql =
    "select distinct g.goodsid, g.code goodscode, g.name goodsname, g.specs, u.unitname unitname  from L_goods g "
    "left join L_goodsUnit u on (g.goodsid = u.goodsid and u.isbase = 1) left join L_GoodsType s on g.GdTypeID = "
    "s.GdTypeID where g.Closed=0  and u.isbase = 1 and (g.kind <= 3 or g.kind=9)";

//! The UTF-8 sequence starting at `pos`, and its length.
std::string_view CharacterAt(std::string_view text, size_t pos)
{
    auto lead = static_cast<unsigned char>(text[pos]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
    return text.substr(pos, length);
}

bool SameCharacter(std::string_view a, std::string_view b) { return a.size() == 1 ? EqualsNoCase(a, b) : a == b; }

}  // namespace

bool MatchesPhoneticInitials(std::string_view typed, std::string_view name)
{
    size_t t = 0, n = 0;
    while (t < typed.size()) {
        if (n >= name.size()) return false;
        std::string_view want = CharacterAt(typed, t);
        std::string_view have = CharacterAt(name, n);
        if (!SameCharacter(want, have)) {
            // An ASCII character of the name is its own initial, so only a Chinese one gets a second chance.
            if (have.size() == 1 || want.size() != 1 || !EqualsNoCase(GetPYIndexChar(have), want)) return false;
        }
        t += want.size();
        n += have.size();
    }
    return true;
}

PickManuGoods::PickManuGoods(std::string extraCondition) : extraCondition(std::move(extraCondition))
{
    qryGoods.AddCalcField("PYMatched", FieldType::Integer);
    qryGoods.OnCalcFields([this](DataSet& goods) {
        goods.FieldByName("PYMatched")
            .SetValue(MatchesPhoneticInitials(phonetic, goods.FieldByName("goodsname").AsString()) ? 1 : 0);
    });
    qryGoods.SetFilter("PYMatched = 1");
}

std::vector<std::pair<std::string, int>> PickManuGoods::GoodsTypes()
{
    auto types = CreateAutoQuery("select Name, gdtypeid from L_GoodsType Order by Lcode", true);
    std::vector<std::pair<std::string, int>> result;
    for (types->First(); !types->Eof(); types->Next())
        result.emplace_back(types->FieldByName("Name").AsString(),
                            static_cast<int>(types->FieldByName("gdtypeid").AsInteger()));
    return result;
}

std::string PickManuGoods::ListSql(const GoodsPickFilter& filter) const
{
    std::string sql = kGoodsSql;
    // What the user types is the start of the text, '%' and '_' included: escaped, they match
    // only themselves.
    auto startsWith = [&sql](std::string_view column, std::string_view text) {
        std::string_view value = Trim(text);
        if (value.empty()) return;
        std::string pattern;
        for (char c : value) {
            if (c == '%' || c == '_' || c == '!') pattern += '!';
            pattern += c;
        }
        sql += " And (" + std::string(column) + " like " + QuoteSql(pattern + "%") + " escape '!')";
    };
    startsWith("g.code", filter.code);
    startsWith("g.Name", filter.name);
    startsWith("g.Specs", filter.specs);
    if (filter.goodsTypeId)
        sql += " And (s.LCode like (select lcode+'%' from L_GoodsType where gdtypeid=" +
               std::to_string(*filter.goodsTypeId) + "))";
    if (!Trim(extraCondition).empty()) sql += " And " + extraCondition;
    return sql;
}

void PickManuGoods::Reload(const GoodsPickFilter& filter)
{
    qryGoods.Close();
    phonetic = filter.phonetic;
    qryGoods.SetSql(ListSql(filter));
    try {
        qryGoods.Open(CurrentHost().DBStartup());
    } catch (const std::exception&) {
        // The filter is typed a character at a time: a half-typed one must not raise a box each key.
        qryGoods.Close();
        return;
    }
    qryGoods.SetFiltered(!phonetic.empty());
}

int PickManuGoods::GoodsID() const
{
    const Field* id = qryGoods.Active() ? qryGoods.FindField("goodsid") : nullptr;
    return id ? static_cast<int>(id->AsInteger()) : 0;
}

bool PickManuGoods::CanChoose()
{
    if (qryGoods.Active() && !qryGoods.IsEmpty()) return true;
    ShowError("没有货品可以选择！");
    return false;
}

void PickManuGoods::AddTo(DataSet& target, PickTarget kind, std::string_view quantityText)
{
    if (!qryGoods.Active() || qryGoods.Eof()) {
        ShowMessageBox("物料已添加完毕!");
        return;
    }
    int goodsId = GoodsID();
    if (goodsId <= 0) return;
    // A blank quantity or 0 (as the field opens) leaves the line's own; anything else must be a
    // quantity, or nothing is added.
    std::optional<double> quantity;
    if (!Trim(quantityText).empty()) {
        std::string error;
        quantity = TryParseUserNumber(quantityText, "数量", NumberRange::NonNegative(), &error);
        if (!quantity) {
            ShowError(error);
            return;
        }
        if (*quantity == 0) quantity.reset();
    }
    bool substitutes = kind == PickTarget::Substitutes;
    target.Append();
    target.FieldByName(substitutes ? "subgoodsid" : "elemgid").SetValue(goodsId);
    if (quantity) target.FieldByName(substitutes ? "quantity" : "MnfQty").SetValue(*quantity);
    target.Post();
}

}  // namespace mfg
