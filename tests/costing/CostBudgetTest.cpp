#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <limits>
#include <set>

#include <fmt/format.h>

#include "CostBudget.h"
#include "CostingFactory.h"
#include "host/Format.h"
#include "host/HostFixture.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

class CostBudgetTest : public test::DemoHostTest {
protected:
    CostBudgetTest() { test::AddCostingFactory(host); }

    //! Codes, quantities with and without waste, and amounts of the lines, for one comparison.
    static std::string Describe(const CostBudget& budget)
    {
        std::string text;
        for (const auto& line : budget.Lines())
            text += fmt::format("{} {:g}% {:g} {:g} x{:g} = {:g}\n", line.goodsCode, RoundToEx(line.wasteRate, 6),
                                line.quantity, line.actQty, line.price, line.sumAmt);
        return text;
    }

    CostBudget budget;
};

TEST_F(CostBudgetTest, FirstLevelByEachBasisOverMasterQtyOfTwo)
{
    budget.SelectProduct(9001);
    const auto& product = budget.Product();
    EXPECT_EQ(product.goodsCode, "T-P");
    EXPECT_EQ(product.unitName, "台");
    EXPECT_DOUBLE_EQ(product.qty, 2);  // the BOM is stated for two products
    // The two rows of M1 merge: 3 + 1, waste (0 + 0.2) / 4 = 5 %.
    EXPECT_EQ(Describe(budget),
              "T-A 10% 2 2.2 x30 = 66\n"
              "T-M1 5% 8 8.4 x2.5 = 21\n");
    EXPECT_DOUBLE_EQ(product.amount, 87);
    EXPECT_DOUBLE_EQ(product.price, 43.5);

    budget.SetBasis(PriceBasis::StockCost);
    EXPECT_EQ(Describe(budget),
              "T-A 10% 2 2.2 x25 = 55\n"
              "T-M1 5% 8 8.4 x2 = 16.8\n");
    EXPECT_DOUBLE_EQ(product.price, 35.9);

    // The latest receipt of kind 1 or 3 counts; a later one of kind 2 does not.
    budget.SetBasis(PriceBasis::LastPurchase);
    EXPECT_EQ(Describe(budget),
              "T-A 10% 2 2.2 x28 = 61.6\n"
              "T-M1 5% 8 8.4 x2.4 = 20.16\n");
    EXPECT_DOUBLE_EQ(product.amount, 81.76);
    EXPECT_DOUBLE_EQ(product.price, 40.88);
}

TEST_F(CostBudgetTest, LastLevelRollsThreeLevelsWithTheWasteOfEachLevel)
{
    budget.SelectProduct(9001);
    ASSERT_TRUE(budget.SetDepth(BomDepth::LastLevel));
    // One product needs 1.1 A (10 % waste), so 2.2 B and 1.65 M2; B needs 1.1 M1 and 8.8 M3.
    // M1: 3 + 1 + 1.1 = 5.1 with 0.2 + 0.044 wasted; for two products 10.2 and 10.688.
    EXPECT_EQ(Describe(budget),
              "T-M1 4.78431% 10.2 10.688 x2.5 = 26.72\n"
              "T-M2 20% 3.3 3.96 x4 = 15.84\n"
              "T-M3 0% 17.6 17.6 x0.75 = 13.2\n");
    EXPECT_DOUBLE_EQ(budget.Product().amount, 55.76);
    EXPECT_DOUBLE_EQ(budget.Product().price, 27.88);

    budget.SetBasis(PriceBasis::StockCost);
    EXPECT_DOUBLE_EQ(budget.Lines()[0].amount, 21.38);  // 21.376 at two decimals
    EXPECT_DOUBLE_EQ(budget.Product().amount, 58.78);
    EXPECT_DOUBLE_EQ(budget.Product().price, 29.39);

    budget.SetBasis(PriceBasis::LastPurchase);  // M3 was never bought: price 0
    EXPECT_EQ(Describe(budget),
              "T-M1 4.78431% 10.2 10.688 x2.4 = 25.65\n"
              "T-M2 20% 3.3 3.96 x3.5 = 13.86\n"
              "T-M3 0% 17.6 17.6 x0 = 0\n");
    EXPECT_DOUBLE_EQ(budget.Product().price, 19.755);
}

TEST_F(CostBudgetTest, IndirectCostsStayByPositionAcrossADepthSwitch)
{
    budget.SelectProduct(9001);
    budget.SetLineAmt(0, 4);
    EXPECT_DOUBLE_EQ(budget.Lines()[0].sumAmt, 70);
    EXPECT_DOUBLE_EQ(budget.Product().amount, 91);
    budget.SetDepth(BomDepth::LastLevel);
    ASSERT_EQ(budget.Lines().size(), 3u);
    EXPECT_EQ(budget.Lines()[0].amt, 4.0);  // now on M1, the first line, not on A's materials
    EXPECT_EQ(budget.Lines()[1].amt, 0.0);
    EXPECT_FALSE(budget.Lines()[2].amt.has_value());
    EXPECT_DOUBLE_EQ(budget.Product().amount, 59.76);
}

