#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "PickManuGoods.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

TEST(PhoneticInitialsTest, EachTypedCharacterMatchesTheNameCharacterOrItsInitial)
{
    EXPECT_TRUE(MatchesPhoneticInitials("SDZXC", "山地自行车"));
    EXPECT_TRUE(MatchesPhoneticInitials("sd", "山地自行车"));
    EXPECT_TRUE(MatchesPhoneticInitials("山D", "山地自行车"));
    EXPECT_TRUE(MatchesPhoneticInitials("", "山地自行车"));
    EXPECT_FALSE(MatchesPhoneticInitials("DS", "山地自行车")) << "initials count from the first character";
    EXPECT_FALSE(MatchesPhoneticInitials("SDX", "山地自行车"));
    EXPECT_TRUE(MatchesPhoneticInitials("A1", "a1螺栓"));
    EXPECT_TRUE(MatchesPhoneticInitials("M8LS", "M8螺栓"));
    EXPECT_FALSE(MatchesPhoneticInitials("M8LSX", "M8螺栓")) << "longer than the name";
    EXPECT_FALSE(MatchesPhoneticInitials("X", ""));
    EXPECT_FALSE(MatchesPhoneticInitials("LS", "（螺栓")) << "a sign has no initial";
}

GoodsPickFilter Filter(std::string code, std::string name = {}, std::string specs = {},
                       std::optional<int> goodsTypeId = std::nullopt, std::string phonetic = {})
{
    GoodsPickFilter filter;
    filter.code = std::move(code);
    filter.name = std::move(name);
    filter.specs = std::move(specs);
    filter.goodsTypeId = goodsTypeId;
    filter.phonetic = std::move(phonetic);
    return filter;
}

GoodsPickFilter Phonetic(std::string text, std::string code = {}) { return Filter(std::move(code), {}, {}, {}, std::move(text)); }

class PickManuGoodsTest : public test::DemoHostTest {
protected:
    std::vector<std::string> Codes()
    {
        std::vector<std::string> codes;
        DataSet& goods = picker.Goods();
        if (!goods.Active()) return codes;
        for (goods.First(); !goods.Eof(); goods.Next()) codes.push_back(goods.FieldByName("goodscode").AsString());
        std::sort(codes.begin(), codes.end());
        return codes;
    }
    std::vector<std::string> CodesOf(const GoodsPickFilter& filter)
    {
        picker.Reload(filter);
        return Codes();
    }

    PickManuGoods picker;
};

TEST_F(PickManuGoodsTest, FiltersByCodeNameSpecsAndTypeWithItsSubTypes)
{
    EXPECT_EQ(CodesOf(Filter("1001")), std::vector<std::string>{"1001"});
    EXPECT_EQ(CodesOf(Filter("", "车架")), (std::vector<std::string>{"2001", "2002", "2011"}));
    EXPECT_EQ(CodesOf(Filter("", "车架", "城市")), std::vector<std::string>{"2002"});
    auto semiFinished = CodesOf(Filter("", "", "", 8));  // 半成品 holds no goods itself, only its sub-types
    EXPECT_EQ(semiFinished.size(), 12u);
    EXPECT_EQ(CodesOf(Filter("", "", "", 9)), (std::vector<std::string>{"2001", "2002", "2011", "2012"}));
    auto types = PickManuGoods::GoodsTypes();
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), (std::pair<std::string, int>{"原材料", 1}));
}

TEST_F(PickManuGoodsTest, TheExtraConditionOfTheCallerNarrowsEveryReload)
{
    PickManuGoods products("g.kind = 3");
    products.Reload(Filter(""));
    EXPECT_EQ(products.Goods().RecordCount(), 3);
    products.Reload(Filter("2"));
    EXPECT_TRUE(products.Goods().IsEmpty());

    PickManuGoods broken("no_such_column = 1");
    broken.Reload(Filter(""));
    EXPECT_FALSE(broken.Goods().Active()) << "a statement that fails leaves the list closed";
    EXPECT_TRUE(dialogs.Messages().empty()) << "and says nothing while the user types";
}

TEST_F(PickManuGoodsTest, AQuoteInANameFindsTheGoodsInsteadOfBreakingTheStatement)
{
    host.SqlExecute("update L_Goods set Name = 'O''型密封圈' where GoodsID = 101");
    EXPECT_EQ(CodesOf(Filter("", "O'型")), std::vector<std::string>{"1001"});
    EXPECT_EQ(CodesOf(Filter("' or ''='")), std::vector<std::string>{});
    EXPECT_TRUE(picker.Goods().Active()) << "the statement ran and found nothing";
}

