#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include <fmt/format.h>

#include "export/SpreadsheetExport.h"

namespace mfg {
namespace {

namespace fs = std::filesystem;

bool HasUnzip() { return std::system("command -v unzip >/dev/null 2>&1") == 0; }

//! The text of one member of a zip file, read with unzip(1).
std::string Entry(const fs::path& zip, const std::string& entry)
{
    std::string command = fmt::format("unzip -p '{}' '{}'", zip.string(), entry);
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return {};
    std::string text;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) text.append(buffer, n);
    return text;
}

class SpreadsheetExportTest : public ::testing::Test {
protected:
    SpreadsheetExportTest() : folder(fs::temp_directory_path() / fmt::format("mfg-export-{}", ::getpid()))
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        data.AddField("code", FieldType::Text);
        data.AddField("name", FieldType::Text);
        data.AddField("qty", FieldType::Float);
        data.AddField("billdate", FieldType::DateTime);
        data.AddField("memo", FieldType::Text);
        data.CreateDataSet();
        data.AppendRecord({"3001", "山地自行车", 100.0, DateTime::FromYmd(2026, 12, 25), Variant()});
        data.AppendRecord({"1027", "螺栓 M8", 2000.125, DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0), "不得锈蚀"});
    }
    ~SpreadsheetExportTest() override { fs::remove_all(folder); }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path folder;
    DataSet data{"cdsGoods"};
};

TEST_F(SpreadsheetExportTest, VisibleColumnsGoOutUnderTheirCaptionsWithNumbersAndDatesTyped)
{
    SpreadsheetExport exporter;
    exporter.title = "物料需求明细";
    exporter.subtitle = "2026年12月";
    exporter.columns = {{"code", "货品编码"}, {"name", "货品名称"}, {"qty", "数量", true, 2}, {"billdate", "日期"},
                    {"memo", "备注", false}};
    fs::path file = folder / "需求.xlsx";
    exporter.Write(data, file);

    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"需求.xlsx"}) << "no temporary file stays behind";
    if (!HasUnzip()) GTEST_SKIP() << "unzip is not installed; the contents go unchecked";

    std::string strings = Entry(file, "xl/sharedStrings.xml");
    for (const char* text : {"物料需求明细", "2026年12月", "货品编码", "数量", "山地自行车", "螺栓 M8", "3001"})
        EXPECT_NE(strings.find(text), std::string::npos) << text;
    EXPECT_EQ(strings.find("备注"), std::string::npos) << "a hidden column must not be exported";
    EXPECT_EQ(strings.find("不得锈蚀"), std::string::npos);

    std::string sheet = Entry(file, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<mergeCell ref="A1:D1"/>)"), std::string::npos) << "the title spans the columns";
    EXPECT_NE(sheet.find(R"(<mergeCell ref="A2:D2"/>)"), std::string::npos);
    // Row 4 is the first data row: title, subtitle, captions above it.
    EXPECT_NE(sheet.find(R"(<c r="C4" s=")"), std::string::npos);
    EXPECT_NE(sheet.find("<v>100</v>"), std::string::npos) << "a number stays a number";
    EXPECT_NE(sheet.find("<v>2000.125</v>"), std::string::npos) << "the format rounds, the value does not";
    EXPECT_NE(sheet.find(fmt::format("<v>{}</v>", DateTime::FromYmd(2026, 12, 25).DayNumber())), std::string::npos)
        << "a date is an Excel serial day";
    EXPECT_NE(sheet.find(R"(<c r="A4" t="s">)"), std::string::npos) << "a code stays text";

    std::string styles = Entry(file, "xl/styles.xml");
    EXPECT_NE(styles.find(R"(formatCode="yyyy-mm-dd")"), std::string::npos);
    EXPECT_NE(styles.find(R"(formatCode="yyyy-mm-dd hh:mm:ss")"), std::string::npos) << "a date with a time";
    EXPECT_NE(styles.find(R"(formatCode="0.00")"), std::string::npos);
}

TEST_F(SpreadsheetExportTest, WithoutColumnsEveryFieldGoesOutInTheDataSetsOrderAndNullsStayEmpty)
{
    data.SetIndexFieldNames("code");
    fs::path file = folder / "all.xlsx";
    OutToExcelFun(data, "货品", file);
    if (!HasUnzip()) GTEST_SKIP() << "unzip is not installed";

    std::string strings = Entry(file, "xl/sharedStrings.xml");
    EXPECT_NE(strings.find("billdate"), std::string::npos) << "the field name is the caption";
    EXPECT_LT(strings.find("1027"), strings.find("3001")) << "rows in the sorted order";
    std::string sheet = Entry(file, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<mergeCell ref="A1:E1"/>)"), std::string::npos);
    EXPECT_NE(sheet.find(R"(r="E3")"), std::string::npos) << "1027 has a memo";
    EXPECT_EQ(sheet.find(R"(r="E4")"), std::string::npos) << "the null memo of 3001 is no cell";
    EXPECT_NE(sheet.find("<cols>"), std::string::npos) << "column widths are set";
}

TEST_F(SpreadsheetExportTest, AFailedExportNamesTheFileAndLeavesNothingBroken)
{
    fs::path missingFolder = folder / "没有的目录" / "x.xlsx";
    try {
        OutToExcelFun(data, "货品", missingFolder);
        FAIL() << "expected ExportError";
    } catch (const ExportError& error) {
        EXPECT_NE(std::string(error.what()).find(missingFolder.string()), std::string::npos) << error.what();
        EXPECT_EQ(error.File(), missingFolder);
    }

    fs::path existing = folder / "old.xlsx";
    std::ofstream(existing) << "older export";
    EXPECT_THROW(OutToExcelFun(data, "货品", existing, {{"no_such_field", "?"}}), ExportError);
    std::ifstream in(existing);
    std::string kept((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(kept, "older export") << "a refused export keeps the older file";

    fs::path directory = folder / "a-folder.xlsx";
    fs::create_directory(directory);
    EXPECT_THROW(OutToExcelFun(data, "货品", directory), ExportError) << "the rename onto a folder fails";
    EXPECT_TRUE(fs::is_directory(directory));
    EXPECT_EQ(FolderEntries().size(), 2u) << "the temporary file of the failed rename is gone";

    DataSet closed("cdsClosed");
    EXPECT_THROW(OutToExcelFun(closed, "货品", folder / "closed.xlsx"), ExportError);
}

}  // namespace
}  // namespace mfg
