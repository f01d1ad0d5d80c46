#include "data/DataSet.h"

#include <gtest/gtest.h>

#include "FakeConnection.h"

namespace mfg {
namespace {

using testing::FakeConnection;

ResultSet BomLines()
{
    ResultSet result;
    result.columns = {{"goodsid", FieldType::Integer}, {"elemgid", FieldType::Integer}, {"itemno", FieldType::Integer},
                      {"mnfqty", FieldType::Float},    {"code", FieldType::Text},       {"memo", FieldType::Unknown}};
    result.rows = {{100, 201, 1, 2.0, "A01", nullptr},
                   {100, 202, 2, 1.5, "B01", "x"},
                   {100, 203, 3, 4.0, "A02", nullptr}};
    return result;
}

UpdateSql BomLineSql()
{
    return {
        .InsertSQL = "insert into L_GoodsBom (goodsid, elemgid, itemno, mnfqty) values (:goodsid, :elemgid, :itemno, :mnfqty)",
        .ModifySQL = "update L_GoodsBom set elemgid = :elemgid, itemno = :itemno, mnfqty = :mnfqty"
                     " where goodsid=:OLD_goodsid and elemgid=:OLD_elemgid and itemno=:old_itemno",
        .DeleteSQL = "delete from L_GoodsBom where goodsid=:OLD_goodsid and elemgid=:OLD_elemgid and itemno=:old_itemno",
    };
}

std::string Verb(const FakeConnection::Statement& statement) { return statement.text.substr(0, 6); }

class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.nextResult = BomLines();
        lines.SetSql("select m.* from L_GoodsBom m where m.GoodsID = :GoodsID order by m.itemno");
        lines.SetParam("goodsid", 100);
        lines.SetUpdateSql(BomLineSql());
        lines.Open(db);
    }

    void EditField(std::string_view field, Variant value)
    {
        lines.Edit();
        lines.FieldByName(field).SetValue(value);
        lines.Post();
    }

    std::vector<std::string> Codes()
    {
        std::vector<std::string> codes;
        for (lines.First(); !lines.Eof(); lines.Next()) codes.push_back(lines.FieldByName("code").AsString());
        return codes;
    }

    FakeConnection db;
    DataSet lines{"BomLineSet"};
};

// ---- opening ------------------------------------------------------------------------------------

TEST_F(DataSetTest, OpenBindsParamsAndTypesFieldsFromTheResult)
{
    ASSERT_EQ(db.queries.size(), 1u);
    EXPECT_EQ(db.queries[0].Param("GoodsID").AsInteger(), 100);
    EXPECT_EQ(lines.RecordCount(), 3);
    EXPECT_TRUE(lines.Bof());
    EXPECT_EQ(lines.FieldByName("MNFQTY").DataType(), FieldType::Float);
    EXPECT_EQ(lines.FieldByName("memo").DataType(), FieldType::Text);  // inferred past the leading null
    EXPECT_EQ(lines.FieldByName("Code").AsString(), "A01");
    EXPECT_EQ(lines.FindField("nosuch"), nullptr);
    try {
        lines.FieldByName("nosuch");
        FAIL() << "a missing field must be an error";
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("nosuch"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("BomLineSet"), std::string::npos);
    }
    EXPECT_THROW(lines.ParamByName("shopid"), DataSetError);
}

TEST_F(DataSetTest, ValuesAreConvertedToTheColumnTypeAndUnknownColumnsWidenToFloat)
{
    ResultSet result;
    result.columns = {{"billdate", FieldType::DateTime}, {"qty", FieldType::Unknown}, {"name", FieldType::Text},
                      {"name", FieldType::Text}};
    result.rows = {{45000.0, 5, "a", "b"}, {"2024-03-01", 2.5, "c", "d"}};
    db.nextResult = result;
    DataSet set;
    set.SetSql("select ...");
    set.Open(db);
    EXPECT_EQ(set.FieldByName("qty").DataType(), FieldType::Float);
    EXPECT_EQ(set.FieldByName("billdate").Value().Type(), FieldType::DateTime);
    EXPECT_EQ(set.FieldNames(), (std::vector<std::string>{"billdate", "qty", "name", "name_1"}));
    set.Last();
    EXPECT_EQ(set.FieldByName("billdate").AsDateTime(), DateTime::FromYmd(2024, 3, 1));
    EXPECT_DOUBLE_EQ(set.FieldByName("qty").AsFloat(), 2.5);
}