TEST_F(PickManuGoodsTest, PercentAndUnderscoreTypedInAFilterAreNoWildcards)
{
    host.SqlExecute("update L_Goods set Name = '50%轮胎', Specs = 'A_1' where GoodsID = 101");
    EXPECT_EQ(CodesOf(Filter("%")), std::vector<std::string>{});
    EXPECT_EQ(CodesOf(Filter("1_01")), std::vector<std::string>{});
    EXPECT_EQ(CodesOf(Filter("", "50%")), std::vector<std::string>{"1001"});
    EXPECT_EQ(CodesOf(Filter("", "5%")), std::vector<std::string>{});
    EXPECT_EQ(CodesOf(Filter("", "", "A_")), std::vector<std::string>{"1001"});
    EXPECT_EQ(CodesOf(Filter("", "", "A!")), std::vector<std::string>{});
    EXPECT_TRUE(picker.Goods().Active());
}

TEST_F(PickManuGoodsTest, ThePhoneticFilterOnChineseNames)
{
    EXPECT_EQ(CodesOf(Phonetic("SDZXC")), std::vector<std::string>{"3001"});
    EXPECT_EQ(CodesOf(Phonetic("cj")), (std::vector<std::string>{"2001", "2002", "2011"}));
    EXPECT_EQ(CodesOf(Phonetic("CJZ", "20")), (std::vector<std::string>{"2001", "2002"}));
    EXPECT_EQ(CodesOf(Phonetic("CJZJX")), std::vector<std::string>{}) << "longer than every name";
    EXPECT_GT(CodesOf(Filter("")).size(), 50u) << "clearing the text shows every goods again";
}

TEST_F(PickManuGoodsTest, AnEmptyListCannotBeChosen)
{
    picker.Reload(Filter("nothing"));
    EXPECT_FALSE(picker.CanChoose());
    EXPECT_EQ(dialogs.Texts(MessageKind::Error), std::vector<std::string>{"没有货品可以选择！"});
    EXPECT_EQ(picker.GoodsID(), 0);
    picker.Reload(Filter("3001"));
    EXPECT_TRUE(picker.CanChoose());
    EXPECT_EQ(picker.GoodsID(), 1);
}

TEST_F(PickManuGoodsTest, AddModeAppendsToBomLinesOrSubstitutesUntilThePastTheLastRow)
{
    DataSet lines("qryBomLines");
    lines.AddField("elemgid", FieldType::Integer);
    lines.AddField("MnfQty", FieldType::Float);
    lines.CreateDataSet();
    DataSet subs("CDSGOODSSUB");
    subs.AddField("subgoodsid", FieldType::Integer);
    subs.AddField("quantity", FieldType::Float);
    subs.CreateDataSet();

    picker.Reload(Filter("100"));
    picker.Goods().First();
    picker.AddTo(lines, PickTarget::BomLines, " 2.5 ");
    picker.Goods().Next();
    picker.AddTo(lines, PickTarget::BomLines, "0");
    for (const char* slip : {"abc", "12元", "-1", "inf", "nan", "1e300"}) {
        dialogs.Clear();
        picker.AddTo(subs, PickTarget::Substitutes, slip);
        ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u) << slip;
        EXPECT_EQ(dialogs.Texts(MessageKind::Error)[0].rfind("数量", 0), 0u) << dialogs.Texts(MessageKind::Error)[0];
    }
    EXPECT_EQ(subs.RecordCount(), 0) << "a quantity that is no number adds nothing";
    picker.AddTo(subs, PickTarget::Substitutes, "4");
    ASSERT_EQ(lines.RecordCount(), 2);
    lines.First();
    EXPECT_EQ(lines.FieldByName("elemgid").AsInteger(), 101);
    EXPECT_DOUBLE_EQ(lines.FieldByName("MnfQty").AsFloat(), 2.5);
    lines.Next();
    EXPECT_TRUE(lines.FieldByName("MnfQty").IsNull()) << "a quantity of 0 is not written";
    ASSERT_EQ(subs.RecordCount(), 1);
    subs.First();
    EXPECT_EQ(subs.FieldByName("subgoodsid").AsInteger(), 102);
    EXPECT_DOUBLE_EQ(subs.FieldByName("quantity").AsFloat(), 4);

    picker.Goods().Last();
    picker.Goods().Next();
    picker.AddTo(lines, PickTarget::BomLines, "1");
    EXPECT_EQ(lines.RecordCount(), 2);
    EXPECT_TRUE(dialogs.WasShown("物料已添加完毕!"));
}

}  // namespace
}  // namespace mfg
