#include "data/FilterExpression.h"

#include <gtest/gtest.h>

#include "types/TextUtil.h"

namespace mfg {
namespace {

// Fields of a goods list row: kind, closed, code, name, billdate, qty, [unit name].
const std::vector<std::pair<std::string, FieldType>> goodsFields = {
    {"Kind", FieldType::Integer},      {"Closed", FieldType::Integer}, {"Code", FieldType::Text},
    {"Name", FieldType::Text},         {"BillDate", FieldType::DateTime}, {"Qty", FieldType::Float},
    {"unit name", FieldType::Text},
};

std::optional<FilterExpression::FieldInfo> Resolve(std::string_view name)
{
    for (size_t i = 0; i < goodsFields.size(); ++i)
        if (EqualsNoCase(goodsFields[i].first, name)) return FilterExpression::FieldInfo{static_cast<int>(i), goodsFields[i].second};
    return std::nullopt;
}

std::vector<Variant> Goods(int kind, int closed, Variant code, Variant name = "螺丝", Variant date = nullptr,
                           Variant qty = nullptr)
{
    return {kind, closed, std::move(code), std::move(name), std::move(date), std::move(qty), "只"};
}

bool Matches(std::string_view text, const std::vector<Variant>& row, FilterOptions options = {})
{
    return FilterExpression::Compile(text, Resolve, options).Matches(row);
}

size_t ErrorPosition(std::string_view text)
{
    try {
        FilterExpression::Compile(text, Resolve);
    } catch (const FilterError& e) {
        return e.Position();
    }
    ADD_FAILURE() << "no error for: " << text;
    return 0;
}

TEST(FilterExpression, TrailingStarIsAPrefixMatchForEqualAndNotEqual)
{
    auto a01 = Goods(1, 0, "A01");
    EXPECT_TRUE(Matches("Code = 'A*'", a01));
    EXPECT_FALSE(Matches("Code = 'B*'", a01));
    EXPECT_TRUE(Matches("Code <> 'B*'", a01));
    EXPECT_FALSE(Matches("Code = 'a*'", a01));
    EXPECT_TRUE(Matches("Code = 'a*'", a01, {.caseInsensitive = true}));
    EXPECT_FALSE(Matches("Code = 'A*'", a01, {.noPartialCompare = true}));
    EXPECT_TRUE(Matches("Code = 'A*'", Goods(1, 0, "A*"), {.noPartialCompare = true}));
    EXPECT_FALSE(Matches("Code = 'A*'", Goods(1, 0, nullptr)));
}

TEST(FilterExpression, QuotesInsideTextAndChineseValues)
{
    EXPECT_TRUE(Matches("Name = 'O''Brien''s'", Goods(1, 0, "X", "O'Brien's")));
    EXPECT_TRUE(Matches("(Kind=1 and  Closed = 0 and name='螺丝') or (kind = 9 and Closed = 0 and name='螺丝')",
                        Goods(9, 0, "X")));
    EXPECT_TRUE(Matches("[unit name] = '只'", Goods(1, 0, "X")));
}

TEST(FilterExpression, NotBindsTighterThanAndWhichBindsTighterThanOr)
{
    auto row = Goods(1, 1, "A");
    EXPECT_TRUE(Matches("kind = 1 or kind = 2 and closed = 0", row));
    EXPECT_FALSE(Matches("(kind = 1 or kind = 2) and closed = 0", row));
    EXPECT_FALSE(Matches("not kind = 1 and closed = 1", row));
    EXPECT_TRUE(Matches("not (kind = 2 and closed = 1)", row));
    EXPECT_TRUE(Matches("NOT Kind=2 AND Closed=1 OR Kind=7", row));
    EXPECT_TRUE(Matches("kind<>4 and kind<>5 and kind <>6 and kind<>7 and kind<>8 and closed=1", row));
}

TEST(FilterExpression, NullsMatchOnlyNullTests)
{
    auto row = Goods(1, 0, "A");  // no date, no quantity
    EXPECT_TRUE(Matches("Qty is null", row));
    EXPECT_TRUE(Matches("BillDate = null", row));
    EXPECT_FALSE(Matches("Qty is not null", row));
    EXPECT_FALSE(Matches("Qty = 0", row));
    EXPECT_FALSE(Matches("Qty <> 0", row));
    EXPECT_TRUE(Matches("not Qty > 0", row));
    EXPECT_TRUE(Matches("Qty is not null", Goods(1, 0, "A", "n", nullptr, 0.0)));
}

TEST(FilterExpression, NumbersAndDatesCompareByValue)
{
    auto row = Goods(3, 0, "12", "n", DateTime::FromYmd(2024, 3, 1), 2.0);
    EXPECT_TRUE(Matches("BillDate >= '2024-03-01' and BillDate < '03/02/2024'", row));
    EXPECT_FALSE(Matches("BillDate > '2024-03-01'", row));
    EXPECT_TRUE(Matches("Kind < 3.5", row));  // not truncated to the integer field's 3
    EXPECT_TRUE(Matches("Kind > -1 and Qty = 2", row));
    EXPECT_TRUE(Matches("Kind in (1, 2, 3)", row));
    EXPECT_TRUE(Matches("Kind not in (1, 2)", row));
    EXPECT_TRUE(Matches("Kind = '3'", row));
    EXPECT_TRUE(Matches("Code = 12", row));  // compared as the text field's text
    EXPECT_FALSE(Matches("Code = 12", Goods(3, 0, "012")));
}

TEST(FilterExpression, BlankTextMatchesEverything)
{
    auto filter = FilterExpression::Compile("  ", Resolve);
    EXPECT_TRUE(filter.Empty());
    EXPECT_TRUE(filter.Matches(Goods(1, 0, "A")));
}

TEST(FilterExpression, ErrorsNameTheProblemAndItsPosition)
{
    EXPECT_EQ(ErrorPosition("Code = 'abc"), 8u);
    EXPECT_EQ(ErrorPosition("Kind 1"), 6u);
    EXPECT_EQ(ErrorPosition("Kind = "), 8u);
    EXPECT_EQ(ErrorPosition("Kind = 1 and Nosuch = 2"), 14u);
    EXPECT_EQ(ErrorPosition("(Kind = 1"), 1u);
    EXPECT_EQ(ErrorPosition("Kind = 1)"), 9u);
    EXPECT_EQ(ErrorPosition("BillDate = '2024-13-01'"), 12u);
    EXPECT_EQ(ErrorPosition("Kind = 1 & Closed = 0"), 10u);
    EXPECT_EQ(ErrorPosition("Qty is 1"), 8u);
    EXPECT_EQ(ErrorPosition("Name = '螺丝' and"), 16u);  // counted in characters, not bytes
    try {
        FilterExpression::Compile("Kind = 1 and Nosuch = 2", Resolve);
    } catch (const FilterError& e) {
        EXPECT_NE(std::string(e.what()).find("Nosuch"), std::string::npos);
    }
    EXPECT_NO_THROW(FilterExpression::CheckSyntax("AnyField = 'x' or [other one] is null"));
    EXPECT_THROW(FilterExpression::CheckSyntax("AnyField = 'x' or"), FilterError);
}

}  // namespace
}  // namespace mfg