TEST_F(DataSetTest, AnEmptyOpenHasTheFieldsButNoRows)
{
    ResultSet empty = BomLines();
    empty.rows.clear();
    db.nextResult = empty;
    DataSet set;
    set.SetSql("select * from L_GoodsBom where 1=2");
    set.Open(db);
    EXPECT_TRUE(set.IsEmpty());
    EXPECT_TRUE(set.Eof() && set.Bof());
    EXPECT_EQ(set.FieldCount(), 6);
    EXPECT_TRUE(set.FieldByName("code").IsNull());
    set.Append();
    set.FieldByName("code").SetValue("N1");
    set.Post();
    EXPECT_EQ(set.PendingInsertCount(), 1);
}

TEST_F(DataSetTest, RequeryReadsAgainAndDropsPendingChangesKeepingFieldReferences)
{
    Field& code = lines.FieldByName("code");
    EditField("code", "Z");
    lines.Requery();
    EXPECT_EQ(db.queries.size(), 2u);
    EXPECT_FALSE(lines.UpdatesPending());
    EXPECT_EQ(code.AsString(), "A01");
}

// ---- cursor and states --------------------------------------------------------------------------

TEST_F(DataSetTest, CursorWalksAndStopsAtBothEnds)
{
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A01", "B01", "A02"}));
    EXPECT_TRUE(lines.Eof());
    EXPECT_EQ(lines.RecNo(), 3);
    lines.Next();
    EXPECT_EQ(lines.RecNo(), 3);
    EXPECT_EQ(lines.MoveBy(-5), -2);
    EXPECT_TRUE(lines.Bof());
    EXPECT_EQ(lines.MoveBy(1), 1);
    EXPECT_FALSE(lines.Bof());
    lines.SetRecNo(3);
    EXPECT_EQ(lines.FieldByName("code").AsString(), "A02");
}

