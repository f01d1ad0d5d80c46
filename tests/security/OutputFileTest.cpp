// Files the program writes for a user: nothing planted beside the target is written through, a
// killed export leaves nothing behind, and a folder is never taken for an output file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "ConsoleFixture.h"
#include "data/DataSet.h"
#include "export/SpreadsheetExport.h"
#include "host/FileReplace.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Entries(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

void FillGoods(DataSet& data, int rows)
{
    data.AddField("code", FieldType::Text);
    data.AddField("qty", FieldType::Float);
    data.CreateDataSet();
    for (int i = 0; i < rows; ++i) data.AppendRecord({std::to_string(100000 + i), i * 0.5});
}

class OutputFiles : public ConsoleTest {};

TEST_F(OutputFiles, AWorkbookIsNeverWrittenThroughALinkPlantedBesideIt)
{
    const fs::path victim = temporary / "victim";
    std::ofstream(victim) << "another user's file";
    const fs::path target = temporary / "goods.xlsx";
    // The names an export of this process would have used, guessed from its process id.
    std::set<std::string> planted;
    for (int i = 0; i < 4; ++i) {
        auto name = ".goods.xlsx." + std::to_string(::getpid()) + "-" + std::to_string(i) + ".tmp";
        fs::create_symlink(victim, temporary / name);
        planted.insert(name);
    }
    DataSet data("cdsGoods");
    FillGoods(data, 3);
    OutToExcelFun(data, "货品", target);
    OutToExcelFun(data, "货品", target);
    EXPECT_EQ(Content(victim).substr(0, 32), "another user's file") << "the workbook went through the link";
    EXPECT_EQ(Content(target).substr(0, 2), "PK") << "the workbook is where it was asked for";
    auto left = Entries(temporary);
    for (const auto& name : planted) left.erase(name);
    EXPECT_EQ(left, (std::set<std::string>{"goods.xlsx", "victim"}));
}

TEST_F(OutputFiles, AKilledExportLeavesNoTemporaryFile)
{
    // A workbook large enough that writing it takes a while; the child is killed as soon as any
    // new name shows up in the folder, or when it is done.
    const fs::path target = temporary / "big.xlsx";
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DataSet data("cdsGoods");
        FillGoods(data, 200000);
        OutToExcelFun(data, "货品", target);
        ::_exit(0);
    }
    int status = 0;
    std::set<std::string> seen;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        seen = Entries(temporary);
        if (!seen.empty()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        ::usleep(500);
    }
    auto left = Entries(temporary);
    left.erase("big.xlsx");
    EXPECT_EQ(left, std::set<std::string>{}) << "nothing but the finished workbook";
    if (fs::exists(target)) EXPECT_EQ(Content(target).substr(0, 2), "PK");
}

TEST_F(OutputFiles, AFolderIsNoOutputFile)
{
    const fs::path folder = temporary / "out";
    fs::create_directory(folder);
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"bom", "print", "3001", "--pdf", folder.string()},
          {"bom", "export-tree", "3001", "--xlsx", folder.string()},
          {"mrp", "--mps", "all", "--xlsx", folder.string()}}) {
        auto result = Mfg(command);
        SCOPED_TRACE(command[1] + "\n" + result.err);
        EXPECT_NE(result.exitCode, 0);
        EXPECT_NE(result.err.find("这是一个文件夹"), std::string::npos);
        EXPECT_TRUE(fs::is_directory(folder));
        EXPECT_TRUE(fs::is_empty(folder));
    }
    EXPECT_THROW(ReplaceFile(folder, "x"), FileReplaceError);
    EXPECT_TRUE(fs::is_directory(folder));

    auto printed = Mfg({"bom", "print", "3001", "--pdf", (temporary / "3001.pdf").string()});
    EXPECT_EQ(printed.exitCode, 0) << printed.err;
    EXPECT_EQ(Content(temporary / "3001.pdf").substr(0, 5), "%PDF-");
}

}  // namespace
}  // namespace mfg::test
