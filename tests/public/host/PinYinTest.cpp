#include <gtest/gtest.h>

#include "host/PinYin.h"

namespace mfg {
namespace {

TEST(PinYin, GoodsNamesGiveOneInitialPerCharacterWithLettersAndDigitsKept)
{
    EXPECT_EQ(GetPYIndexChar("山地自行车"), "SDZXC");
    EXPECT_EQ(GetPYIndexChar("M8螺栓"), "M8LS");
    EXPECT_EQ(GetPYIndexChar("m8螺栓"), "M8LS") << "letters are upper-cased";
    EXPECT_EQ(GetPYIndexChar("3001 山地自行车(26寸)"), "3001SDZXC26C");
    EXPECT_EQ(GetPYIndexChar("轮辋辐条组、前花鼓"), "LWFTZQHG") << "punctuation is dropped";
    EXPECT_EQ(GetPYIndexChar("Ｍ８螺栓"), "M8LS") << "full-width letters and digits count as ASCII";
    EXPECT_EQ(GetPYIndexChar(""), "");
    EXPECT_EQ(GetPYIndexChar("  -/#"), "");
    EXPECT_EQ(GetPYIndexChar("钢\xff\xfe管"), "GG") << "broken UTF-8 bytes are dropped, not the characters after them";
    EXPECT_EQ(GetPYIndexChar("αβ螺母"), "LM") << "letters of other scripts are no initials";
}

TEST(PinYin, WordsWithAnotherReadingThanTheCharactersFirstOneUseTheTable)
{
    EXPECT_EQ(GetPYIndexChar("银行卡"), "YHK");
    EXPECT_EQ(GetPYIndexChar("北京飞驰车行"), "BJFCCH");
    EXPECT_EQ(GetPYIndexChar("长度"), "CD");
    EXPECT_EQ(GetPYIndexChar("加长钢管"), "JCGG") << "长 alone reads cháng in goods names";
    EXPECT_EQ(GetPYIndexChar("车轮组长"), "CLZZ") << "the head of a team still reads zhǎng";
    EXPECT_EQ(GetPYIndexChar("重量"), "ZL");
    EXPECT_EQ(GetPYIndexChar("单车"), "DC");
    EXPECT_EQ(GetPYIndexChar("弹簧垫圈"), "THDQ");
    EXPECT_EQ(GetPYIndexChar("调节阀"), "TJF");
    EXPECT_EQ(GetPYIndexChar("行李架"), "XLJ") << "行 outside the table keeps the transliterator's reading";
}

TEST(PinYin, SingleCharactersAnswerAsThePickerAsksForThem)
{
    EXPECT_EQ(PYInitialOf(U'螺'), 'L');
    EXPECT_EQ(PYInitialOf(U'a'), 'A');
    EXPECT_EQ(PYInitialOf(U'7'), '7');
    EXPECT_EQ(PYInitialOf(U'，'), 0);
    // Every character of a demo goods name has exactly one initial.
    std::u32string names = U"钢管辐条轮辋花鼓外胎内胎链条螺栓螺母车架前叉车座把手脚踏曲柄刹车套件标准件包反光片";
    std::string initials = GetPYIndexChar("钢管辐条轮辋花鼓外胎内胎链条螺栓螺母车架前叉车座把手脚踏曲柄刹车套件标准件包反光片");
    EXPECT_EQ(initials.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(PYInitialOf(names[i]), initials[i]) << i;
}

}  // namespace
}  // namespace mfg
