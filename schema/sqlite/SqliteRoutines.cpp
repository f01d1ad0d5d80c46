#include "sqlite/SqliteRoutines.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include <fmt/format.h>

#include "db/SqliteConnection.h"
#include "types/LevelWalk.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

//! The first primary-key column of a table, or its first column when it has no key.
std::string KeyColumn(SqliteConnection& db, const std::string& table)
{
    auto info = db.QueryNative("select name, pk from pragma_table_info(:t) order by case when pk = 0 then 99 else pk end, cid",
                               {{"t", table}});
    if (info.rows.empty()) return {};
    return info.rows.front()[0].AsString();
}

//! AG_GETNEWKEY 'TABLE', @key output: the next key of a table. It never hands out a key that a
//! row already holds, also when rows were written by hand around the key table.
ResultSet GetNewKey(SqliteConnection& db, std::vector<Variant>& args)
{
    if (args.empty() || args[0].IsNull()) throw DbError("AG_GETNEWKEY 缺少表名", "exec AG_GETNEWKEY");
    std::string table = ToUpperAscii(Trim(args[0].AsString()));
    TransactionGuard transaction(db);
    std::int64_t last = db.QueryNative("select LastKey from AG_KEYS where TableName = :t", {{"t", table}}).FirstValue().AsInteger();
    // No key column means no such table: the key table alone decides.
    if (std::string key = KeyColumn(db, table); !key.empty()) {
        auto max = db.QueryNative(fmt::format("select max(\"{}\") from \"{}\"", key, table)).FirstValue();
        if (!max.IsNull()) last = std::max(last, max.AsInteger());
    }
    std::int64_t next = last + 1;
    db.QueryNative("insert into AG_KEYS (TableName, LastKey) values (:t, :k) "
                   "on conflict(TableName) do update set LastKey = excluded.LastKey",
                   {{"t", table}, {"k", next}});
    transaction.Commit();
    if (args.size() > 1) args[1] = next;
    return {};
}

//! The ids of a goods scope text such as "12,34,56" (the quotes of the EXEC argument already gone).
std::vector<std::int64_t> ScopeIds(const Variant& scope)
{
    std::vector<std::int64_t> ids;
    for (const auto& part : Split(scope.AsString(), ',')) {
        auto text = Trim(part);
        if (text.empty()) continue;
        ids.push_back(Variant(std::string(text)).AsInteger());
    }
    return ids;
}

//! getmrpgoodsid 'ids': a (goods, NULL) row for each scope goods, so that a demanded goods without
//! a BOM of its own is planned with its stock too; the (parent, component) links of the audited BOM
//! reachable from the scope goods; and (parent, substitute) pairs so that substitutes and their own
//! BOMs are planned too.
ResultSet MrpGoodsScope(SqliteConnection& db, std::vector<Variant>& args)
{
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> children;
    for (const auto& row : db.QueryNative("select GoodsID, ElemGID from L_GoodsBom where State = 1").rows)
        children[row[0].AsInteger()].push_back(row[1].AsInteger());
    std::map<std::pair<std::int64_t, std::int64_t>, std::vector<std::int64_t>> substitutes;
    for (const auto& row : db.QueryNative("select GoodsID, ElemgID, SubGoodsID from L_GoodsBomsub").rows)
        substitutes[{row[0].AsInteger(), row[1].AsInteger()}].push_back(row[2].AsInteger());

    ResultSet result;
    result.columns = {{"goodsid", FieldType::Integer}, {"elemgid", FieldType::Integer}};
    std::unordered_set<std::int64_t> visited;
    std::vector<std::int64_t> pending = ScopeIds(args.empty() ? Variant() : args[0]);
    for (auto goods : std::set<std::int64_t>(pending.begin(), pending.end())) result.rows.push_back({goods, Variant()});
    // A goods' pairs are all made when it is first reached, so a pair twice (a BOM line twice, a
    // substitute that is a component too) can only be among the pairs of one parent.
    std::vector<std::int64_t> reached;
    while (!pending.empty()) {
        std::int64_t goods = pending.back();
        pending.pop_back();
        if (!visited.insert(goods).second) continue;
        auto it = children.find(goods);
        if (it == children.end()) continue;
        reached.clear();
        for (auto child : it->second) {
            reached.push_back(child);
            if (auto sub = substitutes.find({goods, child}); sub != substitutes.end())
                reached.insert(reached.end(), sub->second.begin(), sub->second.end());
        }
        std::sort(reached.begin(), reached.end());
        reached.erase(std::unique(reached.begin(), reached.end()), reached.end());
        for (auto child : reached) {
            result.rows.push_back({goods, child});
            pending.push_back(child);
        }
    }
    return result;
}