TEST_F(DataSetTest, SettingAFieldOutsideEditIsAnErrorNamingIt)
{
    try {
        lines.FieldByName("mnfqty").SetValue(3);
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("mnfqty"), std::string::npos);
    }
    lines.Edit();
    EXPECT_THROW(lines.FieldByName("mnfqty").SetValue("abc"), InputError);
    lines.FieldByName("mnfqty").SetValue("");
    EXPECT_TRUE(lines.FieldByName("mnfqty").IsNull());
    lines.FieldByName("mnfqty").SetValue("7");
    EXPECT_EQ(lines.FieldByName("mnfqty").Value().Type(), FieldType::Float);

    // Typed text is refused by the caption a person reads, within the field's range, and the
    // field keeps its value.
    lines.FieldByName("mnfqty").SetCaption("数量");
    lines.SetNumberRange("mnfqty", NumberRange::Positive());
    for (auto [typed, message] : {std::pair{"12元", "数量不是有效的数字: 12元"},
                                  {"0", "数量必须大于 0"},
                                  {"nan", "数量不是有效的数字: nan"},
                                  {"1e300", "数量必须在 0 到 1000000000000 之间: 1e+300"},
                                  {"", "请输入数量"}}) {
        try {
            lines.FieldByName("mnfqty").SetValue(typed);
            ADD_FAILURE() << typed;
        } catch (const InputError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    EXPECT_DOUBLE_EQ(lines.FieldByName("mnfqty").AsFloat(), 7);
}

TEST_F(DataSetTest, MovingPostsAnEditAndDropsAnUntouchedNewRow)
{
    lines.Edit();
    lines.FieldByName("mnfqty").SetValue(9);
    lines.Next();
    EXPECT_EQ(lines.State(), DataSetState::Browse);
    EXPECT_EQ(lines.PendingUpdateCount(), 1);

    lines.OnNewRecord([](DataSet& d) { d.FieldByName("goodsid").SetValue(100); });
    lines.Append();
    lines.First();
    EXPECT_EQ(lines.RecordCount(), 3);
    EXPECT_EQ(lines.PendingInsertCount(), 0);

    lines.Append();
    lines.Post();  // posted explicitly, it stays even with only the defaults
    EXPECT_EQ(lines.RecordCount(), 4);
    EXPECT_EQ(lines.PendingInsertCount(), 1);
}

TEST_F(DataSetTest, InsertGoesBeforeTheCurrentRowAndCancelReturnsToIt)
{
    lines.Next();
    lines.Insert();
    lines.FieldByName("code").SetValue("NEW");
    lines.Post();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A01", "NEW", "B01", "A02"}));

    lines.SetRecNo(3);
    lines.Insert();
    lines.FieldByName("code").SetValue("GONE");
    lines.Cancel();
    EXPECT_EQ(lines.FieldByName("code").AsString(), "B01");
    EXPECT_EQ(lines.RecordCount(), 4);
}

TEST_F(DataSetTest, DeleteLandsOnTheNextRowAndOnTheLastSetsEof)
{
    lines.Delete();
    EXPECT_EQ(lines.FieldByName("code").AsString(), "B01");
    lines.Last();
    lines.Delete();
    EXPECT_TRUE(lines.Eof());
    EXPECT_EQ(lines.FieldByName("code").AsString(), "B01");
    lines.Delete();
    EXPECT_TRUE(lines.IsEmpty());
    EXPECT_THROW(lines.Delete(), DataSetError);
    EXPECT_EQ(lines.PendingDeleteCount(), 3);
}

// ---- cached updates -----------------------------------------------------------------------------

TEST_F(DataSetTest, AChangedKeyIsFoundByItsOldValue)
{
    lines.Next();
    EditField("itemno", 7);
    EditField("mnfqty", 3.0);  // a second edit of the same row keeps the key as read
    lines.UpdateBatch(db);
    ASSERT_EQ(db.committed.size(), 1u);
    const auto& update = db.committed[0];
    EXPECT_EQ(Verb(update), "update");
    EXPECT_EQ(update.Param("itemno").AsInteger(), 7);
    EXPECT_EQ(update.Param("old_itemno").AsInteger(), 2);
    EXPECT_EQ(update.Param("OLD_elemgid").AsInteger(), 202);
    EXPECT_DOUBLE_EQ(update.Param("mnfqty").AsFloat(), 3.0);
    EXPECT_EQ(db.transactionLog, (std::vector<std::string>{"begin 1", "commit 1"}));

    // Applied values are the originals of the next change.
    EXPECT_EQ(lines.FieldByName("itemno").OldValue().AsInteger(), 7);
    EditField("itemno", 8);
    lines.UpdateBatch(db);
    EXPECT_EQ(db.committed.back().Param("OLD_itemno").AsInteger(), 7);
}

TEST_F(DataSetTest, ChangesApplyDeletesThenUpdatesThenInsertsOnceEach)
{
    lines.Append();  // inserted then edited: one insert with the final values
    lines.FieldByName("itemno").SetValue(4);
    lines.Post();
    EditField("mnfqty", 8.0);
    lines.Append();  // inserted then deleted: nothing
    lines.FieldByName("itemno").SetValue(5);
    lines.Post();
    lines.Delete();
    lines.Insert();
    lines.FieldByName("itemno").SetValue(6);
    lines.Post();
    lines.First();
    EditField("mnfqty", 1.0);  // updated then deleted: one delete by the key as read
    EditField("itemno", 11);
    lines.Delete();
    EditField("mnfqty", 9.0);  // row B01
    lines.Next();
    EditField("mnfqty", 5.0);
    EditField("mnfqty", 4.0);  // A02 edited back to its value as read: nothing
    EXPECT_EQ(lines.PendingInsertCount(), 2);
    EXPECT_EQ(lines.PendingUpdateCount(), 1);
    EXPECT_EQ(lines.PendingDeleteCount(), 1);

    lines.UpdateBatch(db);
    ASSERT_EQ(db.committed.size(), 4u);
    EXPECT_EQ(Verb(db.committed[0]), "delete");
    EXPECT_EQ(db.committed[0].Param("OLD_itemno").AsInteger(), 1);
    EXPECT_EQ(Verb(db.committed[1]), "update");
    EXPECT_EQ(Verb(db.committed[2]), "insert");
    EXPECT_DOUBLE_EQ(db.committed[2].Param("mnfqty").AsFloat(), 8.0);
    EXPECT_EQ(db.committed[3].Param("itemno").AsInteger(), 6);  // inserted before the first, made after it
    EXPECT_FALSE(lines.UpdatesPending());
}

TEST_F(DataSetTest, AFailedBatchRollsBackKeepsEverythingPendingAndARetryAppliesOnce)
{
    EditField("itemno", 9);
    lines.Next();
    lines.Delete();
    lines.Append();
    lines.FieldByName("itemno").SetValue(4);
    lines.Post();
    db.failOnExecute = 2;  // the update, after the delete ran
    EXPECT_THROW(lines.UpdateBatch(db), DbError);
    EXPECT_EQ(db.TransactionDepth(), 0);
    EXPECT_TRUE(db.committed.empty());
    EXPECT_EQ(lines.PendingInsertCount(), 1);
    EXPECT_EQ(lines.PendingUpdateCount(), 1);
    EXPECT_EQ(lines.PendingDeleteCount(), 1);
    lines.First();
    EXPECT_EQ(lines.FieldByName("itemno").OldValue().AsInteger(), 1);

    db.failOnExecute = 0;
    lines.UpdateBatch(db);
    ASSERT_EQ(db.committed.size(), 3u);
    EXPECT_EQ(Verb(db.committed[0]), "delete");
    EXPECT_EQ(db.committed[0].Param("OLD_itemno").AsInteger(), 2);
    EXPECT_EQ(db.committed[1].Param("OLD_itemno").AsInteger(), 1);
    EXPECT_EQ(Verb(db.committed[2]), "insert");
    lines.UpdateBatch(db);
    EXPECT_EQ(db.committed.size(), 3u);
}

TEST_F(DataSetTest, WithoutUseTransTheCallersTransactionIsUsed)
{
    lines.SetUseTrans(false);
    db.BeginTran();
    EditField("mnfqty", 5.0);
    lines.UpdateBatch(db);
    EXPECT_EQ(db.transactionLog, (std::vector<std::string>{"begin 1"}));
    db.RollbackTran();
    EXPECT_TRUE(db.committed.empty());

    lines.SetUseTrans(true);
    db.BeginTran();
    EditField("mnfqty", 6.0);
    lines.UpdateBatch(db);  // a savepoint inside the outer transaction
    db.CommitTran();
    EXPECT_EQ(db.transactionLog.back(), "commit 1");
    EXPECT_EQ(db.transactionLog[db.transactionLog.size() - 2], "commit 2");
}

TEST_F(DataSetTest, SeveralSetsApplyInOneTransactionAndAFailureLeavesAllPending)
{
    DataSet process{"BomProcessSet"};
    process.SetSql("select * from L_GoodsBomProc");
    process.SetUpdateTable("L_GoodsBomProc", "goodsid;itemno", "goodsid;itemno;mnfqty");
    process.Open(db);
    EditField("mnfqty", 5.0);
    process.Edit();
    process.FieldByName("mnfqty").SetValue(6.0);
    process.Post();

    db.failOnExecute = 2;
    EXPECT_THROW(UpdateBatches(db, {&lines, &process}), DbError);
    EXPECT_TRUE(lines.UpdatesPending());
    EXPECT_TRUE(process.UpdatesPending());
    EXPECT_TRUE(db.committed.empty());

    db.failOnExecute = 0;
    UpdateBatches(db, {&lines, &process});
    ASSERT_EQ(db.committed.size(), 2u);
    EXPECT_EQ(db.committed[1].text, "update L_GoodsBomProc set goodsid = :goodsid, itemno = :itemno, mnfqty = :mnfqty"
                                    " where goodsid = :OLD_goodsid and itemno = :OLD_itemno");
    EXPECT_FALSE(lines.UpdatesPending() || process.UpdatesPending());
}

TEST_F(DataSetTest, BadStatementsFailBeforeAnythingRuns)
{
    EditField("mnfqty", 5.0);
    lines.Next();
    lines.Delete();
    lines.SetUpdateSql({.InsertSQL = "", .ModifySQL = "update t set x = :nosuch where id = :OLD_itemno", .DeleteSQL = ""});
    try {
        lines.UpdateBatch(db);
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find("DeleteSQL"), std::string::npos);
    }
    lines.SetUpdateSql({.InsertSQL = "", .ModifySQL = "update t set x = :nosuch where id = :OLD_itemno",
                        .DeleteSQL = "delete from t where id = :OLD_itemno"});
    try {
        lines.UpdateBatch(db);
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find(":nosuch"), std::string::npos);
    }
    EXPECT_TRUE(db.executed.empty());
    EXPECT_TRUE(db.transactionLog.empty());
}

