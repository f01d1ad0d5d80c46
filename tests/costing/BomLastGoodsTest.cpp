#include <gtest/gtest.h>

#include <map>

#include "CostingFactory.h"
#include "host/Format.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

class BomLastGoodsTest : public test::DemoHostTest {
protected:
    //! elemgid -> (Quantity, flag, level) of getbomlastgoodsid(product).
    std::map<std::int64_t, std::tuple<double, int, int>> Tree(int product)
    {
        auto rows = host.CreateAutoQuery(
            "select elemgid, Quantity, flag, level from getbomlastgoodsid(" + std::to_string(product) + ") b", true);
        std::map<std::int64_t, std::tuple<double, int, int>> tree;
        for (rows->First(); !rows->Eof(); rows->Next())
            tree[rows->FieldByName("elemgid").AsInteger()] = {RoundToEx(rows->FieldByName("Quantity").AsFloat(), 9),
                                                              static_cast<int>(rows->FieldByName("flag").AsInteger()),
                                                              static_cast<int>(rows->FieldByName("level").AsInteger())};
        return tree;
    }
};

TEST_F(BomLastGoodsTest, ASharedSubAssemblyComesOnceWithEveryPathSummed)
{
    test::AddCostingFactory(host);
    // B is used by A and, a second time, straight by P: its need is 2.2 + 3 and its level the deeper one.
    host.SqlExecute(
        "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, Quantity, MasterQty, WasteRate) values "
        "(9001, 9003, 4, 3, 2, 0)");
    auto tree = Tree(9001);
    ASSERT_EQ(tree.size(), 5u);
    EXPECT_EQ(tree[9002], std::make_tuple(1.1, 0, 1));
    EXPECT_EQ(tree[9003], std::make_tuple(5.2, 0, 2));
    EXPECT_EQ(tree[9004], std::make_tuple(6.6, 1, 3));  // 3 + 1 + 5.2 x 0.5
    EXPECT_EQ(tree[9006], std::make_tuple(20.8, 1, 3));
}

TEST_F(BomLastGoodsTest, ACycleIsNotFollowedAndAMaterialHasNoTree)
{
    test::AddCostingFactory(host);
    host.SqlExecute(
        "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, Quantity, MasterQty, WasteRate) values "
        "(9003, 9002, 3, 1, 1, 0)");
    auto tree = Tree(9001);
    EXPECT_EQ(std::get<0>(tree[9006]), 8.8);
    EXPECT_EQ(std::get<1>(tree[9004]), 1);
    EXPECT_TRUE(Tree(9006).empty());
}

}  // namespace
}  // namespace mfg
