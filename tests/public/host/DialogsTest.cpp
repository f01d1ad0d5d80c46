#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "HostFixture.h"
#include "TestDatabase.h"
#include "host/ConsoleDialogs.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace mfg {
namespace {

TEST(ScriptedDialogs, AnswersComeInOrderAndEveryMessageIsRecordedWithItsKind)
{
    ScriptedDialogs dialogs;
    dialogs.Answer({AnswerYes, AnswerNo}).Answer({AnswerCancel});
    dialogs.ShowInformation("已成功将所选的订单记录转入主生产计划!");
    EXPECT_EQ(dialogs.ShowYesNoQuestion("是否继续?"), AnswerYes);
    dialogs.ShowWarning("注意");
    EXPECT_EQ(dialogs.ShowYesNoQuestion("再问一次?"), AnswerNo);
    EXPECT_EQ(dialogs.ShowYesNoCancelQuestion("保存修改?"), AnswerCancel);
    dialogs.ShowError(std::runtime_error("数据库错误"));
    EXPECT_EQ(dialogs.PendingAnswers(), 0u);

    ASSERT_EQ(dialogs.Messages().size(), 6u);
    EXPECT_EQ(dialogs.Messages()[1].kind, MessageKind::YesNoQuestion);
    EXPECT_EQ(dialogs.Messages()[1].answer, AnswerYes);
    EXPECT_EQ(dialogs.Messages()[4].kind, MessageKind::YesNoCancelQuestion);
    EXPECT_EQ(dialogs.Texts(MessageKind::Error), std::vector<std::string>{"数据库错误"});
    EXPECT_EQ(dialogs.Texts(MessageKind::Warning), std::vector<std::string>{"注意"});
    EXPECT_TRUE(dialogs.WasShown("已成功将所选的订单记录转入主生产计划!"));
    EXPECT_FALSE(dialogs.WasShown("已成功"));
}

TEST(ScriptedDialogs, AQuestionWithoutAFittingAnswerFailsTheTest)
{
    ScriptedDialogs dialogs;
    EXPECT_THROW(dialogs.ShowYesNoQuestion("未预料的问题?"), UnscriptedQuestion);
    EXPECT_TRUE(dialogs.WasShown("未预料的问题?"));

    // Cancel is no button of a yes/no question: the script is wrong, and the answer stays queued.
    dialogs.Answer({AnswerCancel});
    EXPECT_THROW(dialogs.ShowYesNoQuestion("是否继续?"), UnscriptedQuestion);
    EXPECT_EQ(dialogs.PendingAnswers(), 1u);
    EXPECT_EQ(dialogs.ShowYesNoCancelQuestion("保存?"), AnswerCancel);
}

TEST(ScriptedDialogs, AnOkBoxTakesNoAnswerAndAQuestionBoxDoes)
{
    ScriptedDialogs dialogs;
    dialogs.Answer({AnswerNo});
    EXPECT_EQ(dialogs.ShowMessageBox("结束日期应大于开始日期!", "提示", MessageButtons::Ok, MessageIcon::Information),
              AnswerOk);
    EXPECT_EQ(dialogs.PendingAnswers(), 1u);
    EXPECT_EQ(dialogs.ShowMessageBox("总耗用工时不等于各工序耗用工时和,是否继续?", "提示", MessageButtons::YesNo,
                                     MessageIcon::Question),
              AnswerNo);
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Messages()[0].kind, MessageKind::MessageBox);
    EXPECT_EQ(dialogs.Messages()[0].title, "提示");
    EXPECT_EQ(dialogs.Messages()[1].answer, AnswerNo);
}

