#include "TestDatabase.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>

#include <fmt/format.h>

#include "Database.h"
#include "EmbeddedSql.h"
#include "db/PgConnection.h"

namespace mfg::test {
namespace {

//! The folder of this process's databases, removed when the process ends: a run of a thousand
//! tests would otherwise leave a thousand copies behind.
class ProcessFolder {
public:
    ProcessFolder() : path(std::filesystem::temp_directory_path() / ("mfg-test-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~ProcessFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::filesystem::path path;
};

std::filesystem::path TempFolder()
{
    static const ProcessFolder folder;
    return folder.path;
}

// --- PostgreSQL: one server for the run, a schema per test ---------------------------------------

std::string ServerUrl()
{
    const char* url = std::getenv("MFG_PG_URL");
    if (!url || !*url)
        throw DbError("MFG_PG_URL is not set: run the tests through scripts/test, which starts a PostgreSQL server", "");
    return url;
}

std::string WithSchema(const std::string& schema)
{
    std::string url = ServerUrl();
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "schema=" + schema;
}

//! Names the masters after what they hold, so that a server kept between runs never serves stale ones.
std::string SchemaVersion()
{
    std::string text;
    for (const auto* files : {&TableSql(), &DemoSql(), &PgRoutineSql()})
        for (const auto& file : *files) text += file.text;
    return fmt::format("{:016x}", std::hash<std::string>{}(text));
}

//! The schema "master_<kind>_<version>", built by the first test program that needs it while the
//! others wait for it.
std::string MasterSchema(bool withDemo)
{
    std::string master = fmt::format("master_{}_{}", withDemo ? "demo" : "empty", SchemaVersion());
    auto admin = OpenConnection(ServerUrl());
    auto& server = dynamic_cast<PgConnection&>(*admin);
    server.QueryNative("select pg_advisory_lock(7302)");
    auto complete = server.QueryNative("select obj_description(n.oid, 'pg_namespace') from pg_namespace n where n.nspname = $1",
                                       {master});
    if (complete.FirstValue().AsString() != "complete") {
        server.ExecuteNative(fmt::format("drop schema if exists {} cascade", master));
        auto db = OpenDatabase(WithSchema(master));
        db->SetClock(TestToday);
        InstallSchema(*db);
        if (withDemo) LoadDemoFactory(*db);
        server.ExecuteNative(fmt::format("comment on schema {} is 'complete'", master));
    }
    server.QueryNative("select pg_advisory_unlock(7302)");
    return master;
}

std::string FreshSchema()
{
    static std::atomic<int> counter{0};
    return fmt::format("t_{}_{}", ::getpid(), ++counter);
}

//! A new schema holding a copy of every table of the master, rows, indexes and triggers included
//! (the triggers after the rows, which they have already seen).
std::string CopyOfMaster(bool withDemo)
{
    static std::once_flag built[2];
    static std::string masters[2];
    std::call_once(built[withDemo], [withDemo] { masters[withDemo] = MasterSchema(withDemo); });
    const std::string& master = masters[withDemo];
    std::string copy = FreshSchema();
    auto admin = OpenConnection(ServerUrl());
    admin->ExecuteNative(fmt::format(
        "drop schema if exists {1} cascade; create schema {1}; "
        "do $$ declare t record; begin "
        "for t in select c.relname from pg_class c where c.relnamespace = '{0}'::regnamespace and c.relkind = 'r' loop "
        "execute format('create table {1}.%I (like {0}.%I including all)', t.relname, t.relname); "
        "execute format('insert into {1}.%I select * from {0}.%I', t.relname, t.relname); "
        "end loop; "
        "for t in select replace(pg_get_triggerdef(g.oid), ' ON {0}.', ' ON {1}.') as definition from pg_trigger g "
        "join pg_class c on c.oid = g.tgrelid where c.relnamespace = '{0}'::regnamespace and not g.tgisinternal loop "
        "execute t.definition; "
        "end loop; end $$",
        master, copy));
    return WithSchema(copy);
}

// --- SQLite: a file per test, copied from a template built once per test program --------------

//! What a template was built by: ctest runs every test in a process of its own, so a template made
//! once per process would be made once per test. The test program's own file names the build, since
//! the code that installs the schema is linked into it: "<program>-<its path>-<its size and time>",
//! so that two checkouts built side by side keep templates of their own.
struct ProgramStamp {
    std::string program;
    std::string build;
};

ProgramStamp StampOfThisProgram()
{
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {fmt::format("pid{}", ::getpid()), "0"};
    auto size = std::filesystem::file_size(program, error);
    auto time = std::filesystem::last_write_time(program, error).time_since_epoch().count();
    auto hash = [](const std::string& text) { return fmt::format("{:016x}", std::hash<std::string>{}(text)); };
    return {program.filename().string() + "-" + hash(program.string()),
            hash(fmt::format("{}|{}|{}", size, time, SchemaVersion()))};
}

//! An exclusive lock on a file, held for the scope: the first process of a program builds the
//! template while the others wait for it.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path) : fd(::open(path.c_str(), O_CREAT | O_RDWR, 0600))
    {
        if (fd >= 0) ::flock(fd, LOCK_EX);
    }
    ~FileLock()
    {
        if (fd >= 0) ::close(fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd;
};

//! Templates of earlier builds of this program are of no further use.
void RemoveStaleTemplates(const std::filesystem::path& folder, const ProgramStamp& stamp)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with(stamp.program + "-") && !name.starts_with(stamp.program + "-" + stamp.build))
            std::filesystem::remove(entry.path(), error);
    }
}

std::filesystem::path SqliteTemplate(bool withDemo)
{
    auto folder = std::filesystem::temp_directory_path() / "mfg-test-templates";
    std::filesystem::create_directories(folder);
    auto stamp = StampOfThisProgram();
    std::string name = stamp.program + "-" + stamp.build;
    auto path = folder / fmt::format("{}-{}.db", name, withDemo ? "demo" : "empty");
    if (std::filesystem::exists(path)) return path;
    FileLock lock(folder / (name + ".lock"));
    if (std::filesystem::exists(path)) return path;
    RemoveStaleTemplates(folder, stamp);
    auto building = TempFolder() / path.filename();
    {
        auto db = OpenDatabase(building.string());
        db->SetClock(TestToday);
        InstallSchema(*db);
        if (withDemo) LoadDemoFactory(*db);
        db->ExecuteNative("pragma wal_checkpoint(truncate)");
    }
    // Copied beside and renamed into place, so that no process ever copies half a template.
    auto part = folder / (path.filename().string() + ".part");
    std::filesystem::copy_file(building, part, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::rename(part, path);
    return path;
}

std::string CopyOfSqliteTemplate(const std::string& name, bool withDemo)
{
    auto copy = std::filesystem::path(FreshDatabaseUrl(name));
    std::filesystem::copy_file(SqliteTemplate(withDemo), copy);
    return copy.string();
}

}  // namespace

DateTime TestToday() { return DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0); }

std::string TestBackend()
{
    const char* backend = std::getenv("MFG_TEST_DB");
    return backend && std::string(backend) == "postgresql" ? "postgresql" : "sqlite";
}

bool OnPostgres() { return TestBackend() == "postgresql"; }

std::unique_ptr<Connection> OpenTestDatabase(bool withDemo)
{
    static std::atomic<int> counter{0};
    auto db = OpenDatabase(OnPostgres() ? CopyOfMaster(withDemo)
                                        : CopyOfSqliteTemplate(fmt::format("test-{}", ++counter), withDemo));
    db->SetClock(TestToday);
    return db;
}

std::string CopyOfDemoDatabase(const std::string& name)
{
    return OnPostgres() ? CopyOfMaster(true) : CopyOfSqliteTemplate(name, true);
}

void RefuseWrites(Connection& db, std::string_view table, std::string_view event, std::string_view condition,
                  std::string_view message)
{
    if (db.BackendName() == "sqlite") {
        std::string when = condition.empty() ? "" : fmt::format(" when {}", condition);
        db.ExecuteNative(fmt::format("create trigger refuse_writes before {} on {}{} begin select raise(abort, '{}'); end",
                                     event, table, when, message));
        return;
    }
    db.ExecuteNative(fmt::format(
        "create or replace function refuse_writes() returns trigger language plpgsql as $$ begin raise exception '{}'; end $$",
        message));
    std::string when = condition.empty() ? "" : fmt::format(" when ({})", condition);
    db.ExecuteNative(fmt::format("create trigger refuse_writes before {} on {} for each row{} execute function refuse_writes()",
                                 event, table, when));
}

std::string FreshDatabaseUrl(const std::string& name)
{
    if (OnPostgres()) {
        std::string schema = FreshSchema();
        OpenConnection(ServerUrl())->ExecuteNative(fmt::format("drop schema if exists {} cascade", schema));
        return WithSchema(schema);
    }
    auto path = TempFolder() / (name + ".db");
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
    return path.string();
}

}  // namespace mfg::test
