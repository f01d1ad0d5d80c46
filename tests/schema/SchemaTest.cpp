#include <gtest/gtest.h>

#include "Database.h"
#include "TestDatabase.h"

namespace mfg {
namespace {

TEST(Schema, SplitsBatchesOnGoLines)
{
    auto batches = SplitBatches("create table a (x int);\nGO\n-- only a comment\ngo\ninsert into a values (1);\n  Go  \n");
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_NE(batches[1].find("insert"), std::string_view::npos);
}

TEST(Schema, DemoFactoryLoadsWithEveryGoodsKind)
{
    auto db = OpenDatabase(test::CopyOfDemoDatabase("schema-demo"));
    for (int kind : {1, 2, 3, 9})
        EXPECT_GT(db->Query("select count(*) from L_Goods where Kind = " + std::to_string(kind)).FirstValue().AsInteger(), 0)
            << "kind " << kind;
    EXPECT_GE(db->Query("select count(*) from L_Goods").FirstValue().AsInteger(), 40);
    EXPECT_GE(db->Query("select count(*) from l_store").FirstValue().AsInteger(), 3);
    EXPECT_GE(db->Query("select count(*) from l_trader").FirstValue().AsInteger(), 5);
    EXPECT_GT(db->Query("select count(*) from L_GoodsBomsub").FirstValue().AsInteger(), 0);
    // Every goods has exactly one base unit: the MRP counts quantities in it.
    EXPECT_EQ(db->Query("select count(*) from L_Goods g where (select count(*) from L_GoodsUnit u where u.GoodsID = "
                        "g.GoodsID and u.isbase = 1) <> 1")
                  .FirstValue()
                  .AsInteger(),
              0);
}

TEST(Schema, NewKeysStartAboveTheDemoRows)
{
    auto db = OpenDatabase(test::CopyOfDemoDatabase("schema-keys"));
    auto maxGoods = db->Query("select max(GoodsID) from L_Goods").FirstValue().AsInteger();
    auto key = db->Query("declare @iNewKey integer exec AG_GETNEWKEY 'L_GOODS',@iNewKey output select @iNewKey")
                   .FirstValue()
                   .AsInteger();
    EXPECT_GT(key, maxGoods);
}

}  // namespace
}  // namespace mfg
