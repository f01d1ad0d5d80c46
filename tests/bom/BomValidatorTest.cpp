#include <gtest/gtest.h>

#include "BomFixture.h"
#include "BomStore.h"
#include "BomValidator.h"

namespace mfg {
namespace {

using test::BomTest;

class BomValidatorTest : public BomTest {
protected:
    //! Validates and returns the one message shown, with its kind.
    std::pair<MessageKind, std::string> Refusal()
    {
        dialogs.Clear();
        EXPECT_FALSE(ValidateBom(bom));
        if (dialogs.Messages().empty()) return {};
        EXPECT_EQ(dialogs.Messages().size(), 1u);
        return {dialogs.Messages().back().kind, dialogs.Messages().back().text};
    }
};

TEST_F(BomValidatorTest, HeaderChecksComeFirstInTheirOrder)
{
    Load(3);
    AddLine(3);  // a self-reference that must not be reached while the header is wrong
    bom.header.masterQty = "  ";
    EXPECT_EQ(Refusal().second, "父件数量不能为空！");
    bom.header.masterQty = "0";
    EXPECT_EQ(Refusal().second, "父件数量不能小于或等于零！");
    bom.header.masterQty = "1";
    bom.header.useTime = "";
    EXPECT_EQ(Refusal().second, "耗用工时不能为空！");
    bom.header.useTime = "-1";
    bom.header.preTime = "";
    EXPECT_EQ(Refusal().second, "准备时间不能为空！");
    bom.header.preTime = "0";
    EXPECT_EQ(Refusal().second, "耗用工时不能小于零小时！");
    bom.header.useTime = "1";
    bom.header.preTime = "-0.5";
    EXPECT_EQ(Refusal().second, "准备时间不能小于零小时！");
    bom.header.preTime = "半小时";
    EXPECT_EQ(Refusal().first, MessageKind::Error);
}

TEST_F(BomValidatorTest, AParentQuantityThatIsNoFiniteNumberIsRefusedByItsCaption)
{
    Load(3);
    bom.Lines().First();
    bom.Lines().Edit();
    bom.Lines().FieldByName("MnfQty").SetValue(1.0);
    bom.Lines().Post();
    for (const char* text : {"inf", "nan", "1e300", "12元"}) {
        bom.header.masterQty = text;
        auto [kind, message] = Refusal();
        EXPECT_EQ(kind, MessageKind::Error) << text;
        EXPECT_EQ(message.rfind("父件数量", 0), 0u) << message;
        EXPECT_FALSE(SaveBom(bom)) << text;
    }
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3 and MasterQty = 1 and MnfQty = 2 and "
                     "ElemGID = 17")
                  .AsInteger(),
              1);
}

TEST_F(BomValidatorTest, FiguresWrittenFromOutsideTheEditorAreRefusedByCheckAndAudit)
{
    host.SqlExecute("update L_GoodsBom set MnfQty = 0 where GoodsID = 3 and ItemNo = 2");
    host.SqlExecute("update L_GoodsBom set WasteRate = 150 where GoodsID = 3 and ItemNo = 3");
    host.SqlExecute("update L_GoodsBom set MasterQty = -1 where GoodsID = 3 and ItemNo = 4");
    host.SqlExecute("update L_GoodsBom set MnfQty = -2 where GoodsID = 3 and ItemNo = 5");
    Load(3);
    bom.header.masterQty = "1";
    std::vector<std::string> messages;
    for (const auto& problem : CheckBom(bom)) messages.push_back(problem.rule + " " + problem.message);
    EXPECT_EQ(messages, (std::vector<std::string>{"V5e 第 2 行，数量应大于零", "V5e 第 3 行，损耗率应在0-100之间",
                                                  "V5e 第 4 行，父件数量不能小于或等于零！", "V5e 第 5 行，数量应大于零"}));
    dialogs.Clear();
    EXPECT_FALSE(AuditBom(bom));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"第 2 行，数量应大于零"});
    EXPECT_EQ(Stored("select max(State) from L_GoodsBom where GoodsID = 3").AsInteger(), 0);
}

TEST_F(BomValidatorTest, LineChecksNameTheRowAndUseErrorsWhereMarked)
{
    Load(3);
    bom.AppendLine();
    bom.Lines().FieldByName("Memo").SetValue("空行");
    bom.Lines().Post();
    EXPECT_EQ(Refusal(), std::make_pair(MessageKind::Information, std::string("第 10 行，还没选择货品！")));

    bom.SetComponent(118);  // 118 is on line 5 already, both without a process
    bom.Lines().Post();
    EXPECT_EQ(Refusal(), std::make_pair(MessageKind::Error, std::string("物料明细中不允许存在相同物料、工序的记录!")));

    bom.Lines().Edit();
    bom.Lines().FieldByName("COUNTWAGEITEMID").SetValue(5);  // the same component on a process is another line
    bom.Lines().Post();
    EXPECT_TRUE(ValidateBom(bom));
}

