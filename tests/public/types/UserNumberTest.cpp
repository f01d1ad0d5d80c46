#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "types/UserNumber.h"

namespace mfg {
namespace {

std::string Refusal(std::string_view text, NumberRange range = NumberRange::NonNegative())
{
    try {
        ParseUserNumber(text, "数量", range);
    } catch (const InputError& e) {
        EXPECT_EQ(e.Caption(), "数量");
        return e.what();
    }
    return {};
}

TEST(UserNumber, SlipsAreRefusedWithTheCaptionAndNumbersAreReadAsTyped)
{
    for (const char* slip : {"abc", "12元", "inf", "-inf", "nan", "NaN", "1e300", "1e999", "0x10", "", "  ", "O'Brien",
                             "1,5", "1.2.3", "1e", "--1", ".", "+"}) {
        std::string message = Refusal(slip);
        EXPECT_NE(message, "") << slip;
        EXPECT_NE(message.find("数量"), std::string::npos) << message;
    }
    EXPECT_EQ(ParseUserNumber(" 12.5 ", "数量"), 12.5);
    EXPECT_EQ(ParseUserNumber("+3", "数量"), 3);
    EXPECT_EQ(ParseUserNumber("１２．５", "数量"), 12.5);
    EXPECT_EQ(ParseUserNumber("2e3", "数量"), 2000);
    EXPECT_EQ(ParseUserNumber(".5", "数量"), 0.5);
    EXPECT_EQ(ParseUserNumber("-0", "数量"), 0);
}

TEST(UserNumber, RangesRefuseWhatTheFieldCannotHold)
{
    EXPECT_EQ(Refusal("-1"), "数量必须在 0 到 1000000000000 之间: -1");
    EXPECT_EQ(Refusal("0", NumberRange::Positive()), "数量必须大于 0");
    EXPECT_NE(Refusal("1e20"), "");
    EXPECT_NE(Refusal("100.5", NumberRange::Percent()), "");
    EXPECT_EQ(ParseUserNumber("100", "数量", NumberRange::Percent()), 100);
    EXPECT_EQ(ParseUserNumber("-5", "数量", NumberRange::Signed()), -5);
    EXPECT_THROW(CheckUserNumber(std::numeric_limits<double>::quiet_NaN(), "单价"), InputError);
    EXPECT_THROW(CheckUserNumber(std::numeric_limits<double>::infinity(), "单价"), InputError);
    EXPECT_EQ(CheckUserNumber(3.5, "单价"), 3.5);
    std::string error;
    EXPECT_FALSE(TryParseUserNumber("12元", "日常费用", NumberRange::NonNegative(), &error));
    EXPECT_EQ(error, "日常费用不是有效的数字: 12元");
}

TEST(UserNumber, IntegersRefuseFractionsAndWhatOverflows)
{
    EXPECT_EQ(ParseUserInteger(" 42 ", "行号", 1, 1000), 42);
    EXPECT_EQ(ParseUserInteger("－3", "天数", -10, 10), -3);
    for (const char* slip : {"1.5", "12个", "99999999999", "abc", "", "1e3"})
        EXPECT_THROW(ParseUserInteger(slip, "行号", 1, 2147483647), InputError) << slip;
    try {
        ParseUserInteger("99999999999999999999", "提前天数", 0, 365);
        FAIL();
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find("提前天数"), std::string::npos);
    }
}

TEST(UserNumber, HexadecimalMasksTakeTheirDigitsOnly)
{
    EXPECT_EQ(ParseUserInteger("0x47ef", "选项位", 0, 0xffffffff, 16), 0x47ef);
    EXPECT_EQ(ParseUserInteger("FF", "选项位", 0, 0xffffffff, 16), 0xff);
    for (const char* slip : {"12元", "-1", "0x", "nan", "O'Brien", "", "1ffffffff"})
        EXPECT_THROW(ParseUserInteger(slip, "选项位", 0, 0xffffffff, 16), InputError) << slip;
}

}  // namespace
}  // namespace mfg