//! getmanuorderqty(date, shop, unaudited): component quantity still to be drawn by the open
//! manufacture orders of a shop, per goods; the stock the MRP must not count as free.
ResultSet ManuOrderQty(SqliteConnection& db, const std::vector<Variant>& args)
{
    if (args.size() != 3) throw DbError("getmanuorderqty 需要 3 个参数", "getmanuorderqty");
    std::string state = args[2].AsInteger() != 0 ? "m.BillState <> 2" : "m.BillState = 1";
    return db.QueryNative("select d.GoodsID as goodsid, sum(d.Quantity - d.ReferQty) as manuorderqty "
                          "from MNF_MANUORDER m join MNF_MANUORDERDETAIL d on m.BillID = d.BillID "
                          "where m.Closed = 0 and m.ShopID = :shop and m.FinishedQty < m.Quantity and " + state +
                              " and d.Quantity > d.ReferQty and (m.PlanDate is null or m.PlanDate >= :date - 366) "
                              "group by d.GoodsID",
                          {{"shop", args[1]}, {"date", args[0].IsNull() ? Variant() : Variant(args[0].AsFloat())}});
}

//! getduecharge(shop) and getduepay(shop): open receivables or payables by due date.
SqliteConnection::TableFunction DueAmounts(const std::string& table)
{
    return [table](SqliteConnection& db, const std::vector<Variant>& args) {
        if (args.size() != 1) throw DbError(fmt::format("{} 需要 1 个参数", table), table);
        // Money keeps whole amounts as integers here: a real for every row, as the server's double
        // precision, so that a first whole amount does not make the column an integer one.
        return db.QueryNative(fmt::format("select PayDate as paydate, cast(Amount - PaidAmt as real) as amount from {} "
                                          "where ShopID = :shop and Closed = 0 and Amount <> PaidAmt order by PayDate",
                                          table),
                              {{"shop", args[0]}});
    };
}

//! sp_getapplock 'name', 'Exclusive': a transaction here holds the file's write lock from its start
//! (begin immediate), which is every named lock at once; outside one there is nothing to hold.
ResultSet AppLock(SqliteConnection& db, std::vector<Variant>& args)
{
    if (args.size() != 2 || args[1].AsString() != "Exclusive")
        throw DbError("sp_getapplock 需要锁名和 'Exclusive'", "exec sp_getapplock");
    if (db.TransactionDepth() == 0)
        throw DbError(fmt::format("锁 {} 只能在事务中持有", args[0].AsString()), "exec sp_getapplock");
    return {};
}

//! up_ab_billprint_insert billtype, billid, 'code', 'date', opid, shopid: the print record of a new bill.
ResultSet BillPrintInsert(SqliteConnection& db, std::vector<Variant>& args)
{
    if (args.size() != 6) throw DbError("up_ab_billprint_insert 需要 6 个参数", "exec up_ab_billprint_insert");
    db.QueryNative("insert into AB_BILLPRINT (BillType, BillID, BillCode, BillDate, OPID, ShopID, CreateTime) "
                   "values (:type, :id, :code, :date, :op, :shop, :now) on conflict(BillType, BillID) do update set "
                   "BillCode = excluded.BillCode, BillDate = excluded.BillDate, OPID = excluded.OPID, ShopID = excluded.ShopID",
                   {{"type", args[0]}, {"id", args[1]}, {"code", args[2]}, {"date", args[3].AsDateTime()},
                    {"op", args[4]}, {"shop", args[5]}, {"now", db.ServerTime()}});
    return {};
}