TEST_F(BomValidatorTest, AVirtualItemNeedsLinesOfItsOwn)
{
    host.SqlExecute("insert into L_Goods (GoodsID, Code, Name, Kind) values (900, '9900', '空虚拟件', 9)");
    host.LookupDB().RefreshLookupDataSet("qryGoods");
    Load(3);
    AddLine(900);
    EXPECT_EQ(Refusal(), std::make_pair(MessageKind::Error, std::string("虚拟件不能为末级!")));
    host.SqlExecute("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, State) values (900, 101, 1, 0)");
    EXPECT_TRUE(ValidateBom(bom));  // its lines need not be audited

    // A virtual item made by another user after this session read its goods: the stored line
    // knows its kind.
    host.SqlExecute("insert into L_Goods (GoodsID, Code, Name, Kind) values (901, '9901', '新虚拟件', 9)");
    host.SqlExecute("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, State, Quantity) values (3, 901, 99, 1, 1)");
    Load(3);
    EXPECT_EQ(Refusal(), std::make_pair(MessageKind::Error, std::string("虚拟件不能为末级!")));
}

TEST_F(BomValidatorTest, ProcessChecksAndTheTotalsQuestion)
{
    Load(18);  // process 编圈 only
    bom.Lines().First();
    bom.Lines().Edit();
    bom.Lines().FieldByName("COUNTWAGEITEMID").SetValue(6);
    bom.Lines().Post();
    EXPECT_EQ(Refusal().second, "子件的工序不在父件的工序流程中!");
    bom.Lines().First();
    bom.Lines().Edit();
    bom.Lines().FieldByName("COUNTWAGEITEMID").SetValue(4);
    bom.Lines().Post();

    bom.AppendProcess();
    bom.Processes().Post();
    EXPECT_EQ(Refusal().second, "工序列表：第 2 行，还没选择工序！");
    bom.Processes().Edit();
    bom.Processes().FieldByName("COUNTWAGEITEMID").SetValue(4);
    bom.Processes().FieldByName("WorkCenterID").SetValue(4);
    bom.Processes().Post();
    EXPECT_EQ(Refusal(), std::make_pair(MessageKind::Error, std::string("工序明细中不允许存在相同工序、工作中心的记录!")));

    bom.Processes().Edit();
    bom.Processes().FieldByName("WorkCenterID").SetValue(5);
    bom.Processes().FieldByName("UseTime").SetValue(0.5);
    bom.Processes().Post();
    bom.header.useTime = "1";  // the steps sum to 1.7
    dialogs.Answer({AnswerNo});
    EXPECT_FALSE(ValidateBom(bom));
    ASSERT_EQ(dialogs.Messages().back().kind, MessageKind::MessageBox);
    EXPECT_EQ(dialogs.Messages().back().title, "提示");
    EXPECT_EQ(dialogs.Messages().back().text, "总耗用工时不等于各工序耗用工时和,是否继续?");

    dialogs.Clear();
    bom.header.useTime = "1.70009";  // closer than 0.0001: no question
    bom.header.preTime = "0";
    dialogs.Answer({AnswerYes});
    EXPECT_TRUE(ValidateBom(bom));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"总准备时间不等于各工序准备时间和,是否继续?"});
}

TEST_F(BomValidatorTest, PassingLinesTakeTheHeaderValues)
{
    Load(3);
    bom.header.masterQty = "2";
    bom.header.workLineID = 1;
    ASSERT_TRUE(ValidateBom(bom));
    for (bom.Lines().First(); !bom.Lines().Eof(); bom.Lines().Next()) {
        EXPECT_DOUBLE_EQ(bom.Lines().FieldByName("MasterQty").AsFloat(), 2);
        EXPECT_EQ(bom.Lines().FieldByName("WorkLineID").AsInteger(), 1);
    }
    EXPECT_EQ(bom.Lines().PendingUpdateCount(), 9);
    bom.header.masterQty = "1";
    bom.header.workLineID.reset();
    ASSERT_TRUE(ValidateBom(bom));
    bom.Lines().First();
    EXPECT_TRUE(bom.Lines().FieldByName("WorkLineID").IsNull());
    EXPECT_EQ(bom.Lines().PendingUpdateCount(), 0);  // back to the values as read
}

TEST_F(BomValidatorTest, CheckingCollectsEveryProblem)
{
    Load(3);
    bom.header.masterQty = "0";
    AddLine(118);
    bom.AppendLine();
    bom.Lines().FieldByName("Memo").SetValue("空行");
    bom.Lines().Post();
    AddLine(3);
    auto problems = CheckBom(bom);
    std::vector<std::string> rules;
    for (const auto& problem : problems) rules.push_back(problem.rule);
    EXPECT_EQ(rules, (std::vector<std::string>{"V2", "V5b", "V5a", "V11"}));
    EXPECT_EQ(problems.back().message, "物料清单产生循环引用:\r\n3003->3003");
}

}  // namespace
}  // namespace mfg