TEST(CurrentHost, FreeMessageFunctionsReachTheDialogsOfTheCurrentHostAndScopesRestore)
{
    EXPECT_FALSE(HasCurrentHost());
    EXPECT_THROW(CurrentHost(), std::logic_error);
    Host outer(test::OpenTestDatabase(false));
    Host inner(test::OpenTestDatabase(false));
    auto& outerDialogs = outer.SetDialogs(std::make_unique<ScriptedDialogs>());
    auto& innerDialogs = inner.SetDialogs(std::make_unique<ScriptedDialogs>());
    {
        CurrentHostScope outerScope(outer);
        ShowInformation("外层");
        {
            CurrentHostScope innerScope(inner);
            innerDialogs.Answer({AnswerYes});
            EXPECT_EQ(ShowYesNoQuestion("内层?"), AnswerYes);
            ShowError(std::runtime_error("内层错误"));
            EXPECT_EQ(ShowMessageBox("物料已添加完毕!"), AnswerOk);
        }
        ShowWarning("又回外层");
    }
    EXPECT_FALSE(HasCurrentHost());
    EXPECT_EQ(outerDialogs.Texts(), (std::vector<std::string>{"外层", "又回外层"}));
    EXPECT_EQ(innerDialogs.Texts(), (std::vector<std::string>{"内层?", "内层错误", "物料已添加完毕!"}));
    EXPECT_EQ(innerDialogs.Messages()[2].title, "提示");
}

class FailedStatementTest : public test::DemoHostTest {};

// A failed statement shows the database's reason and where the statement went, never the statement.
TEST_F(FailedStatementTest, TheUserSeesTheReasonAndTheLogFileHoldsTheStatement)
{
    const auto folder = std::filesystem::path(::testing::TempDir()) / ("failed-" + DatabaseName());
    std::filesystem::remove_all(folder);
    host.SetTempDirectory(folder);
    try {
        host.SqlExecute("insert into MNF_ManuPlan (BillID, ItemNo) values (1, 1)");
        host.SqlExecute("insert into MNF_ManuPlan (BillID, ItemNo) values (1, 1)");
        FAIL();
    } catch (const std::exception& error) {
        ShowError(error);
    }
    const std::string shown = dialogs.Texts(MessageKind::Error).at(0);
    const std::string log = (folder / "mfg-errors.log").string();
    EXPECT_EQ(shown.find("insert"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("语句:"), std::string::npos) << shown;
    EXPECT_NE(shown.find(log), std::string::npos) << shown;
    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("insert into MNF_ManuPlan"), std::string::npos);
    std::filesystem::remove_all(folder);
}

TEST(ConsoleDialogs, WithoutATerminalQuestionsTakeTheDefaultAndSaySo)
{
    std::istringstream in("y\n");
    std::ostringstream out;
    ConsoleDialogs dialogs(in, out, false, AnswerYes);
    EXPECT_EQ(dialogs.ShowYesNoQuestion("是否继续?"), AnswerYes);
    dialogs.SetDefaultAnswer(AnswerCancel);
    EXPECT_EQ(dialogs.ShowYesNoCancelQuestion("保存?"), AnswerCancel);
    EXPECT_EQ(dialogs.ShowYesNoQuestion("删除?"), AnswerNo) << "cancel is no answer to a yes/no question";
    dialogs.ShowError("出错了");
    dialogs.ShowMessageBox("物料已添加完毕!", "提示", MessageButtons::Ok, MessageIcon::Information);
    auto text = out.str();
    EXPECT_NE(text.find("[询问] 是否继续?"), std::string::npos);
    EXPECT_NE(text.find("非交互"), std::string::npos);
    EXPECT_NE(text.find("[错误] 出错了\n"), std::string::npos);
    EXPECT_NE(text.find("[提示] 物料已添加完毕!\n"), std::string::npos);
    std::string rest;
    EXPECT_TRUE(std::getline(in, rest)) << "a non-interactive console must not read the input";
}

TEST(ConsoleDialogs, AtATerminalRepliesAreReadUntilOneFitsAndTheEndOfInputGivesTheDefault)
{
    std::istringstream in("x\nc\n  N \n是\nc\n");
    std::ostringstream out;
    ConsoleDialogs dialogs(in, out, true, AnswerNo);
    EXPECT_EQ(dialogs.ShowYesNoQuestion("是否继续?"), AnswerNo) << "x and c are asked again";
    EXPECT_EQ(dialogs.ShowYesNoQuestion("再问?"), AnswerYes);
    EXPECT_EQ(dialogs.ShowYesNoCancelQuestion("保存?"), AnswerCancel);
    EXPECT_EQ(dialogs.ShowYesNoCancelQuestion("输入已尽?"), AnswerNo);
    EXPECT_NE(out.str().find("请回答"), std::string::npos);
}

}  // namespace
}  // namespace mfg
