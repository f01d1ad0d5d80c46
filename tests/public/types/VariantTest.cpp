#include <gtest/gtest.h>

#include "types/Variant.h"

using mfg::DateTime;
using mfg::FieldType;
using mfg::Variant;

TEST(Variant, NullReadsAsZeroEmptyAndFalse)
{
    Variant null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_EQ(null.AsInteger(), 0);
    EXPECT_EQ(null.AsFloat(), 0.0);
    EXPECT_EQ(null.AsString(), "");
    EXPECT_FALSE(null.AsBool());
    EXPECT_TRUE(null.ConvertedTo(FieldType::Integer).IsNull());
}

TEST(Variant, ConvertsTheWayTheDatasetsDo)
{
    EXPECT_EQ(Variant(" 12.75 ").AsFloat(), 12.75);
    EXPECT_EQ(Variant("12.75").AsInteger(), 12);
    EXPECT_EQ(Variant(-2.9).AsInteger(), -2);
    EXPECT_EQ(Variant(3.0).AsString(), "3");
    EXPECT_EQ(Variant(0.1).AsString(), "0.1");
    EXPECT_EQ(Variant("").AsInteger(), 0);
    EXPECT_EQ(Variant("2026-12-06").AsDateTime(), DateTime::FromYmd(2026, 12, 6));
    EXPECT_EQ(Variant(46362.0).AsDateTime(), DateTime::FromYmd(2026, 12, 6));
    EXPECT_EQ(Variant(DateTime::FromYmd(2026, 12, 6)).AsString(), "2026-12-06");
    EXPECT_TRUE(Variant("True").AsBool());
    EXPECT_TRUE(Variant("1").AsBool());
    EXPECT_EQ(Variant("7").ConvertedTo(FieldType::Integer).Type(), FieldType::Integer);
    EXPECT_THROW(Variant("abc").AsInteger(), mfg::ConversionError);
    EXPECT_THROW(Variant("not a date").AsDateTime(), mfg::ConversionError);
}

TEST(Variant, ComparesNumbersByValueAndOrdersNullFirst)
{
    EXPECT_EQ(Variant(1), Variant(1.0));
    EXPECT_EQ(Variant(5), Variant("5"));
    EXPECT_FALSE(Variant() == Variant(0));
    EXPECT_EQ(Variant(), Variant());
    EXPECT_LT(Variant::Compare(Variant(), Variant(-100)), 0);
    EXPECT_LT(Variant::Compare(Variant(2), Variant(10)), 0);
    EXPECT_LT(Variant::Compare(Variant("B"), Variant("a")), 0);
    EXPECT_GT(Variant::Compare(Variant("B"), Variant("a"), true), 0);
    EXPECT_EQ(Variant::Compare(Variant("abc"), Variant("ABC"), true), 0);
}