//! getbomlastgoodsid(product): the product's BOM tree in one pass per goods. Every sub-assembly
//! reached comes once with flag 0 and the quantity needed for one product; every leaf material
//! once with flag 1, its quantity and its quantity-weighted waste rate. A sub-assembly's own waste
//! raises what its lines need; a leaf's waste stays in WasteRate for the caller to apply. `level`
//! is the goods' low-level code below the product.
ResultSet BomLastGoods(SqliteConnection& db, const std::vector<Variant>& args)
{
    if (args.size() != 1) throw DbError("getbomlastgoodsid 需要 1 个参数", "getbomlastgoodsid");
    struct Line {
        std::int64_t elem;
        double quantity;
        double wasteRate;
    };
    std::int64_t product = args[0].AsInteger();
    // Only the lines below the product: a level at a time through the key of L_GoodsBom.
    std::unordered_map<std::int64_t, std::vector<Line>> lines;
    WalkLevels({product}, [&](const std::string& ids, const auto& reached) {
        for (const auto& row : db.QueryNative("select GoodsID, ElemGID, Quantity, WasteRate from L_GoodsBom where GoodsID in (" +
                                              ids + ") order by GoodsID, ItemNo")
                                   .rows) {
            lines[row[0].AsInteger()].push_back({row[1].AsInteger(), row[2].AsFloat(), row[3].AsFloat()});
            reached(row[1].AsInteger());
        }
    });

    // Parents before their components: reverse post-order of a depth-first walk. A line that leads
    // back into the path is a cycle and is not followed.
    std::vector<std::int64_t> order;
    std::unordered_map<std::int64_t, int> state;  // 1 on the path, 2 done
    std::vector<std::pair<std::int64_t, size_t>> stack{{product, 0}};
    state[product] = 1;
    while (!stack.empty()) {
        auto& [goods, next] = stack.back();
        auto it = lines.find(goods);
        if (it != lines.end() && next < it->second.size()) {
            std::int64_t elem = it->second[next++].elem;
            if (lines.count(elem) && state[elem] == 0) {
                state[elem] = 1;
                stack.push_back({elem, 0});
            }
            continue;
        }
        state[goods] = 2;
        order.push_back(goods);
        stack.pop_back();
    }
    std::reverse(order.begin(), order.end());
    std::unordered_map<std::int64_t, size_t> rank;
    for (size_t i = 0; i < order.size(); ++i) rank[order[i]] = i;

    struct Need {
        double quantity = 0;
        double wasteQuantity = 0;
        int level = 0;
    };
    std::map<std::int64_t, Need> assemblies;
    std::map<std::int64_t, Need> leaves;
    assemblies[product].quantity = 1;
    for (auto goods : order) {
        const Need parent = assemblies[goods];
        auto own = lines.find(goods);
        if (own == lines.end()) continue;
        for (const auto& line : own->second) {
            double quantity = parent.quantity * line.quantity;
            bool leaf = !lines.count(line.elem);
            if (!leaf && rank[line.elem] <= rank[goods]) continue;  // a line back up the tree
            Need& need = leaf ? leaves[line.elem] : assemblies[line.elem];
            need.level = std::max(need.level, parent.level + 1);
            if (leaf) {
                need.quantity += quantity;
                need.wasteQuantity += quantity * line.wasteRate / 100;
            } else {
                need.quantity += quantity * (1 + line.wasteRate / 100);
            }
        }
    }

    ResultSet result;
    result.columns = {{"goodsid", FieldType::Integer}, {"elemgid", FieldType::Integer}, {"Quantity", FieldType::Float},
                      {"WasteRate", FieldType::Float}, {"flag", FieldType::Integer}, {"level", FieldType::Integer}};
    for (const auto& [goods, need] : assemblies)
        if (goods != product) result.rows.push_back({product, goods, need.quantity, 0.0, 0, need.level});
    for (const auto& [goods, need] : leaves) {
        double wasteRate = need.quantity != 0 ? need.wasteQuantity / need.quantity * 100 : 0.0;
        result.rows.push_back({product, goods, need.quantity, wasteRate, 1, need.level});
    }
    return result;
}

}  // namespace

