#include "host/Host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "host/ConsoleDialogs.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

// One per thread: a server or a test may run the sessions of several users side by side.
thread_local Host* currentHost = nullptr;

// The module appends file names to the directories, so they carry their separator.
std::string FolderText(const std::filesystem::path& folder)
{
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

//! The user's own folder for settings and report templates: made with mode 0700, and refused when
//! it is a link or belongs to another user, who could then swap the files in it.
const std::filesystem::path& OwnFolder(const std::filesystem::path& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error(fmt::format("无法建立临时文件夹 {}: {}", folder.string(), std::strerror(errno)));
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        throw std::runtime_error(fmt::format("无法读取临时文件夹 {}: {}", folder.string(), std::strerror(errno)));
    if (!S_ISDIR(info.st_mode))
        throw std::runtime_error(fmt::format("临时文件夹 {} 不是文件夹 (可能是一个链接), 拒绝使用。", folder.string()));
    if (info.st_uid != ::getuid())
        throw std::runtime_error(fmt::format("临时文件夹 {} 属于另一个用户, 拒绝使用。", folder.string()));
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        throw std::runtime_error(fmt::format("无法收回临时文件夹 {} 的他人权限: {}", folder.string(), std::strerror(errno)));
    return folder;
}

//! True when `folder` is a folder (not a link) of this user that no one else may enter.
bool Private(const std::filesystem::path& folder)
{
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 077) == 0;
}

//! The user's own folder for settings, templates and temporary files, which every operator of the
//! module shares: "mfg-<uid>" in the system's temporary folder. When another local user took that
//! name first (or put a link there), a private "mfg-<uid>-XXXXXX" of ours beside it is used, the
//! one made before when there is one, so that the settings stay; the user is told where.
std::filesystem::path DefaultTempFolder(Dialogs& dialogs)
{
    std::error_code error;
    auto system = std::filesystem::temp_directory_path(error);
    if (error) system = "/tmp";
    const std::string name = fmt::format("mfg-{}", ::getuid());
    try {
        return OwnFolder(system / name);
    } catch (const std::runtime_error& refused) {
        std::vector<std::filesystem::path> made;
        for (const auto& entry : std::filesystem::directory_iterator(system, error))
            if (entry.path().filename().string().starts_with(name + "-") && Private(entry.path()))
                made.push_back(entry.path());
        std::sort(made.begin(), made.end());
        std::string other = made.empty() ? (system / (name + "-XXXXXX")).string() : made.front().string();
        if (made.empty() && !::mkdtemp(other.data()))
            throw std::runtime_error(fmt::format("{} 也无法另建临时文件夹: {}", refused.what(), std::strerror(errno)));
        dialogs.ShowWarning(fmt::format("{} 改用临时文件夹 {}。", refused.what(), other));
        return other;
    }
}

// Upgrades are named as decimal numbers ("3.30", "3.40"), so "3.5" comes after "3.40"; a name that
// is no number compares as text.
int CompareVersions(std::string_view a, std::string_view b)
{
    auto x = TryParseUserNumber(a, "版本", NumberRange::Signed());
    auto y = TryParseUserNumber(b, "版本", NumberRange::Signed());
    if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
    return CompareNoCase(Trim(a), Trim(b));
}

}  // namespace

Host::Host(std::unique_ptr<Connection> db) : connection(std::move(db))
{
    if (!connection) throw std::invalid_argument("宿主需要一个数据库连接");
    dialogs = std::make_unique<ConsoleDialogs>();
    lookups = std::make_unique<LookupCache>(*connection);
    tempDirectory = FolderText(DefaultTempFolder(*dialogs));
    std::error_code error;
    auto current = std::filesystem::current_path(error);
    currDirectory = FolderText(error ? std::filesystem::path(".") : current);
}

Host::~Host()
{
    if (currentHost == this) currentHost = nullptr;
}

std::unique_ptr<DataSet> Host::CreateAutoQuery(std::string sql, bool open, const Params& params)
{
    auto query = std::make_unique<DataSet>("AutoQuery");
    query->SetSql(std::move(sql));
    for (const auto& [name, value] : params) query->SetParam(name, value);
    if (open) query->Open(*connection);
    return query;
}

std::int64_t Host::SqlExecute(std::string_view sql, const Params& params)
{
    TransactionGuard transaction(*connection);
    auto changed = connection->Execute(sql, params);
    transaction.Commit();
    return changed;
}

std::int64_t Host::SqlExecuteNoTran(std::string_view sql, const Params& params)
{
    return connection->Execute(sql, params);
}

Variant Host::GetValueOfSql(std::string_view sql, const Variant& defaultValue, const Params& params)
{
    auto value = connection->Query(sql, params).FirstValue();
    return value.IsNull() ? defaultValue : value;
}

void Host::SetUser(int id, std::string name)
{
    userID = id;
    userName = std::move(name);
}

void Host::SetTempDirectory(const std::filesystem::path& folder)
{
    // Without its trailing separator, so that a link under the name is seen as a link.
    auto named = folder.has_filename() ? folder : folder.parent_path();
    std::filesystem::create_directories(named);
    tempDirectory = FolderText(OwnFolder(named));
}

void Host::SetCurrDirectory(const std::filesystem::path& folder) { currDirectory = FolderText(folder); }

void Host::SetClock(Clock clock) { connection->SetClock(std::move(clock)); }

void Host::SetToday(DateTime today)
{
    SetClock([today] { return today; });
}