TEST_F(CostBudgetTest, QuantityScalesBomLinesAndZeroKeepsTheUnitPrice)
{
    budget.SelectProduct(9001);
    budget.AddLine();
    budget.PickComponent(2, 9006);  // outside the BOM: one per product
    EXPECT_DOUBLE_EQ(budget.Lines()[2].quantity, 2);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].amount, 1.5);
    EXPECT_DOUBLE_EQ(budget.Product().price, 44.25);

    budget.SetQty(4);
    EXPECT_DOUBLE_EQ(budget.Lines()[0].quantity, 4);
    EXPECT_DOUBLE_EQ(budget.Lines()[1].amount, 42);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].quantity, 0);  // a line added by hand has no BOM quantity
    EXPECT_DOUBLE_EQ(budget.Product().amount, 174);
    EXPECT_DOUBLE_EQ(budget.Product().price, 43.5);

    budget.SetQty(0);
    EXPECT_DOUBLE_EQ(budget.Product().amount, 0);
    EXPECT_DOUBLE_EQ(budget.Product().price, 43.5);
}

TEST_F(CostBudgetTest, LinesEditedByHand)
{
    budget.SelectProduct(9001);
    budget.AddLine();
    budget.PickComponent(2, 9004);  // in the BOM: its merged waste and quantity
    EXPECT_DOUBLE_EQ(budget.Lines()[2].wasteRate, 5);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].quantity, 8);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].price, 2.5);

    budget.SetLineQuantity(2, 10);
    budget.SetLineWasteRate(2, 5);
    budget.SetLinePrice(2, 2);
    budget.SetLineAmt(2, 4);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].actQty, 10.5);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].amount, 21);
    EXPECT_DOUBLE_EQ(budget.Lines()[2].sumAmt, 25);
    EXPECT_DOUBLE_EQ(budget.Product().amount, 112);

    budget.DeleteLine(0);
    budget.DeleteLine(7);
    EXPECT_EQ(budget.Lines().size(), 2u);
    EXPECT_DOUBLE_EQ(budget.Product().amount, 46);
}

TEST_F(CostBudgetTest, FiguresOutsideTheirColumnsAreRefusedByCaptionAndChangeNothing)
{
    budget.SelectProduct(9001);
    const double amount = budget.Product().amount;
    const std::string lines = Describe(budget);
    auto refused = [&](const std::function<void()>& edit, const char* caption) {
        try {
            edit();
            ADD_FAILURE() << caption;
        } catch (const InputError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(caption, 0), 0u) << error.what();
        }
    };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double slip : {-2.0, nan, inf, 1e300}) {
        refused([&] { budget.SetQty(slip); }, "数量");
        refused([&] { budget.SetLineQuantity(0, slip); }, "数量");
        refused([&] { budget.SetLinePrice(0, slip); }, "单价");
        refused([&] { budget.SetLineAmt(0, slip); }, "间接费用");
        refused([&] { budget.SetLineWasteRate(0, slip); }, "损耗率%");
    }
    refused([&] { budget.SetLineWasteRate(0, 150); }, "损耗率%");
    EXPECT_EQ(Describe(budget), lines);
    EXPECT_DOUBLE_EQ(budget.Product().amount, amount);
}

TEST_F(CostBudgetTest, NoProductOrNoBomCostsNothing)
{
    EXPECT_FALSE(budget.SetDepth(BomDepth::LastLevel));
    EXPECT_TRUE(dialogs.WasShown("请选择货品名称!"));
    budget.SelectProduct(9006);  // a material: no BOM
    EXPECT_TRUE(budget.Lines().empty());
    EXPECT_DOUBLE_EQ(budget.Product().qty, 0);
    EXPECT_DOUBLE_EQ(budget.Product().amount, 0);
    budget.SelectProduct(9001);
    host.SqlExecute("update L_GoodsBom set MasterQty = 0 where GoodsID = 9002");
    budget.SelectProduct(9002);            // lines, but a batch of 0: no unit price, not that of 9001
    EXPECT_EQ(budget.Lines().size(), 3u);  // the depth chosen before stays: A's leaf materials
    EXPECT_DOUBLE_EQ(budget.Product().price, 0);
    budget.SelectProduct(0);
    EXPECT_TRUE(budget.Lines().empty());
    EXPECT_TRUE(budget.Product().goodsCode.empty());
}

//! The statements of a corpus file: the lines after each "query ok" up to the next blank line.
std::set<std::string> CorpusStatements(const std::string& path)
{
    std::ifstream in(path);
    std::set<std::string> statements;
    std::string line, text;
    bool inQuery = false;
    while (std::getline(in, line)) {
        if (line == "query ok") {
            inQuery = true;
        } else if (inQuery && line.empty()) {
            statements.insert(text);
            text.clear();
            inQuery = false;
        } else if (inQuery) {
            text += (text.empty() ? "" : "\n") + line;
        }
    }
    if (inQuery) statements.insert(text);
    return statements;
}

TEST(CostBudgetSqlTest, EveryStatementIsOneTheDialectCorpusRuns)
{
    auto corpus = CorpusStatements(MFG_COSTING_CORPUS);
    ASSERT_FALSE(corpus.empty());
    for (auto basis : {PriceBasis::ReferencePurchase, PriceBasis::LastPurchase, PriceBasis::StockCost}) {
        EXPECT_TRUE(corpus.count(CostBudget::LinesSql(1, basis, BomDepth::FirstLevel)))
            << CostBudget::LinesSql(1, basis, BomDepth::FirstLevel);
        EXPECT_TRUE(corpus.count(CostBudget::LinesSql(1, basis, BomDepth::LastLevel)))
            << CostBudget::LinesSql(1, basis, BomDepth::LastLevel);
        EXPECT_TRUE(corpus.count(CostBudget::PriceSql(4, basis))) << CostBudget::PriceSql(4, basis);
    }
}

}  // namespace
}  // namespace mfg
