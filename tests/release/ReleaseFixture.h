#pragma once
// The demo factory with suggestions built in the test, and readers of what a release wrote.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "MrpWorkbench.h"
#include "host/HostFixture.h"
#include "host/LookupCache.h"

namespace mfg::test {

//! A ticked purchase suggestion as the workbench lists it, with the columns of what it released.
inline void AddWorkbenchPurchase(DataSet& rows, int goodsid, double quantity, double price, DateTime revdate)
{
    if (!rows.Active()) CreatePurchaseSuggestions(rows);
    rows.Append();
    rows.FieldByName("goodsid").SetValue(goodsid);
    rows.FieldByName("sugqty").SetValue(quantity);
    rows.FieldByName("fixqty").SetValue(quantity);
    rows.FieldByName("price").SetValue(price);
    rows.FieldByName("revdate").SetValue(revdate);
    rows.Post();
}

class ReleaseTest : public DemoHostTest {
public:
    static DateTime Day(int year, int month, int day) { return DateTime::FromYmd(year, month, day); }

    //! Purchase suggestions as the workbench holds them.
    static void PurchaseSuggestions(DataSet& cdsPurSug)
    {
        for (auto name : {"selected", "goodsid"}) cdsPurSug.AddField(name, FieldType::Integer);
        for (auto name : {"goodscode", "goodsname", "specs", "unitname"}) cdsPurSug.AddField(name, FieldType::Text);
        for (auto name : {"sugqty", "fixqty", "price", "amount"}) cdsPurSug.AddField(name, FieldType::Float);
        cdsPurSug.AddField("revdate", FieldType::DateTime);
        cdsPurSug.CreateDataSet();
    }

    static void AddPurchase(DataSet& cdsPurSug, int goodsid, double quantity, double price, DateTime revdate,
                            int selected = 1)
    {
        cdsPurSug.AppendRecord({selected,
                                goodsid,
                                LookupData(3, goodsid, "Code"),
                                LookupData(3, goodsid, "Name"),
                                LookupData(3, goodsid, "Specs"),
                                {},
                                quantity,
                                quantity,
                                price,
                                quantity * price,
                                revdate});
    }

    //! The rows of a query as text, one string per row with the values separated by '|'.
    static std::vector<std::string> Rows(const std::string& sql)
    {
        auto query = CreateAutoQuery(sql, true);
        std::vector<std::string> rows;
        for (query->First(); !query->Eof(); query->Next()) {
            std::string row;
            for (int i = 0; i < query->FieldCount(); ++i) row += (i ? "|" : "") + query->FieldByIndex(i).AsString();
            rows.push_back(row);
        }
        return rows;
    }

    static std::int64_t Count(const std::string& sql) { return GetValueOfSql(sql, 0).AsInteger(); }

    //! Codes as `in (...)` text.
    static std::string InList(const std::vector<std::string>& codes)
    {
        std::string list;
        for (const auto& code : codes) list += (list.empty() ? "'" : ",'") + code + "'";
        return "(" + list + ")";
    }
};

}  // namespace mfg::test
