#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "HostFixture.h"
#include "host/Format.h"

namespace mfg {
namespace {

using test::DemoHostTest;

TEST(RoundToEx, HalvesGoAwayFromZeroOnTheDecimalValueNotOnItsBinaryForm)
{
    EXPECT_EQ(RoundToEx(2.675, 2), 2.68);
    EXPECT_EQ(RoundToEx(1.005, 2), 1.01);
    EXPECT_EQ(RoundToEx(-2.675, 2), -2.68);
    EXPECT_EQ(RoundToEx(0.5, 0), 1.0);
    EXPECT_EQ(RoundToEx(-0.5, 0), -1.0);
    EXPECT_EQ(RoundToEx(-1.25, 1), -1.3);
    EXPECT_EQ(RoundToEx(1.24999, 1), 1.2);
    EXPECT_EQ(RoundToEx(0.285, 2), 0.29);
    EXPECT_EQ(RoundToEx(1234.5678, 2), 1234.57);
    EXPECT_EQ(RoundToEx(999.995, 2), 1000.0) << "a carry into a new leading digit";
    EXPECT_EQ(RoundToEx(0.1 + 0.2, 2), 0.3);
    // Sums drift below the half in binary; fifteen digits still see the half.
    EXPECT_EQ(RoundToEx(0.7 * 3 + 0.005, 2), 2.11);
}

TEST(RoundToEx, SmallLargeAndSpecialValuesKeepTheirSenseAtEveryDigitCount)
{
    EXPECT_EQ(RoundToEx(0.004999, 2), 0.0);
    EXPECT_EQ(RoundToEx(0.005, 2), 0.01);
    EXPECT_FALSE(std::signbit(RoundToEx(-0.001, 2))) << "no -0 from a value that rounds away";
    EXPECT_EQ(RoundToEx(1e-300, 4), 0.0);
    EXPECT_EQ(RoundToEx(1e20, 2), 1e20);
    EXPECT_EQ(RoundToEx(123456789.123456789, 8), 123456789.123456789) << "beyond 15 digits nothing is decided";
    EXPECT_EQ(RoundToEx(1250.0, -2), 1300.0);
    EXPECT_EQ(RoundToEx(1249.0, -2), 1200.0);
    EXPECT_EQ(RoundToEx(7.2, 8), 7.2);
    EXPECT_EQ(RoundToEx(0.0, 2), 0.0);
    EXPECT_TRUE(std::isnan(RoundToEx(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_EQ(RoundToEx(std::numeric_limits<double>::infinity(), 2), std::numeric_limits<double>::infinity());
}

TEST(FixedText, WritesEveryDecimalOfTheRoundedValue)
{
    EXPECT_EQ(FixedText(2.675, 2), "2.68");
    EXPECT_EQ(FixedText(-0.001, 2), "0.00");
    EXPECT_EQ(FixedText(1280, 2), "1280.00");
    EXPECT_EQ(FixedText(-1.25, 1), "-1.3");
    EXPECT_EQ(FixedText(3.7, 0), "4");
}

TEST_F(DemoHostTest, FormatFunctionsRoundAtTheDecimalsOfTheSystemParameters)
{
    EXPECT_EQ(FormatQuantity(12.34565), 12.3457);
    EXPECT_EQ(FormatPrice(0.43215), 0.4322);
    EXPECT_EQ(FormatAmount(1234.565), 1234.57);
    EXPECT_EQ(FormatAmount(-0.005), -0.01);
    EXPECT_EQ(FormatQuantityText(100), "100");
    EXPECT_EQ(FormatQuantityText(12.5), "12.5");
    EXPECT_EQ(FormatQuantityText(-0.00001), "0");
    EXPECT_EQ(FormatPriceText(0.44), "0.4400");
    EXPECT_EQ(FormatAmountText(1280), "1280.00");

    host.SqlExecute("update L_SysParam set ParamValue = '0' where ParamName = 'QuantityDecimals'");
    host.RefreshDecimals();
    EXPECT_EQ(FormatQuantity(2.5), 3.0);
    EXPECT_EQ(FormatQuantityText(2.4), "2");
}

}  // namespace
}  // namespace mfg
