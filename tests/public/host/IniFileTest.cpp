#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <fmt/format.h>

#include "host/IniFile.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    IniFileTest()
        : folder(std::filesystem::temp_directory_path() /
                 fmt::format("mfg-ini-{}-{}", ::getpid(),
                             ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~IniFileTest() override
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    std::filesystem::path Write(std::string_view name, std::string_view text)
    {
        auto path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    static std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path folder;
};

TEST_F(IniFileTest, ValuesRoundTripThroughTheFileWithNamesIgnoringCase)
{
    IniFile settings(folder / "System.ini");
    EXPECT_FALSE(settings.Loaded());
    settings.WriteBool("MRParam", "cbSaleQty", true);
    settings.WriteInteger("MRParam", "PeriodDays", -7);
    settings.WriteString("MRParam", "LastGoods", "山地自行车 = 26寸");
    settings.WriteFloat("MRParam", "Rate", 0.35);
    settings.WriteString("Other", "Note", "两行\r\n文字");
    settings.WriteInteger("mrparam", "PERIODDAYS", 30);
    settings.UpdateFile();

    IniFile again(folder / "System.ini");
    ASSERT_TRUE(again.Loaded());
    EXPECT_TRUE(again.ReadBool("mrparam", "CBSALEQTY", false));
    EXPECT_EQ(again.ReadInteger("MRParam", "PeriodDays", 0), 30);
    EXPECT_EQ(again.ReadString("MRParam", "LastGoods"), "山地自行车 = 26寸");
    EXPECT_DOUBLE_EQ(again.ReadFloat("MRParam", "Rate", 0), 0.35);
    EXPECT_EQ(again.ReadString("Other", "Note"), "两行  文字");
    EXPECT_EQ(again.Keys("MRParam"), (std::vector<std::string>{"cbSaleQty", "PeriodDays", "LastGoods", "Rate"}));
    EXPECT_EQ(again.Sections(), (std::vector<std::string>{"MRParam", "Other"}));
    EXPECT_EQ(Read(folder / "System.ini"),
              "[MRParam]\ncbSaleQty=1\nPeriodDays=30\nLastGoods=山地自行车 = 26寸\nRate=0.35\n\n[Other]\nNote=两行  文字\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";
}

TEST_F(IniFileTest, ValuesThatDoNotReadAsTheAskedTypeGiveTheDefault)
{
    auto settings = IniFile::Parse("\xEF\xBB\xBF; comment\r\n[A]\r\nint=12x\r\nbool=maybe\r\nyes=Yes\r\noff=off\r\n"
                                   "two=2\r\nempty=\r\n  spaced  =  v  \r\n# another\r\n");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->ReadInteger("A", "int", 5), 5);
    EXPECT_EQ(settings->ReadInteger("A", "missing", 5), 5);
    EXPECT_EQ(settings->ReadInteger("B", "int", 5), 5);
    EXPECT_TRUE(settings->ReadBool("A", "bool", true));
    EXPECT_FALSE(settings->ReadBool("A", "bool", false));
    EXPECT_TRUE(settings->ReadBool("A", "yes", false));
    EXPECT_FALSE(settings->ReadBool("A", "off", true));
    EXPECT_TRUE(settings->ReadBool("A", "two", false));
    EXPECT_EQ(settings->ReadInteger("A", "empty", 9), 9);
    EXPECT_EQ(settings->ReadString("A", "empty", "d"), "");
    EXPECT_TRUE(settings->ValueExists("A", "empty"));
    EXPECT_EQ(settings->ReadString("A", "spaced"), "v");
}

TEST_F(IniFileTest, ANumberTheSettingCannotHoldIsRefusedByItsName)
{
    auto settings = IniFile::Parse("[MRParam]\nRunParam=99999999999\nHalf=1.5\nRate=1e300\nFlag=nan\nWide=＋１２\n");
    ASSERT_TRUE(settings);
    for (const char* key : {"RunParam", "Half"}) {
        try {
            settings->ReadInteger("MRParam", key, 1);
            ADD_FAILURE() << key;
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("[MRParam] ") + key), std::string::npos) << error.what();
        }
    }
    EXPECT_THROW(settings->ReadFloat("MRParam", "Rate", 0), InputError);
    EXPECT_TRUE(settings->ReadBool("MRParam", "Flag", true));  // no number: the default
    EXPECT_EQ(settings->ReadInteger("MRParam", "Wide", 0), 12);
}

TEST_F(IniFileTest, AMalformedOrHalfWrittenFileReadsAsEmpty)
{
    for (std::string_view text : {
             std::string_view("[MRParam]\nPeriodDays=7\ncbSale"),   // cut in the middle of a line
             std::string_view("[MRParam\nPeriodDays=7\n"),          // a section cut short
             std::string_view("PeriodDays=7\n[MRParam]\n"),         // a value before any section
             std::string_view("[MRParam]\nPeriodDays=7\n\0\0\0\0", 27),  // a file preallocated but not filled
             std::string_view("[MRParam]\nName=\xE5\xB1\n"),        // a character cut in half
             std::string_view("[MRParam]\n=7\n"),
         }) {
        auto path = Write("System.ini", text);
        IniFile settings(path);
        EXPECT_FALSE(settings.Loaded()) << text;
        EXPECT_TRUE(settings.Sections().empty()) << text;
        EXPECT_EQ(settings.ReadInteger("MRParam", "PeriodDays", 14), 14) << text;
    }
    IniFile directory(folder);
    EXPECT_FALSE(directory.Loaded());
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileWhole)
{
    auto path = Write("System.ini", "[MRParam]\nPeriodDays=7\n");
    IniFile settings(path);
    settings.WriteInteger("MRParam", "PeriodDays", 30);
    // A file size limit below the new content makes the write fail whatever the user's rights.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    EXPECT_THROW(settings.UpdateFile(), IniError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_EQ(Read(path), "[MRParam]\nPeriodDays=7\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "the new file was not removed";
    settings.UpdateFile();
    EXPECT_EQ(IniFile(path).ReadInteger("MRParam", "PeriodDays", 0), 30);
}

TEST_F(IniFileTest, SectionsAndKeysCanBeRemovedAndBadNamesAreRefused)
{
    auto settings = IniFile::Parse("[A]\nx=1\ny=2\n[B]\nz=3\n");
    ASSERT_TRUE(settings);
    settings->DeleteKey("a", "X");
    settings->EraseSection("b");
    EXPECT_EQ(settings->Text(), "[A]\ny=2\n");
    EXPECT_THROW(settings->WriteString("A", "k=v", "1"), std::invalid_argument);
    EXPECT_THROW(settings->WriteString("A]", "k", "1"), std::invalid_argument);
    EXPECT_THROW(settings->WriteString("A", " ", "1"), std::invalid_argument);
    EXPECT_THROW(IniFile().UpdateFile(), IniError);
}

}  // namespace
}  // namespace mfg
