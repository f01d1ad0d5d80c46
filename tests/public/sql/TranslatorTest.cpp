#include <gtest/gtest.h>

#include "db/SqliteConnection.h"
#include "sql/SqliteDialect.h"
#include "sql/Tokenizer.h"
#include "sql/Translator.h"

namespace mfg {
namespace {

class TranslatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.SetClock([] { return DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0); });
        db.Execute("create table L_Goods (GoodsID int primary key, Code varchar(20), Name varchar(40), Kind int, "
                   "BillDate datetime, Qty numeric(18,4))");
        db.Execute("insert into L_Goods (GoodsID, Code, Name, Kind, BillDate, Qty) values "
                   "(1, 'A01', '车架', 3, '2026-12-06', 1.5), (2, 'b02', 'O''Brien', 1, '12/07/2026', null), "
                   "(3, 'C03', '轮子', 2, '2027-01-02', 4)");
    }

    Variant Value(const std::string& tsql, const Params& params = {}) { return db.Query(tsql, params).FirstValue(); }

    SqliteConnection db{":memory:"};
};

TEST_F(TranslatorTest, DateLiteralsAndDayArithmetic)
{
    EXPECT_EQ(Value("select count(*) from L_Goods where BillDate >= '2026-12-07'").AsInteger(), 2);
    EXPECT_EQ(Value("select count(*) from L_Goods where BillDate between '12/01/2026' and '12/31/2026'").AsInteger(), 2);
    EXPECT_EQ(Value("select Code from L_Goods where BillDate + 1 = '2026-12-08'").AsString(), "b02");
    EXPECT_EQ(Value("select Year(BillDate) * 10000 + Month(BillDate) * 100 + Day(BillDate) from L_Goods where GoodsID = 3")
                  .AsInteger(),
              20270102);
    EXPECT_EQ(Value("select count(*) from L_Goods where BillDate + 1 >= getdate()").AsInteger(), 3);
    EXPECT_EQ(Value("select BillDate from L_Goods where GoodsID = 1").Type(), FieldType::DateTime);
    // A text that holds digits but is no date stays text.
    EXPECT_EQ(Value("select '1,2,3'").AsString(), "1,2,3");
}

TEST_F(TranslatorTest, NamesAndTextCompareWithoutCase)
{
    EXPECT_EQ(Value("select [Name] from l_goods where CODE = 'a01'").AsString(), "车架");
    EXPECT_EQ(Value("select count(*) from L_GOODS where code like 'B%'").AsInteger(), 1);
    EXPECT_EQ(Value("select Code from L_Goods where Name = 'o''brien'").AsString(), "b02");
}

TEST_F(TranslatorTest, PlusJoinsTextAndAddsNumbers)
{
    EXPECT_EQ(Value("select Code + '-' + Name from L_Goods where GoodsID = 1").AsString(), "A01-车架");
    EXPECT_EQ(Value("select Code + Name from L_Goods where GoodsID = 3").AsString(), "C03轮子");
    EXPECT_EQ(Value("select GoodsID + Kind from L_Goods where GoodsID = 3").AsInteger(), 5);
    EXPECT_EQ(Value("select isnull(Qty, 0) + 1 from L_Goods where GoodsID = 2").AsFloat(), 1.0);
    EXPECT_EQ(Value("select ltrim(Code) + ':' + Name from L_Goods where GoodsID = 1").AsString(), "A01:车架");
    EXPECT_EQ(Value("select (Qty + 1) * 2 from L_Goods where GoodsID = 1").AsFloat(), 5.0);
}

TEST_F(TranslatorTest, GluedPiecesAndEqualsAliases)
{
    // Text assembled as "shopid = " + id + "and ..." has no blank before "and"; the server reads it all the same.
    EXPECT_EQ(Value("select count(*) from L_Goods where Kind = 3and GoodsID = 1").AsInteger(), 1);
    auto rows = db.Query("select Code, price=(select max(Qty) from L_Goods), n = GoodsID + 1 from L_Goods where GoodsID = 3");
    EXPECT_EQ(rows.columns[1].name, "price");
    EXPECT_EQ(rows.rows[0][1].AsFloat(), 4.0);
    EXPECT_EQ(rows.rows[0][2].AsInteger(), 4);
    EXPECT_EQ(Value("select count(*) from L_Goods where Code = 'A01' or Kind = 2").AsInteger(), 2);
}

TEST_F(TranslatorTest, TopBecomesLimitWhereverItStands)
{
    EXPECT_EQ(db.Query("select top 2 Code from L_Goods order by Code desc").rows.size(), 2u);
    EXPECT_EQ(Value("select top 1 Code from L_Goods order by GoodsID desc").AsString(), "C03");
    EXPECT_EQ(Value("select (select top 1 Name from L_Goods order by GoodsID desc) ").AsString(), "轮子");
    auto rows = db.Query("select top 1 Code from L_Goods where Kind = 3 union select top 1 Code from L_Goods where Kind = 1");
    EXPECT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(Value("Select top 1 1 from L_Goods where GoodsID = 99").IsNull(), true);
}

