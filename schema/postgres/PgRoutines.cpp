#include "postgres/PgRoutines.h"

#include <functional>

#include <fmt/format.h>

#include "EmbeddedSql.h"
#include "db/PgConnection.h"

namespace mfg {
namespace {

std::string RoutinesVersion()
{
    std::string text;
    for (const auto& file : PgRoutineSql()) text += file.text;
    return fmt::format("{:016x}", std::hash<std::string>{}(text));
}

bool HasVersion(PgConnection& db, const std::string& version)
{
    auto rows = db.QueryNative("select obj_description('dbo'::regnamespace, 'pg_namespace')");
    return rows.FirstValue().AsString() == version;
}

}  // namespace

void InstallPgRoutines(PgConnection& db)
{
    const std::string version = RoutinesVersion();
    if (HasVersion(db, version)) return;
    TransactionGuard transaction(db);
    // One installer at a time: replacing a function that another session replaces fails.
    db.QueryNative("select pg_advisory_xact_lock(7301)");
    if (!HasVersion(db, version)) {
        // Bodies name the tables of whichever schema the session uses, which may not exist yet.
        db.ExecuteNative("set local check_function_bodies = off");
        for (const auto& file : PgRoutineSql()) db.ExecuteNative(file.text);
        db.ExecuteNative(fmt::format("comment on schema dbo is '{}'", version));
    }
    transaction.Commit();
    db.LoadRoutines();
}

void InstallPgTriggers(PgConnection& db)
{
    db.ExecuteNative(
        "create trigger mnf_manuplan_refer after insert or delete or update of referbillid, referitemno "
        "on mnf_manuplan for each row execute function dbo.mnf_manuplan_refer()");
}

}  // namespace mfg