void InstallSqliteTriggers(SqliteConnection& db)
{
    // A line is free again only when no schedule line refers to it any more.
    const char* const release =
        "update S_OrderDetail set MPSREFERED = 0 where BillID = old.ReferBillID and ItemNo = "
        "old.ReferItemNo and not exists (select 1 from MNF_ManuPlan p where p.ReferBillID = "
        "old.ReferBillID and p.ReferItemNo = old.ReferItemNo);";
    const char* const take =
        "update S_OrderDetail set MPSREFERED = 1 where BillID = new.ReferBillID and ItemNo = "
        "new.ReferItemNo;";
    db.ExecuteNative(fmt::format(
        "create trigger TR_MNF_ManuPlan_ReferInsert after insert on MNF_ManuPlan when new.ReferBillID is not null "
        "begin {1} end;\n"
        "create trigger TR_MNF_ManuPlan_ReferDelete after delete on MNF_ManuPlan when old.ReferBillID is not null "
        "begin {0} end;\n"
        "create trigger TR_MNF_ManuPlan_ReferUpdate after update of ReferBillID, ReferItemNo on MNF_ManuPlan "
        "begin {0} {1} end;",
        release, take));
}

//! MNF_HOLDBOM parent: holds a BOM parent until the caller's transaction ends. A transaction here
//! holds the database's write lock from its start, so being inside one is the hold.
ResultSet HoldBom(SqliteConnection& db, std::vector<Variant>&)
{
    if (db.TransactionDepth() == 0) throw DbError("MNF_HOLDBOM 只能在事务中调用", "exec MNF_HOLDBOM");
    return {};
}

Variant CodeToSerialNo(const Variant& code, const Variant& width)
{
    if (code.IsNull() || width.IsNull()) return {};
    std::string text(Trim(code.AsString()));
    auto w = static_cast<size_t>(std::clamp<std::int64_t>(width.AsInteger(), 0, 15));
    if (w == 0 || text.size() < w) return {};
    auto tail = std::string_view(text).substr(text.size() - w);
    if (!std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; })) return {};
    return static_cast<std::int64_t>(std::stoll(std::string(tail)));
}

void RegisterSqliteRoutines(SqliteConnection& db)
{
    db.RegisterScalar("fn_codetoserialno", 2,
                      [](const std::vector<Variant>& a) { return CodeToSerialNo(a[0], a[1]); });
    db.RegisterProcedure("ag_getnewkey", GetNewKey);
    db.RegisterProcedure("getmrpgoodsid", MrpGoodsScope);
    db.RegisterProcedure("up_ab_billprint_insert", BillPrintInsert);
    db.RegisterProcedure("sp_getapplock", AppLock);
    db.RegisterProcedure("mnf_holdbom", HoldBom);
    db.RegisterTableFunction("getmanuorderqty", ManuOrderQty);
    db.RegisterTableFunction("getduecharge", DueAmounts("ac_duecharge"));
    db.RegisterTableFunction("getduepay", DueAmounts("ac_duepay"));
    db.RegisterTableFunction("getbomlastgoodsid", BomLastGoods);
    db.RegisterScalar("getaccountbalance", 1, [&db](const std::vector<Variant>& a) {
        return db.QueryNative("select Balance from ac_account where AccountID = :id", {{"id", a[0]}}).FirstValue();
    });
}

}  // namespace mfg
