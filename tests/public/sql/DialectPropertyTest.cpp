// Properties of the dialect layer over generated input: text survives quoting whatever it holds,
// and the rewrites never change what arithmetic and comparisons compute.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <fmt/format.h>

#include "db/SqliteConnection.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

SqliteConnection& Db()
{
    static SqliteConnection db(":memory:");
    return db;
}

RC_GTEST_PROP(DialectProperty, QuotedTextComesBackUnchanged, ())
{
    // Quotes, brackets, comment markers, date-like and keyword-like text among the characters.
    const auto text = *rc::gen::container<std::string>(
        rc::gen::elementOf(std::string("ab'\"[]-/*:@#+%,.;0129 \r\nselectTOP")));
    RC_PRE(!DateTime::Parse(text).has_value());
    auto value = Db().Query("select " + QuoteSql(text) + " as t").FirstValue();
    RC_ASSERT(value.AsString() == text);
}

RC_GTEST_PROP(DialectProperty, NumbersStillAddAndCompare, (int a, int b))
{
    auto sum = Db().Query(fmt::format("select {} + {}", static_cast<long long>(a), static_cast<long long>(b))).FirstValue();
    RC_ASSERT(sum.AsInteger() == static_cast<std::int64_t>(a) + b);
    auto less = Db().Query(fmt::format("select case when {} < {} then 1 else 0 end", a, b)).FirstValue();
    RC_ASSERT(less.AsInteger() == (a < b ? 1 : 0));
}

RC_GTEST_PROP(DialectProperty, DateLiteralsOfBothFormsAreTheSameDay, ())
{
    const int year = *rc::gen::inRange(1990, 2100);
    const int month = *rc::gen::inRange(1, 13);
    const int day = *rc::gen::inRange(1, DateTime::DaysInMonth(year, month) + 1);
    auto date = DateTime::FromYmd(year, month, day);
    auto same = Db().Query(fmt::format("select case when '{}' = '{}' then 1 else 0 end, '{}' + 1", date.Format("yyyy-mm-dd"),
                                       date.Format("mm/dd/yyyy"), date.Format("yyyy-mm-dd")));
    RC_ASSERT(same.rows[0][0].AsInteger() == 1);
    RC_ASSERT(same.rows[0][1].AsFloat() == date.DayNumber() + 1);
}

}  // namespace
}  // namespace mfg
