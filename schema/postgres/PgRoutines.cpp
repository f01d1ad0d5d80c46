#include "postgres/PgRoutines.h"

#include <functional>

#include <fmt/format.h>

#include "EmbeddedSql.h"
#include "db/PgConnection.h"
#include "types/TextUtil.h"

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

void InstallPgReaderRole(PgConnection& db, std::string_view role, std::span<const std::string_view> hidden)
{
    std::string hiddenList;
    for (auto column : hidden) hiddenList += fmt::format("{}'{}'", hiddenList.empty() ? "" : ", ", ToLowerAscii(column));
    // Each step in a block of its own: roles and the shared dbo schema belong to the whole server,
    // and installers side by side may both create or grant them (the loser's failure changes nothing).
    db.ExecuteNative(fmt::format("do $$ begin create role {0} nologin; exception when others then null; end $$", role));
    db.ExecuteNative(fmt::format("do $$ begin grant usage on schema dbo to {0}; exception when others then null; end $$", role));
    db.ExecuteNative(fmt::format(
        "do $$ declare shown text; begin "
        "execute format('grant usage on schema %I to {0}', current_schema()); "
        "execute format('grant select on all tables in schema %I to {0}', current_schema()); "
        "revoke select on m_operator from {0}; "
        "select string_agg(quote_ident(column_name), ', ') into shown from information_schema.columns "
        "where table_schema = current_schema() and table_name = 'm_operator' and lower(column_name) not in ({1}); "
        "execute format('grant select (%s) on m_operator to {0}', shown); "
        "if not pg_has_role(session_user, '{0}', 'MEMBER') then execute format('grant {0} to %I', session_user); end if; "
        "exception when others then null; end $$",
        role, hiddenList));
}

}  // namespace mfg