TEST_F(TranslatorTest, BatchesWithoutSemicolons)
{
    db.Execute("if exists(select * from sysobjects where name = 'T_SCOPE') delete t_scope \r\n"
               " else Create table t_scope (goodsid int,elemgid int) \r\n"
               " insert into t_scope select GoodsID, Kind from L_Goods");
    EXPECT_EQ(Value("select count(*) from t_scope").AsInteger(), 3);
    // The second run finds the table and empties it before inserting again.
    db.Execute("if exists(select * from sysobjects where name = 't_scope') delete t_scope \r\n"
               " else Create table t_scope (goodsid int,elemgid int) \r\n"
               " insert into t_scope select GoodsID, Kind from L_Goods where Kind = 3");
    EXPECT_EQ(Value("select count(*) from t_scope").AsInteger(), 1);
    db.Execute("if exists(select * from sysobjects where name = 't_scope') drop table t_scope");
    EXPECT_FALSE(db.TableExists("t_scope"));

    auto branch = db.Query(" if (exists(select 1 from L_Goods where Kind = 9)) select 'virtual' as k else select Code as k "
                           "from L_Goods where Kind = 2");
    EXPECT_EQ(branch.FirstValue().AsString(), "C03");
}

TEST_F(TranslatorTest, ProceduresVariablesAndInsertExec)
{
    db.RegisterProcedure("ag_testkey", [](SqliteConnection&, std::vector<Variant>& args) {
        args[1] = static_cast<std::int64_t>(args[0].AsString().size() * 100);
        return ResultSet{};
    });
    db.RegisterProcedure("pairs", [](SqliteConnection&, std::vector<Variant>& args) {
        ResultSet rows;
        rows.columns = {{"a", FieldType::Integer}, {"b", FieldType::Integer}};
        for (auto part : {1, 2, 3}) rows.rows.push_back({part, part * args[0].AsInteger()});
        return rows;
    });
    EXPECT_EQ(Value("declare @iNewKey integer exec ag_testkey 'MNF_MANUPLAN',@iNewKey output select @iNewKey").AsInteger(),
              1200);
    db.Execute("create table t_pairs (a int, b int) insert into t_pairs exec dbo.pairs 10");
    EXPECT_EQ(Value("select sum(b) from t_pairs").AsInteger(), 60);
    EXPECT_EQ(Value("declare @x int set @x = (select max(GoodsID) from L_Goods) select @x + 1").AsInteger(), 4);
}

TEST_F(TranslatorTest, TableFunctionsAndTempTables)
{
    db.RegisterTableFunction("getdue", [](SqliteConnection&, const std::vector<Variant>& args) {
        ResultSet rows;
        rows.columns = {{"paydate", FieldType::DateTime}, {"amount", FieldType::Float}};
        rows.rows.push_back({DateTime::FromYmd(2026, 12, 10), args[0].AsFloat() * 2});
        rows.rows.push_back({DateTime::FromYmd(2026, 11, 10), 5.0});
        return rows;
    });
    auto rows = db.Query("select paydate as calcdate, amount as amt from dbo.getdue(:ShopID) where paydate>=:PayDate",
                         {{"ShopID", 21}, {"PayDate", DateTime::FromYmd(2026, 12, 6)}});
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0][1].AsFloat(), 42.0);
    EXPECT_EQ(Value("select Code, Name into #work from L_Goods where Kind < 3 select count(*) from #work").AsInteger(), 2);
    db.Execute("create table #t2 (x int) insert into #t2 values (7) drop table #t2");
    // A column added to an old database takes the same type rules as a new table.
    db.Execute("alter table L_Goods add PasswordHash varchar(128)");
    db.Execute("update L_Goods set PasswordHash = 'ABC' where GoodsID = 1");
    EXPECT_EQ(Value("select count(*) from L_Goods where PasswordHash = 'abc'").AsInteger(), 1);
}

TEST_F(TranslatorTest, UnknownConstructsAreRefusedByName)
{
    auto refusal = [&](const std::string& tsql) {
        try {
            db.Query(tsql);
        } catch (const DbError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(refusal("select soundex(Name) from L_Goods").find("soundex"), std::string::npos);
    EXPECT_NE(refusal("select * from L_Goods with (nolock)").find("nolock"), std::string::npos);
    EXPECT_NE(refusal("select @@identity").find("@@identity"), std::string::npos);
    EXPECT_NE(refusal("merge L_Goods using x on 1=1").find("merge"), std::string::npos);
    EXPECT_NE(refusal("exec no_such_proc 1").find("no_such_proc"), std::string::npos);
    EXPECT_NE(refusal("select top 10 percent * from L_Goods").find("percent"), std::string::npos);
    EXPECT_NE(refusal("select 'open").find("引号"), std::string::npos);
    EXPECT_NE(refusal("select * from L_Goods where Code = :Code").find(":code"), std::string::npos);
}

TEST(Translator, CachesByTextAndForgetsAfterSchemaChanges)
{
    SqliteConnection db(":memory:");
    db.Execute("create table t (a int)");
    auto& translator = db.Translator();
    size_t before = translator.CacheSize();
    db.Query("select a from t");
    db.Query("select a from t");
    EXPECT_EQ(translator.CacheSize(), before + 1);
    auto first = translator.Translate("select a from t");
    EXPECT_EQ(first.get(), translator.Translate("select a from t").get());
    db.Execute("create table u (b varchar(10))");
    EXPECT_EQ(translator.CacheSize(), 0u);
}

}  // namespace
}  // namespace mfg
