// The run options as the settings file keeps them, and the mask they give the engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MrpRunParams.h"
#include "host/IniFile.h"

namespace mfg {
namespace {

class MrpRunParamsTest : public ::testing::Test {
protected:
    MrpRunParamsTest()
        : file(std::filesystem::temp_directory_path() /
               ("mrparam-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini"))
    {
        std::filesystem::remove(file);
    }
    ~MrpRunParamsTest() override { std::filesystem::remove(file); }

    void WriteText(const std::string& text) const { std::ofstream(file, std::ios::binary) << text; }

    std::filesystem::path file;
};

TEST_F(MrpRunParamsTest, AMissingFileGivesTheDefaultsOfTheWorkbench)
{
    MrpRunParams params = MrpRunParams::ReadFile(file);
    EXPECT_TRUE(params.remember);
    EXPECT_TRUE(params.RealStock());
    EXPECT_FALSE(params.IncludeUnaudited());
    EXPECT_EQ(params.Options(true), MrpDefaultOptions) << "the overdue sales box is ticked but disabled";
}

TEST_F(MrpRunParamsTest, EveryKeyRoundTripsThroughTheFile)
{
    MrpRunParams changed;
    for (const MrpParamKey& key : MrpParamKeys) changed.Set(key.key, !key.defaultValue);
    changed.WriteFile(file);
    MrpRunParams read = MrpRunParams::ReadFile(file);
    for (const MrpParamKey& key : MrpParamKeys) EXPECT_EQ(read.Get(key.key), !key.defaultValue) << key.key;
    IniFile ini(file);
    EXPECT_EQ(ini.ReadString("MRParam", "Store"), "0");
    EXPECT_EQ(ini.ReadString("MRParam", "UnCheckBill"), "1");
}

TEST_F(MrpRunParamsTest, NotRememberingWritesOnlyRunParamAndReadsAsDefaults)
{
    MrpRunParams changed;
    changed.Set("Sub", false);
    changed.WriteFile(file);
    changed.remember = false;
    changed.Set("Ahead", false);
    changed.WriteFile(file);
    IniFile ini(file);
    EXPECT_EQ(ini.ReadString("MRParam", "RunParam"), "0");
    EXPECT_EQ(ini.ReadString("MRParam", "Ahead"), "1") << "keys are not written when not remembered";
    MrpRunParams read = MrpRunParams::ReadFile(file);
    EXPECT_FALSE(read.remember);
    EXPECT_TRUE(read.Get("Sub")) << "the defaults, not the keys left from before";
}

TEST_F(MrpRunParamsTest, AHalfWrittenFileFallsBackToTheDefaultsAndIsRewrittenWhole)
{
    WriteText("[Other]\nKeep=1\n[MRParam]\nRunParam=1\nSub=0\nAhe");
    MrpRunParams read = MrpRunParams::ReadFile(file);
    EXPECT_TRUE(read.Get("Sub"));
    read.WriteFile(file);
    IniFile ini(file);
    ASSERT_TRUE(ini.Loaded());
    EXPECT_EQ(ini.Sections(), std::vector<std::string>{"MRParam"});
    EXPECT_EQ(ini.Keys("MRParam").size(), MrpParamKeys.size() + 3) << "RunParam and the two exception thresholds";
}

TEST_F(MrpRunParamsTest, ADisabledBoxNeverSetsItsBit)
{
    MrpRunParams params;
    params.Set("Onhand", false);
    EXPECT_EQ(params.Options(true) & (optOnhand | optProductQty | optUsedQty), 0u);
    params.Set("Onhand", true);
    params.Set("Store", false);
    EXPECT_EQ(params.Options(true) & optUsedQty, 0u) << "reservations count only on real stock";
    EXPECT_NE(params.Options(true) & optProductQty, 0u);

    params.Set("OverPOrder", true);
    EXPECT_NE(params.Options(true) & optOverPOrder, 0u);
    EXPECT_EQ(params.Options(false) & optOverPOrder, 0u) << "no overdue orders before 3.40";
    params.Set("PurchaseQty", false);
    EXPECT_EQ(params.Options(true) & optOverPOrder, 0u);
    params.Set("SaleQty", true);
    EXPECT_EQ(params.Options(true) & (optSaleQty | optOverSOrder), optSaleQty | optOverSOrder);
}

TEST_F(MrpRunParamsTest, ExceptionThresholdsAreKeptBesideTheOptionsAndABadValueReadsAsNone)
{
    EXPECT_EQ(MrpRunParams::ReadFile(file).thresholds.earlyDays, 0);
    MrpRunParams changed;
    changed.thresholds = {3, 5};
    changed.WriteFile(file);
    MrpRunParams read = MrpRunParams::ReadFile(file);
    EXPECT_EQ(read.thresholds.earlyDays, 3);
    EXPECT_EQ(read.thresholds.lateDays, 5);
    EXPECT_EQ(read.Options(true), MrpDefaultOptions);

    WriteText("[MRParam]\nRunParam=1\nExceptionEarlyDays=2天\nExceptionLateDays=-4\n");
    read = MrpRunParams::ReadFile(file);
    EXPECT_EQ(read.thresholds.earlyDays, 0);
    EXPECT_EQ(read.thresholds.lateDays, 0);
}

}  // namespace
}  // namespace mfg