TEST_F(DataSetTest, AnUpdateThatFindsNoRowIsAnErrorAndStaysPending)
{
    EditField("mnfqty", 5.0);
    db.rowsAffected = [](const FakeConnection::Statement&) { return 0; };
    try {
        lines.UpdateBatch(db);
        FAIL();
    } catch (const DataSetError& e) {
        EXPECT_NE(e.Statement().find("ModifySQL"), std::string::npos);
    }
    EXPECT_EQ(db.transactionLog.back(), "rollback 1");
    EXPECT_EQ(lines.PendingUpdateCount(), 1);
    lines.SetCheckRowsAffected(false);
    lines.UpdateBatch(db);
    EXPECT_FALSE(lines.UpdatesPending());
}

TEST_F(DataSetTest, CancelBatchRestoresTheRowsAsRead)
{
    EditField("code", "CHANGED");
    lines.Next();
    lines.Delete();
    lines.Append();
    lines.FieldByName("code").SetValue("NEW");
    lines.Post();
    lines.CancelBatch();
    EXPECT_FALSE(lines.UpdatesPending());
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A01", "B01", "A02"}));

    // After a successful apply, the applied state is what CancelBatch returns to.
    lines.Append();
    lines.FieldByName("code").SetValue("C");
    lines.Post();
    lines.UpdateBatch(db);
    lines.First();
    lines.Delete();
    lines.CancelBatch();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A01", "B01", "A02", "C"}));
}

