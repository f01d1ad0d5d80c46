// Four users convert the open sales-order lines of the demo into schedule lines at the same
// moment, each with a session of its own on its own thread: no user sees a failure, every bill has
// a code of its own, and every line is converted exactly once. A user who finds a ticked line
// converted by another meanwhile is told which one, and writes the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <thread>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "RowSelection.h"
#include "SorderToMps.h"
#include "host/HostFixture.h"

namespace mfg::test {
namespace {

constexpr int kUsers = 4;
constexpr int kExtraLines = 24;

struct Converter {
    ConvertResult result = ConvertResult::Refused;
    size_t ticked = 0;  // a user who lists after another converted sees only what is left
    std::vector<std::string> codes;
    std::vector<std::string> taken;
    std::vector<std::string> errors;
    std::vector<std::string> notes;
};

//! One user's conversion of every listed line, in a host of its own made current on this thread.
Converter ConvertEverything(const std::string& url)
{
    DemoSession session(url);
    SorderToMps mps;
    mps.Reload(DateTime::FromYmd(2026, 12, 1), DateTime::FromYmd(2027, 1, 31));
    DataSet& lines = mps.Lines();
    SelectAllRows(lines);
    for (lines.First(); !lines.Eof(); lines.Next()) {
        lines.Edit();
        lines.FieldByName("MNEndDate").SetValue(DateTime::FromYmd(2027, 1, 12));
        lines.Post();
    }
    Converter converter;
    converter.ticked = static_cast<size_t>(lines.RecordCount());
    converter.result = mps.Convert();
    converter.codes = mps.WrittenCodes();
    converter.taken = mps.TakenLines();
    converter.errors = session.dialogs.Texts(MessageKind::Error);
    converter.notes = session.dialogs.Texts(MessageKind::Information);
    return converter;
}

TEST(ConcurrentFromSales, NoUserFailsAndEveryScheduleLineHasACodeOfItsOwn)
{
    const std::string url = CopyOfDemoDatabase("faults-from-sales");
    Host reader(OpenDatabase(url));
    // More open lines than the demo has, so that the users meet on codes and on lines.
    for (int item = 10; item < 10 + kExtraLines; ++item)
        reader.SqlExecute(
            fmt::format("insert into S_OrderDetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, "
                        "ReferQty, Closed, MPSREFERED) values (1, {}, {}, 11, 5, 5, 0, 0, 0)",
                        item, item % 2 == 0 ? 1 : 2));
    auto count = [&](const std::string& sql) { return reader.GetValueOfSql(sql, 0).AsInteger(); };
    const std::int64_t plansBefore = count("select count(*) from MNF_ManuPlan");
    const std::int64_t open = 4 + kExtraLines;  // the demo's four convertible lines of December and January

    std::array<Converter, kUsers> converters;
    std::array<std::exception_ptr, kUsers> failures;
    std::vector<std::thread> users;
    for (int user = 0; user < kUsers; ++user)
        users.emplace_back([&, user] {
            try {
                converters[user] = ConvertEverything(url);
            } catch (...) {
                failures[user] = std::current_exception();
            }
        });
    for (auto& user : users) user.join();
    for (const auto& failure : failures)
        if (failure) std::rethrow_exception(failure);

    std::set<std::string> codes;
    size_t written = 0;
    for (const auto& converter : converters) {
        if (!converter.codes.empty())
            EXPECT_EQ(converter.result, ConvertResult::Converted) << fmt::format("{}", fmt::join(converter.errors, " | "));
        EXPECT_TRUE(converter.errors.empty()) << fmt::format("{}", fmt::join(converter.errors, " | "));
        EXPECT_EQ(converter.codes.size() + converter.taken.size(), converter.ticked)
            << "each ticked line is written or named as another user's";
        for (const auto& line : converter.taken)
            EXPECT_TRUE(std::any_of(converter.notes.begin(), converter.notes.end(),
                                    [&](const std::string& note) { return note.find(line) != std::string::npos; }))
                << line << " was not told";
        written += converter.codes.size();
        codes.insert(converter.codes.begin(), converter.codes.end());
    }
    EXPECT_EQ(written, static_cast<size_t>(open)) << "every line written once";
    EXPECT_EQ(codes.size(), written) << "no code handed to two bills";
    EXPECT_EQ(count("select count(*) from MNF_ManuPlan"), plansBefore + static_cast<std::int64_t>(written));
    EXPECT_EQ(count("select count(distinct BillCode) from MNF_ManuPlan"), count("select count(*) from MNF_ManuPlan"));
    EXPECT_EQ(count("select count(*) from (select ReferBillID, ReferItemNo from MNF_ManuPlan where ReferBillID is not "
                    "null group by ReferBillID, ReferItemNo having count(*) > 1) twice"),
              0)
        << "an order line converted twice";
    EXPECT_EQ(
        count("select count(*) from S_OrderDetail d where d.MPSREFERED = 1 and not exists (select 1 from MNF_ManuPlan "
              "p where p.ReferBillID = d.BillID and p.ReferItemNo = d.ItemNo)"),
        0)
        << "a line marked as taken has its schedule line";

    // A fifth user coming after them finds nothing left to convert.
    EXPECT_EQ(ConvertEverything(url).result, ConvertResult::Refused);
    EXPECT_EQ(count("select count(*) from MNF_ManuPlan"), plansBefore + static_cast<std::int64_t>(written));
}

}  // namespace
}  // namespace mfg::test