std::string Host::LookupSysParam(std::string_view name)
{
    auto value = connection->Query("select ParamValue from L_SysParam where ParamName = :ParamName",
                                   {{"ParamName", std::string(name)}})
                     .FirstValue();
    return std::string(Trim(value.AsString()));
}

const Decimals& Host::GetDecimals()
{
    if (decimalsRead) return decimals;
    auto read = [this](std::string_view name, int fallback) {
        // A setting that is no number from 0 to 10 leaves the default: the formats must work.
        auto value = TryParseUserNumber(LookupSysParam(name), name, NumberRange::NonNegative(10));
        return value && *value == std::trunc(*value) ? static_cast<int>(*value) : fallback;
    };
    Decimals defaults;
    decimals.quantity = read("QuantityDecimals", defaults.quantity);
    decimals.price = read("PriceDecimals", defaults.price);
    decimals.amount = read("AmountDecimals", defaults.amount);
    decimalsRead = true;
    return decimals;
}

std::pair<DateTime, DateTime> Host::PostingMonth()
{
    auto rows = connection->Query(
        "select top 1 BegDate, EndDate from AG_ACCPERIOD where Closed = 0 order by PeriodYear, PeriodMonth");
    if (!rows.Empty() && !rows.rows[0][0].IsNull() && !rows.rows[0][1].IsNull())
        return {rows.rows[0][0].AsDateTime().Date(), rows.rows[0][1].AsDateTime().Date()};
    auto today = GetSystemTime().Date();
    return {DateTime::FromYmd(today.Year(), today.Month(), 1),
            DateTime::FromYmd(today.Year(), today.Month(), DateTime::DaysInMonth(today.Year(), today.Month()))};
}

DateTime Host::GetFirstDayOfPosMonth() { return PostingMonth().first; }

DateTime Host::GetLastDayOfPosMonth() { return PostingMonth().second; }

void Host::WriteLog(char logType, int eventID, char objType, std::string_view caption, std::string_view memo,
                    int flag1, int flag2)
{
    // The key and the entry go together: a failed insert must not use up a key either.
    TransactionGuard transaction(*connection);
    auto logID =
        connection->Query("declare @iNewKey integer exec AG_GETNEWKEY 'M_OPLOG',@iNewKey output select @iNewKey")
            .FirstValue()
            .AsInteger();
    connection->Execute(
        "insert into m_oplog (LogID, OPID, ShopID, LogTime, LogType, EventID, ObjType, Caption, Memo, Flag1, Flag2) "
        "values (:LogID, :OPID, :ShopID, :LogTime, :LogType, :EventID, :ObjType, :Caption, :Memo, :Flag1, :Flag2)",
        {{"LogID", logID},
         {"OPID", userID},
         {"ShopID", shopID},
         {"LogTime", GetSystemTime()},
         {"LogType", std::string(1, logType)},
         {"EventID", eventID},
         {"ObjType", std::string(1, objType)},
         {"Caption", std::string(caption)},
         {"Memo", std::string(memo)},
         {"Flag1", flag1},
         {"Flag2", flag2}});
    transaction.Commit();
}

bool Host::HadUpgradeTo(std::string_view version)
{
    auto rows = connection->Query("select Version from AG_VERSION");
    for (const auto& row : rows.rows)
        if (!row[0].IsNull() && CompareVersions(row[0].AsString(), version) >= 0) return true;
    return false;
}

Host& CurrentHost()
{
    if (!currentHost) throw std::logic_error("没有当前宿主: 宿主程序登录后须先设定当前宿主");
    return *currentHost;
}

bool HasCurrentHost() { return currentHost != nullptr; }

void SetCurrentHost(Host* host) { currentHost = host; }

CurrentHostScope::CurrentHostScope(Host& host) : previous(currentHost) { currentHost = &host; }

CurrentHostScope::~CurrentHostScope() { currentHost = previous; }

std::unique_ptr<DataSet> CreateAutoQuery(std::string sql, bool open, const Params& params)
{
    return CurrentHost().CreateAutoQuery(std::move(sql), open, params);
}

std::int64_t SqlExecute(std::string_view sql, const Params& params) { return CurrentHost().SqlExecute(sql, params); }

std::int64_t SqlExecuteNoTran(std::string_view sql, const Params& params)
{
    return CurrentHost().SqlExecuteNoTran(sql, params);
}

Variant GetValueOfSql(std::string_view sql, const Variant& defaultValue, const Params& params)
{
    return CurrentHost().GetValueOfSql(sql, defaultValue, params);
}

void BeginTran() { CurrentHost().BeginTran(); }

void CommitTran() { CurrentHost().CommitTran(); }

void RollbackTran() { CurrentHost().RollbackTran(); }

std::string LookupSysParam(std::string_view name) { return CurrentHost().LookupSysParam(name); }

DateTime GetSystemTime() { return CurrentHost().GetSystemTime(); }

DateTime GetFirstDayOfPosMonth() { return CurrentHost().GetFirstDayOfPosMonth(); }

DateTime GetLastDayOfPosMonth() { return CurrentHost().GetLastDayOfPosMonth(); }

void WriteLog(char logType, int eventID, char objType, std::string_view caption, std::string_view memo, int flag1,
              int flag2)
{
    CurrentHost().WriteLog(logType, eventID, objType, caption, memo, flag1, flag2);
}

bool HadUpgradeTo(std::string_view version) { return CurrentHost().HadUpgradeTo(version); }

}  // namespace mfg