// ---- filter, sort, locate, bookmarks ------------------------------------------------------------

TEST_F(DataSetTest, FilterLimitsTheCursorAndARowThatStopsMatchingLeavesOnPost)
{
    lines.SetFilter("code = 'A*'");
    lines.SetFiltered(true);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A01", "A02"}));
    lines.First();
    EditField("code", "X01");
    EXPECT_EQ(lines.RecordCount(), 1);
    EXPECT_EQ(lines.FieldByName("code").AsString(), "A02");
    EXPECT_THROW(lines.SetFilter("code = "), FilterError);
    EXPECT_THROW(lines.SetFilter("nosuch = 1"), FilterError);
    EXPECT_EQ(lines.Filter(), "code = 'A*'");

    lines.UpdateBatch(db);  // the row filtered out is applied all the same
    EXPECT_EQ(db.committed.size(), 1u);
    lines.SetFiltered(false);
    EXPECT_EQ(lines.RecordCount(), 3);
}

TEST_F(DataSetTest, SortIsStableWithNullsFirstAndKeepsTheCurrentRow)
{
    lines.Append();
    lines.FieldByName("code").SetValue(nullptr);
    lines.FieldByName("mnfqty").SetValue(2.0);
    lines.Post();
    lines.Locate("code", {"B01"});
    lines.SetIndexFieldNames("mnfqty");
    EXPECT_EQ(lines.FieldByName("code").AsString(), "B01");
    std::vector<std::string> byQty = Codes();
    EXPECT_EQ(byQty, (std::vector<std::string>{"B01", "A01", "", "A02"}));  // equal 2.0s in the order read

    lines.SetIndexFieldNames("code");
    EXPECT_EQ(Codes(), (std::vector<std::string>{"", "A01", "A02", "B01"}));
    lines.SetIndexFieldNames("mnfqty:D;code desc");
    EXPECT_EQ(Codes(), (std::vector<std::string>{"A02", "A01", "", "B01"}));

    lines.SetIndexFieldNames("code");
    lines.First();
    EditField("code", "Z");  // a posted row moves to its place
    EXPECT_EQ(lines.RecNo(), 4);
    EXPECT_THROW(lines.SetIndexFieldNames("nosuch"), DataSetError);
    EXPECT_THROW(lines.SetIndexFieldNames("code:X"), DataSetError);
}

TEST(DataSetSort, EqualKeysKeepTheirOrderBeyondSmallSets)
{
    DataSet set;
    set.AddField("kind", FieldType::Integer);
    set.AddField("seq", FieldType::Integer);
    set.CreateDataSet();
    for (int i = 0; i < 300; ++i) set.AppendRecord({(i * 7) % 3, i});
    set.SetIndexFieldNames("kind:D");
    std::int64_t lastKind = 3, lastSeq = -1;
    for (set.First(); !set.Eof(); set.Next()) {
        std::int64_t kind = set.FieldByName("kind").AsInteger(), seq = set.FieldByName("seq").AsInteger();
        ASSERT_LE(kind, lastKind);
        if (kind == lastKind) {
            ASSERT_GT(seq, lastSeq);
        }
        lastKind = kind;
        lastSeq = seq;
    }
}

