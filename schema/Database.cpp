#include "Database.h"

#include <filesystem>
#include <mutex>

#include <fmt/format.h>

#include "EmbeddedSql.h"
#include "db/PgConnection.h"
#include "db/SqliteConnection.h"
#include "postgres/PgRoutines.h"
#include "sqlite/SqliteRoutines.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

void RunFiles(Connection& db, const std::vector<EmbeddedSql>& files, const LoadProgress& progress)
{
    TransactionGuard transaction(db);
    size_t done = 0;
    for (const auto& file : files) {
        if (progress) progress(file.name, done, files.size());
        for (auto batch : SplitBatches(file.text)) {
            try {
                db.Execute(batch);
            } catch (const DbError& e) {
                throw DbError(fmt::format("{}: {}", file.name, e.what()), e.Statement());
            }
        }
        ++done;
    }
    transaction.Commit();
    if (progress) progress("", done, files.size());
}

}  // namespace

std::unique_ptr<Connection> OpenDatabase(const std::string& url)
{
    auto db = OpenConnection(url);
    if (auto* sqlite = dynamic_cast<SqliteConnection*>(db.get())) RegisterSqliteRoutines(*sqlite);
    if (auto* server = dynamic_cast<PgConnection*>(db.get())) {
        static std::once_flag learned;
        std::call_once(learned, [] {
            for (const auto& file : TableSql()) PgConnection::LearnSpellings(file.text);
        });
        InstallPgRoutines(*server);
    }
    return db;
}

std::unique_ptr<Connection> OpenExistingDatabase(const std::string& url)
{
    if (!StartsWithNoCase(url, "postgresql://") && !StartsWithNoCase(url, "postgres://")) {
        std::string path = StartsWithNoCase(url, "sqlite:") ? url.substr(7) : url;
        if (!Trim(path).empty() && path != ":memory:" && !std::filesystem::exists(path))
            throw DbError(fmt::format("数据库文件不存在: {} (新建数据库请用 mfg init)", path), "");
    }
    return OpenDatabase(url);
}

std::vector<std::string_view> SplitBatches(std::string_view text)
{
    std::vector<std::string_view> batches;
    size_t start = 0, pos = 0;
    auto flush = [&](size_t end) {
        auto batch = text.substr(start, end - start);
        // A batch of comments only has nothing to run.
        bool hasCode = false;
        for (auto line : Split(batch, '\n')) {
            auto trimmed = Trim(line);
            if (!trimmed.empty() && !trimmed.starts_with("--")) hasCode = true;
        }
        if (hasCode) batches.push_back(batch);
    };
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        if (EqualsNoCase(Trim(text.substr(pos, end - pos)), "go")) {
            flush(pos);
            start = end + 1;
        }
        pos = end + 1;
    }
    if (start < text.size()) flush(text.size());
    return batches;
}

void InstallSchema(Connection& db, const LoadProgress& progress)
{
    TransactionGuard transaction(db);
    RunFiles(db, TableSql(), progress);
    if (auto* sqlite = dynamic_cast<SqliteConnection*>(&db)) InstallSqliteTriggers(*sqlite);
    if (auto* server = dynamic_cast<PgConnection*>(&db)) {
        InstallPgTriggers(*server);
        InstallPgReaderRole(*server, PgReaderRole, SecretOperatorColumns);
    }
    transaction.Commit();
}

void LoadDemoFactory(Connection& db, const LoadProgress& progress) { RunFiles(db, DemoSql(), progress); }

bool IsEmptyDatabase(Connection& db) { return db.TableNames().empty(); }

void DropAllTables(Connection& db)
{
    TransactionGuard transaction(db);
    for (const auto& table : db.TableNames()) db.ExecuteNative(fmt::format("drop table \"{}\"", table));
    transaction.Commit();
}

}  // namespace mfg
