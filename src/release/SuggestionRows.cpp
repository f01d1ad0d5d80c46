#include "SuggestionRows.h"

#include "MrpEngine.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

void DefineColumns(DataSet& suggestions, std::initializer_list<std::pair<const char*, FieldType>> engineColumns)
{
    suggestions.AddField("selected", FieldType::Integer);
    for (auto name : {"goodscode", "goodsname", "specs", "unitname"}) suggestions.AddField(name, FieldType::Text);
    for (const auto& [name, type] : engineColumns) suggestions.AddField(name, type);
    suggestions.CreateDataSet();
}

void TickWithGoods(DataSet& suggestions)
{
    for (suggestions.First(); !suggestions.Eof(); suggestions.Next()) {
        const Variant goodsid = suggestions.FieldByName("goodsid").Value();
        suggestions.Edit();
        suggestions.FieldByName("selected").SetValue(1);
        suggestions.FieldByName("goodscode").SetValue(LookupData(3, goodsid, "Code"));
        suggestions.FieldByName("goodsname").SetValue(LookupData(3, goodsid, "Name"));
        suggestions.FieldByName("specs").SetValue(LookupData(3, goodsid, "Specs"));
        suggestions.FieldByName("unitname").SetValue(LookupData(3, goodsid, "UnitName"));
        suggestions.Post();
    }
    suggestions.First();
}

}  // namespace

void FillPurchaseSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsPurSug, unsigned lotFlags)
{
    DefineColumns(cdsPurSug, {{"goodsid", FieldType::Integer},
                              {"netqty", FieldType::Float},
                              {"sugqty", FieldType::Float},
                              {"fixqty", FieldType::Float},
                              {"price", FieldType::Float},
                              {"amount", FieldType::Float},
                              {"revdate", FieldType::DateTime},
                              {"orderdate", FieldType::DateTime}});
    engine.FillPurchaseSuggestions(cdsPurSug, lotFlags);
    TickWithGoods(cdsPurSug);
}

void FillManufactureSuggestionsForRelease(const MrpEngine& engine, DataSet& cdsManuSug)
{
    DefineColumns(cdsManuSug, {{"goodsid", FieldType::Integer},
                               {"sugqty", FieldType::Float},
                               {"fixqty", FieldType::Float},
                               {"price", FieldType::Float},
                               {"amount", FieldType::Float},
                               {"finisheddate", FieldType::DateTime},
                               {"startdate", FieldType::DateTime}});
    engine.FillManufactureSuggestions(cdsManuSug);
    TickWithGoods(cdsManuSug);
}

}  // namespace mfg
