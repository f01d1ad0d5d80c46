#include "sqlite/SqliteRoutines.h"

#include <algorithm>

#include <fmt/format.h>

#include "db/SqliteConnection.h"
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
    if (db.TableExists(table)) {
        std::string key = KeyColumn(db, table);
        if (!key.empty()) {
            auto max = db.QueryNative(fmt::format("select max(\"{}\") from \"{}\"", key, table)).FirstValue();
            if (!max.IsNull()) last = std::max(last, max.AsInteger());
        }
    }
    std::int64_t next = last + 1;
    db.QueryNative("insert into AG_KEYS (TableName, LastKey) values (:t, :k) "
                   "on conflict(TableName) do update set LastKey = excluded.LastKey",
                   {{"t", table}, {"k", next}});
    transaction.Commit();
    if (args.size() > 1) args[1] = next;
    return {};
}

}  // namespace

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
}

}  // namespace mfg
