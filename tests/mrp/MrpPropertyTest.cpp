// Properties of runs on random small factories.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include "MrpFactory.h"

namespace mfg::test {
namespace {

//! A random factory: goods 1-3 made, 4-8 bought, links only from lower to higher ids (no cycle),
//! random stock, lots, lead times, substitutes and purchase orders, and a random plan.
struct RandomFactory {
    std::vector<GoodsSpec> goods;
    std::vector<std::tuple<int, int, double, double>> links;
    std::vector<std::tuple<int, int, int>> substitutes;
    std::vector<std::tuple<int, double, int>> purchases;
    std::vector<std::tuple<int, double, int>> plan;
};

rc::Gen<RandomFactory> GenFactory()
{
    return rc::gen::exec([] {
        RandomFactory f;
        for (int id = 1; id <= 8; ++id) {
            GoodsSpec g;
            g.id = id;
            g.kind = id <= 3 ? 2 : 1;
            g.leadTime = *rc::gen::inRange(0, 4);
            g.stock = *rc::gen::inRange(0, 30);
            g.safety = *rc::gen::inRange(0, 5);
            g.minimum = *rc::gen::inRange(0, 40);
            g.increment = *rc::gen::inRange(0, 15);
            g.price = 1;
            f.goods.push_back(g);
        }
        for (int parent = 1; parent <= 3; ++parent)
            for (int child = parent + 1; child <= 8; ++child)
                if (*rc::gen::inRange(0, 3) == 0 || child == parent + 1)
                    f.links.emplace_back(parent, child, *rc::gen::inRange(1, 4), *rc::gen::element(0.0, 5.0, 10.0));
        auto [parent, child, q, w] = f.links.back();
        f.substitutes.emplace_back(parent, child, child < 8 ? child + 1 : 4);
        for (int i = *rc::gen::inRange(0, 4); i > 0; --i)
            f.purchases.emplace_back(*rc::gen::inRange(4, 9), *rc::gen::inRange(1, 20), *rc::gen::inRange(-3, 20));
        for (int i = *rc::gen::inRange(1, 5); i > 0; --i)
            f.plan.emplace_back(*rc::gen::inRange(1, 4), *rc::gen::inRange(1, 50), *rc::gen::inRange(0, 30));
        return f;
    });
}

class MrpPropertyFactory : public MrpFactoryTest {
public:
    void TestBody() override {}

    explicit MrpPropertyFactory(const RandomFactory& f)
    {
        for (const auto& g : f.goods) Goods(g);
        for (const auto& [p, c, q, w] : f.links) Bom(p, c, q, w);
        for (const auto& [p, c, s] : f.substitutes) Substitute(p, c, s, 1.5);
        for (const auto& [g, q, offset] : f.purchases) PurchaseOrder(g, q, TestToday().Date().AddDays(offset));
        int item = 0;
        for (const auto& [g, q, offset] : f.plan) lines.push_back(Plan(g, q, TestToday().Date().AddDays(offset), "MPS", ++item));
    }

    std::vector<MrpLine> lines;
};

//! The suggestions of a run as plain rows, for comparing runs.
std::vector<std::vector<std::string>> Rows(DataSet& dataSet)
{
    std::vector<std::vector<std::string>> rows;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        auto& row = rows.emplace_back();
        for (int i = 0; i < dataSet.FieldCount(); ++i) row.push_back(dataSet.FieldByIndex(i).AsString());
    }
    return rows;
}

RC_GTEST_PROP(MrpProperties, SuggestionsArePositiveRespectLotsAndCoverEveryNetRequirement, ())
{
    const RandomFactory f = *GenFactory();
    MrpPropertyFactory factory(f);
    const unsigned lotFlags = *rc::gen::inRange(0u, 4u);
    RC_ASSERT(factory.Run(factory.lines));
    DataSet manufacture, purchase;
    factory.engine.FillManufactureSuggestions(manufacture);
    factory.engine.FillPurchaseSuggestions(purchase, lotFlags);
    std::map<int, double> suggested;
    for (DataSet* dataSet : {&manufacture, &purchase})
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
            const double quantity = dataSet->FieldByName("sugqty").AsFloat();
            RC_ASSERT(quantity > 0);
            suggested[static_cast<int>(dataSet->FieldByName("goodsid").AsInteger())] += quantity;
        }
    for (purchase.First(); !purchase.Eof(); purchase.Next()) {
        const double quantity = purchase.FieldByName("sugqty").AsFloat();
        const double minimum = purchase.FieldByName("minOrderQty").AsFloat();
        if (lotFlags & MrpLotMinimum) RC_ASSERT(quantity >= minimum - 1e-9);
        const double increment = purchase.FieldByName("incOrderQty").AsFloat();
        if (lotFlags == (MrpLotMinimum | MrpLotIncrement) && increment > 0 && quantity > minimum + 1e-9) {
            const double steps = (quantity - minimum) / increment;
            RC_ASSERT(std::abs(steps - std::round(steps)) < 1e-6);
        }
    }
    // What is suggested over the horizon covers the largest net requirement of every goods.
    for (const auto& record : factory.engine.netRecords) {
        double peak = 0;
        for (const auto& [date, bucket] : record.buckets) peak = std::max(peak, bucket.netqty);
        RC_ASSERT(suggested[record.goodsid] >= peak - 1e-6);
    }
}

RC_GTEST_PROP(MrpProperties, TwoRunsOfOneFactoryGiveTheSameResults, ())
{
    const RandomFactory f = *GenFactory();
    const std::uint32_t options = *rc::gen::inRange(0u, 0x10000u);
    MrpPropertyFactory factory(f);
    auto results = [&] {
        RC_ASSERT(factory.Run(factory.lines, options));
        DataSet net, manufacture, purchase;
        factory.engine.FillNetTable(net, 1);
        factory.engine.FillManufactureSuggestions(manufacture);
        factory.engine.FillPurchaseSuggestions(purchase, MrpLotMinimum | MrpLotIncrement);
        return std::vector{Rows(net), Rows(manufacture), Rows(purchase)};
    };
    const auto first = results();
    RC_ASSERT(first == results());
}

}  // namespace
}  // namespace mfg::test