TEST_F(DataSetTest, LocateMatchesSeveralFieldsCaseAndPrefix)
{
    EXPECT_TRUE(lines.Locate("goodsid;CODE", {100, "A02"}));
    EXPECT_EQ(lines.RecNo(), 3);
    EXPECT_FALSE(lines.Locate("code", {"a02"}));
    EXPECT_EQ(lines.RecNo(), 3);
    EXPECT_TRUE(lines.Locate("code", {"b"}, {.caseInsensitive = true, .partialKey = true}));
    EXPECT_EQ(lines.RecNo(), 2);
    EXPECT_TRUE(lines.Locate("itemno", {"1"}));  // text key converted to the integer field
    EXPECT_TRUE(lines.Locate("memo", {nullptr}));
    EXPECT_EQ(lines.Lookup("elemgid", {203}, "code").AsString(), "A02");
    EXPECT_THROW(lines.Locate("code;itemno", {"A01"}), DataSetError);
}

TEST_F(DataSetTest, BookmarksSurviveChangesAroundThemAndDieWithTheirRow)
{
    lines.Last();
    Bookmark last = lines.GetBookmark();
    lines.First();
    Bookmark first = lines.GetBookmark();
    lines.Insert();
    lines.FieldByName("code").SetValue("N");
    lines.Post();
    lines.Locate("code", {"B01"});
    lines.Delete();
    lines.GotoBookmark(last);
    EXPECT_EQ(lines.FieldByName("code").AsString(), "A02");
    lines.GotoBookmark(first);
    lines.Delete();
    EXPECT_FALSE(lines.BookmarkValid(first));
    EXPECT_THROW(lines.GotoBookmark(first), DataSetError);
    lines.CancelBatch();
    EXPECT_TRUE(lines.BookmarkValid(first));
    lines.SetFilter("code <> 'A02'");
    lines.SetFiltered(true);
    EXPECT_FALSE(lines.BookmarkValid(last));
    lines.Close();
    lines.Open(db);
    EXPECT_FALSE(lines.BookmarkValid(first));
}

// ---- in-memory sets, events, calculated fields, observers --------------------------------------

class Recorder : public DataSetObserver {
public:
    void RowsReset() override { log.push_back("reset"); }
    void RowChanged(int row) override { log.push_back("changed " + std::to_string(row)); }
    void RowInserted(int row) override { log.push_back("inserted " + std::to_string(row)); }
    void RowRemoved(int row) override { log.push_back("removed " + std::to_string(row)); }
    void CurrentRowChanged(int row) override { log.push_back("current " + std::to_string(row)); }
    std::vector<std::string> log;
};

DataSet& MakeSuggestions(DataSet& set)
{
    set.AddField("selected", FieldType::Integer);
    set.AddField("goodsid", FieldType::Integer);
    set.AddField("fixqty", FieldType::Float);
    set.AddField("price", FieldType::Float);
    set.AddCalcField("amount", FieldType::Float);
    set.OnCalcFields([](DataSet& d) {
        d.FieldByName("amount").SetValue(d.FieldByName("fixqty").AsFloat() * d.FieldByName("price").AsFloat());
    });
    set.CreateDataSet();
    set.AppendRecord({0, 11, 2.0, 3.0});
    set.AppendRecord({1, 12, 4.0, 0.5});
    return set;
}

TEST(DataSetEvents, EventsFireInTheHostsOrder)
{
    DataSet set{"cdsPurSug"};
    std::vector<std::string> log;
    set.OnNewRecord([&](DataSet& d) {
        log.push_back("new");
        d.FieldByName("selected").SetValue(0);
    });
    set.AfterScroll([&](DataSet&) { log.push_back("scroll"); });
    set.BeforePost([&](DataSet&) { log.push_back("beforepost"); });
    set.AfterPost([&](DataSet&) { log.push_back("afterpost"); });
    set.BeforeDelete([&](DataSet&) { log.push_back("beforedelete"); });
    set.AfterDelete([&](DataSet&) { log.push_back("afterdelete"); });
    set.OnFieldChange("goodsid", [&](Field& f) { log.push_back("goodsid " + f.AsString()); });
    set.OnFieldChange([&](Field& f) { log.push_back("any " + f.Name()); });
    MakeSuggestions(set);
    log.clear();

    set.Append();
    set.FieldByName("goodsid").SetValue(13);
    set.First();
    set.Next();
    set.Delete();
    EXPECT_EQ(log, (std::vector<std::string>{"new", "any selected", "scroll", "goodsid 13", "any goodsid",
                                             "beforepost", "afterpost", "scroll", "scroll", "beforedelete",
                                             "afterdelete", "scroll"}));
}

