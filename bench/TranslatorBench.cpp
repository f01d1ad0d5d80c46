// The dialect layer's cost per statement: a cache miss parses and rewrites the text, a hit is a lookup.
#include <benchmark/benchmark.h>

#include "sql/SqliteDialect.h"
#include "sql/Translator.h"

namespace {

// The goods-record batch of an MRP load: the longest statement the module sends.
const char* kLoadBatch =
    " if (exists(select 1 from l_store)) select m.*,o.manuorderqty from(select g.goodsid,isnull(sum(o.quantity),0) qty,"
    "isnull(sum(o.downqty),0) downqty,isnull(sum(o.usedqty),0) usedqty,g.minpurchaseqty, g.orderaddqty, g.leadtime,"
    "g.traderid, g.ismrp, g.kind, u.pprice from l_goods g left join aa_onhand o on g.goodsid=o.goodsid and exists (select *"
    " from l_store s where o.storeid = s.storeid and s.mrpcanuse = 1 and s.shopid = 1) join l_goodsunit u on (g.goodsid = "
    "u.goodsid and u.isbase = 1) where g.kind <= 3 and (exists (select * from t_goodsid t where g.goodsid=t.goodsid) or "
    "exists (select * from t_goodsid t1 where g.goodsid=t1.elemgid)) group by g.goodsid, g.minpurchaseqty, g.orderaddqty, "
    "g.leadtime,g.traderid, g.ismrp, g.kind, u.pprice) m left join getmanuorderqty(:Date,1,0) o on m.goodsid=o.goodsid "
    "else select g.goodsid, 0 qty, 0 downqty, 0 usedqty, g.minpurchaseqty, g.orderaddqty, g.leadtime, g.traderid, g.ismrp, "
    "g.kind, u.pprice, 0 manuorderqty from l_goods g join l_goodsunit u on (g.goodsid = u.goodsid and u.isbase = 1) where "
    "g.kind <= 3";

const char* kShortQuery = "Select top 1 state from l_goodsbom where Goodsid =17";

mfg::sql::SqliteDialect MakeDialect()
{
    mfg::sql::SqliteDialect dialect;
    dialect.tables.insert("getmanuorderqty");
    return dialect;
}

void BM_TranslateMiss(benchmark::State& state, const char* text)
{
    auto dialect = MakeDialect();
    mfg::sql::Translator translator(dialect);
    for (auto _ : state) benchmark::DoNotOptimize(translator.TranslateUncached(text));
}

void BM_TranslateHit(benchmark::State& state, const char* text)
{
    auto dialect = MakeDialect();
    mfg::sql::Translator translator(dialect);
    translator.Translate(text);
    for (auto _ : state) benchmark::DoNotOptimize(translator.Translate(text));
}

BENCHMARK_CAPTURE(BM_TranslateMiss, load_batch, kLoadBatch);
BENCHMARK_CAPTURE(BM_TranslateHit, load_batch, kLoadBatch);
BENCHMARK_CAPTURE(BM_TranslateMiss, short_query, kShortQuery);
BENCHMARK_CAPTURE(BM_TranslateHit, short_query, kShortQuery);

}  // namespace
