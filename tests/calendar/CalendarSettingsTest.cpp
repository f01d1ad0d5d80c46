#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "CalendarFixture.h"
#include "CalendarSettings.h"
#include "QuickSetting.h"
#include "data/DataSet.h"

namespace mfg {
namespace {

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

TEST(HolidayListTest, DefaultsMatchOnlyTheListedDaysAndLoadStopsWhenFull)
{
    HolidayList list;
    EXPECT_EQ(list.Count(), 8);
    for (auto [month, day] : {std::pair{1, 1}, {1, 2}, {5, 1}, {5, 3}, {10, 1}, {10, 3}}) EXPECT_TRUE(list.IsListed(month, day));
    EXPECT_FALSE(list.IsListed(1, 3));
    EXPECT_FALSE(list.IsListed(0, 0));  // the unused entries are (0,0) and must not match

    std::vector<MonthDay> many(400, MonthDay{3, 8});
    many.back() = {12, 25};
    list.Load(many);
    EXPECT_EQ(list.Count(), HolidayCapacity);
    EXPECT_FALSE(list.IsListed(12, 25));
    list.Load(std::vector<MonthDay>{{2, 29}});
    EXPECT_EQ(list.Table()[1], MonthDay{});  // entries past the count are cleared
    EXPECT_FALSE(list.IsListed(3, 8));
}

TEST(CalendarSettingsFormatTest, TheLayoutIsLittleEndianWithTheWholeTable)
{
    CalendarSettings settings;
    settings.restDays = {false, true, false, false, false, false, true};
    settings.holidays.Load(std::vector<MonthDay>{{12, 25}, {0x0102, -1}});
    auto bytes = EncodeCalendarSettings(settings);
    ASSERT_EQ(bytes.size(), 2931u);
    std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.begin() + 7), (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Int32At(image, 7), 2);
    EXPECT_EQ(Int32At(image, 11), 12);
    EXPECT_EQ(Int32At(image, 15), 25);
    EXPECT_EQ(image[19], 0x02);
    EXPECT_EQ(image[20], 0x01);
    EXPECT_EQ(Int32At(image, 23), -1);
    EXPECT_TRUE(std::all_of(image.begin() + 27, image.end(), [](std::uint8_t b) { return b == 0; }));

    auto decoded = DecodeCalendarSettings(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(EncodeCalendarSettings(*decoded), bytes);

    EXPECT_FALSE(DecodeCalendarSettings(std::span(bytes).first(2930)));
    image[7] = 0x6e;  // a count of 366 does not fit the table
    image[8] = 0x01;
    EXPECT_FALSE(DecodeCalendarSettings(image));
}

class CalendarSettingsFileTest : public test::CalendarTest {};

TEST_F(CalendarSettingsFileTest, TheFileRoundTripsByteForByte)
{
    ASSERT_EQ(CalendarSettingsPath(), folder / "ShopCalendar.dat");
    std::vector<std::uint8_t> image(CalendarSettingsFileSize);
    image[0] = 1;
    image[3] = 1;
    image[7] = 3;  // three pairs, the rest of the table left as a foreign writer left it
    for (std::size_t i = 11; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i % 7);
    {
        std::ofstream file(CalendarSettingsPath(), std::ios::binary);
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    auto loaded = ReadCalendarSettings();
    ASSERT_TRUE(loaded.fromFile);
    EXPECT_EQ(loaded.settings.holidays.Count(), 3);
    WriteCalendarSettings(loaded.settings);
    EXPECT_EQ(FileBytes(CalendarSettingsPath()), image);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(CalendarSettingsFileTest, AShortOrUnreadableFileGivesTheDefaultsAndSaysSo)
{
    auto defaults = EncodeCalendarSettings(CalendarSettings{});
    EXPECT_FALSE(ReadCalendarSettings().fromFile);  // no file: defaults, silently
    EXPECT_TRUE(dialogs.Messages().empty());

    {
        std::ofstream file(CalendarSettingsPath(), std::ios::binary);
        file.write("\1\0\0\0\0\0\1\2\0\0\0", 11);
    }
    auto shortFile = ReadCalendarSettings();
    EXPECT_FALSE(shortFile.fromFile);
    EXPECT_EQ(EncodeCalendarSettings(shortFile.settings), defaults);
    ASSERT_EQ(dialogs.Texts(MessageKind::Warning).size(), 1u);

    std::filesystem::remove(CalendarSettingsPath());
    std::filesystem::create_directory(CalendarSettingsPath());  // exists, but cannot be read as a file
    EXPECT_FALSE(ReadCalendarSettings().fromFile);
    EXPECT_EQ(dialogs.Texts(MessageKind::Warning).size(), 2u);
    EXPECT_THROW(WriteCalendarSettings(CalendarSettings{}), std::runtime_error);
}

TEST_F(CalendarSettingsFileTest, TheDialogRowsReplaceTheModuleList)
{
    auto rows = CreateHolidayRows();
    AppendHolidayRows(*rows, {{2, 29}, {12, 25}});
    rows->Append();  // a row left empty reads as (0,0)
    rows->Post();
    LoadHolidayList(*rows);
    EXPECT_EQ(ModuleHolidayList().Count(), 3);
    EXPECT_TRUE(IsListedHoliday(2, 29));
    EXPECT_FALSE(IsListedHoliday(1, 1));
    RestWeekdays none{};
    EXPECT_TRUE(IsRestDay(DateTime::FromYmd(2028, 2, 29), none));
    EXPECT_FALSE(IsRestDay(DateTime::FromYmd(2027, 3, 1), none));
    EXPECT_TRUE(IsRestDay(DateTime::FromYmd(2026, 12, 6), DefaultRestWeekdays()));  // a Sunday
    ModuleHolidayList() = HolidayList();
}

}  // namespace
}  // namespace mfg