TEST(DataSetEvents, AFailingBeforePostKeepsTheEditAndTheRow)
{
    DataSet set;
    MakeSuggestions(set);
    set.BeforePost([](DataSet& d) {
        if (d.FieldByName("fixqty").AsFloat() <= 0) throw std::runtime_error("数量应大于零!");
    });
    set.First();
    set.Edit();
    set.FieldByName("fixqty").SetValue(0);
    EXPECT_THROW(set.Next(), std::runtime_error);
    EXPECT_EQ(set.State(), DataSetState::Edit);
    EXPECT_EQ(set.RecNo(), 1);
    set.Cancel();
    EXPECT_DOUBLE_EQ(set.FieldByName("fixqty").AsFloat(), 2.0);
}

TEST(DataSetEvents, FieldChangeRulesAndCalculatedFieldsFollowEachSet)
{
    DataSet set;
    MakeSuggestions(set);
    // The editing rule of a selection list: ticking a row fills its quantity, unticking clears it.
    set.OnFieldChange("selected", [](Field& f) {
        if (f.AsInteger() == 1)
            f.Owner().FieldByName("fixqty").SetValue(10);
        else
            f.Owner().FieldByName("fixqty").Clear();
    });
    set.First();
    EXPECT_DOUBLE_EQ(set.FieldByName("amount").AsFloat(), 6.0);
    set.Edit();
    set.FieldByName("selected").SetValue(1);
    EXPECT_DOUBLE_EQ(set.FieldByName("amount").AsFloat(), 30.0);
    set.Post();
    set.SetFilter("amount >= 30");
    set.SetFiltered(true);
    EXPECT_EQ(set.RecordCount(), 1);
    EXPECT_THROW(set.FieldByName("amount").SetValue(1), DataSetError);
    EXPECT_TRUE(set.UpdateStatus() == RowUpdateStatus::Inserted);
}

TEST(DataSetEvents, ObserversHearRowChangesAndOneResetAfterDisabledControls)
{
    DataSet set;
    MakeSuggestions(set);
    Recorder recorder;
    set.AddObserver(&recorder);
    set.First();
    set.Append();
    set.FieldByName("goodsid").SetValue(5);
    set.Post();
    set.First();
    set.Delete();
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"current 0", "inserted 2", "current 2", "changed 2",
                                                      "current 0", "removed 0", "current 0"}));
    recorder.log.clear();

    set.DisableControls();
    set.DisableControls();
    for (set.First(); !set.Eof(); set.Next()) {
        set.Edit();
        set.FieldByName("selected").SetValue(1);
    }
    set.EnableControls();
    EXPECT_TRUE(set.ControlsDisabled());
    EXPECT_TRUE(recorder.log.empty());
    set.EnableControls();
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"reset"}));
    set.RemoveObserver(&recorder);
}

TEST(DataSetEvents, ALargeSetOpensSortsAndFiltersWhole)
{
    FakeConnection db;
    db.nextResult.columns = {{"goodsid", FieldType::Integer}, {"code", FieldType::Text}, {"qty", FieldType::Float}};
    const int rows = 100000;
    db.nextResult.rows.reserve(rows);
    for (int i = 0; i < rows; ++i) db.nextResult.rows.push_back({i, fmt::format("G{:06}", (i * 7919) % rows), i % 10});
    DataSet set;
    set.SetSql("select goodsid, code, qty from L_Goods");
    set.Open(db);
    EXPECT_EQ(set.RecordCount(), rows);
    set.SetIndexFieldNames("code:D");
    set.SetFilter("qty = 3 and code >= 'G05'");
    set.SetFiltered(true);
    EXPECT_EQ(set.RecordCount(), 5000);
    set.First();
    EXPECT_EQ(set.FieldByName("code").AsString(), "G099997");
}

}  // namespace
}  // namespace mfg
