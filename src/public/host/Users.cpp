#include "host/Users.h"

#include <sodium.h>

#include <algorithm>
#include <thread>

#include <fmt/format.h>

#include "host/Dialogs.h"
#include "host/Host.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr std::string_view WrongLogin = "用户名或口令不正确。";
// A hash of the same limits that no operator's password matches, checked for an unknown operator.
constexpr std::string_view UnknownOperatorHash =
    "$argon2id$v=19$m=65536,t=2,p=1$B94gORXraun0o9CVYauifQ$xGW5z9phIANT577WouNQNBI897YNpVuA5Xh9Tcjqf4g";
constexpr std::chrono::milliseconds LongestRefusalPause(30000);
constexpr size_t CodeMaxChars = 16;
constexpr size_t NameMaxChars = 32;

Users* currentUsers = nullptr;

void InitSodium()
{
    // sodium_init is safe to repeat but picks its random source once; one call per process is enough.
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("口令库 libsodium 无法初始化");
}

size_t CharCount(std::string_view text)
{
    size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

std::string HashPassword(std::string_view password)
{
    InitSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("计算口令散列时内存不足");
    return hash;
}

bool PasswordMatches(const std::string& hash, std::string_view password)
{
    InitSodium();
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

bool HashIsOutdated(const std::string& hash)
{
    return crypto_pwhash_str_needs_rehash(hash.c_str(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0;
}

void CheckKind(int kind)
{
    if (kind < FirstPrivKind || kind > LastPrivKind)
        throw UserError(fmt::format("权限类别 {} 无效 (应为 {} 到 {})", kind, FirstPrivKind, LastPrivKind));
}

}  // namespace

std::chrono::milliseconds RefusalPauseAfter(int failures)
{
    if (failures <= 1) return std::chrono::milliseconds(0);
    auto pause = std::chrono::milliseconds(1000 << std::clamp(failures - 2, 0, 5));
    return std::min(pause, LongestRefusalPause);
}

std::string PrivKindName(int kind)
{
    static constexpr std::string_view names[] = {"浏览", "新增", "修改", "删除", "运行",
                                                 "审核", "弃审", "打印", "导出"};
    if (kind < FirstPrivKind || kind > LastPrivKind) return fmt::format("权限 {}", kind);
    return std::string(names[kind - FirstPrivKind]);
}

Users::Users(Connection& connection)
    : db(connection), refusalPause([](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); })
{
}

void Users::CheckPasswordColumn()
{
    if (passwordColumnChecked) return;
    std::string probe = fmt::format("select {} from m_operator where 1 = 0", PasswordHashColumn);
    try {
        db.Query(probe);
    } catch (const DbError&) {
        throw DbError(fmt::format("数据表 m_operator 没有口令散列列 {}，请先执行: {}", PasswordHashColumn,
                                  PasswordHashColumnDdl),
                      probe);
    }
    passwordColumnChecked = true;
}

std::optional<UserAccount> Users::ReadUser(std::string_view where, const Params& params)
{
    CheckPasswordColumn();
    auto result = db.Query(fmt::format("select OPID, Code, OPName, ShopID, IsAdmin, Closed, "
                                       "case when {} is null then 0 else 1 end HasPassword "
                                       "from m_operator where {} order by OPID",
                                       PasswordHashColumn, where),
                           params);
    if (result.Empty()) return std::nullopt;
    const auto& row = result.rows.front();
    return UserAccount{static_cast<int>(row[0].AsInteger()),
                       row[1].AsString(),
                       row[2].AsString(),
                       static_cast<int>(row[3].AsInteger()),
                       row[4].AsBool(),
                       row[5].AsBool(),
                       row[6].AsBool()};
}

std::optional<UserAccount> Users::GetUser(int id) { return ReadUser("OPID = :id", {{"id", id}}); }

std::optional<UserAccount> Users::FindUser(std::string_view codeOrName)
{
    std::string key(Trim(codeOrName));
    if (key.empty()) return std::nullopt;
    if (auto byCode = ReadUser("upper(Code) = upper(:key)", {{"key", key}})) return byCode;
    return ReadUser("OPName = :key", {{"key", key}});
}

int Users::AddUser(const NewUser& user)
{
    std::string code(Trim(user.code));
    std::string name(Trim(user.name));
    if (name.empty()) name = code;
    if (code.empty()) throw UserError("用户编码不能为空。");
    if (CharCount(code) > CodeMaxChars) throw UserError(fmt::format("用户编码「{}」超过 {} 个字符。", code, CodeMaxChars));
    if (CharCount(name) > NameMaxChars) throw UserError(fmt::format("用户名称「{}」超过 {} 个字符。", name, NameMaxChars));
    CheckPasswordColumn();

    // Hashing takes a noticeable moment; it runs before the transaction so that no lock waits for it.
    std::optional<std::string> hash;
    if (!user.password.empty()) hash = HashPassword(user.password);

    TransactionGuard transaction(db);
    if (db.Query("select OPID from m_operator where upper(Code) = upper(:code)", {{"code", code}}).rows.size() > 0)
        throw UserError(fmt::format("用户编码「{}」已被使用。", code));
    int id = static_cast<int>(
        db.Query("declare @iNewKey integer exec AG_GETNEWKEY 'M_OPERATOR', @iNewKey output select @iNewKey")
            .FirstValue()
            .AsInteger());
    db.Execute(fmt::format("insert into m_operator (OPID, Code, OPName, EmpID, ShopID, IsAdmin, Closed, {}) "
                           "values (:id, :code, :name, :emp, :shop, :admin, 0, :hash)",
                           PasswordHashColumn),
               {{"id", id},
                {"code", code},
                {"name", name},
                {"emp", user.empID > 0 ? Variant(user.empID) : Variant()},
                {"shop", user.shopID > 0 ? Variant(user.shopID) : Variant()},
                {"admin", user.isAdmin ? 1 : 0},
                {"hash", hash ? Variant(*hash) : Variant()}});
    transaction.Commit();
    Refresh(id);
    return id;
}

std::optional<std::string> Users::StoredHash(int id)
{
    auto value = db.Query(fmt::format("select {} from m_operator where OPID = :id", PasswordHashColumn), {{"id", id}})
                     .FirstValue();
    if (value.IsNull() || value.AsString().empty()) return std::nullopt;
    return value.AsString();
}

void Users::StoreHash(int id, std::string_view password)
{
    std::string hash = HashPassword(password);
    auto changed = db.Execute(fmt::format("update m_operator set {} = :hash where OPID = :id", PasswordHashColumn),
                              {{"hash", hash}, {"id", id}});
    if (changed == 0) throw UserError(fmt::format("没有编号为 {} 的用户。", id));
}

AuthResult Users::Refuse(std::string message, int failures)
{
    if (refusalPause) refusalPause(RefusalPauseAfter(failures));
    return AuthResult{std::nullopt, std::move(message)};
}

int Users::AttemptLimit()
{
    auto value = db.Query("select ParamValue from L_SysParam where ParamName = :name", {{"name", LoginAttemptsParam}})
                     .FirstValue();
    if (value.IsNull()) return DefaultLoginAttempts;
    try {
        return static_cast<int>(ParseUserInteger(value.AsString(), LoginAttemptsParam, 1, 1000));
    } catch (const InputError&) {
        return DefaultLoginAttempts;
    }
}

std::optional<int> Users::CountAttempt(int id)
{
    // Counted before the hash is checked and in one statement: guesses sent side by side each use
    // up an attempt, and none of them gets past the limit.
    auto counted = db.Execute("update m_operator set LoginFailures = LoginFailures + 1 "
                              "where OPID = :id and LoginFailures < :limit",
                              {{"id", id}, {"limit", AttemptLimit()}});
    if (counted == 0) return std::nullopt;
    return static_cast<int>(
        db.Query("select LoginFailures from m_operator where OPID = :id", {{"id", id}}).FirstValue().AsInteger());
}

AuthResult Users::CheckPassword(const UserAccount& user, std::string_view password, std::string_view wrongMessage)
{
    auto hash = StoredHash(user.id);
    if (!hash) {
        PasswordMatches(std::string(UnknownOperatorHash), password);
        return Refuse(fmt::format("用户「{}」尚未设置口令，请由管理员设置口令后再登录。", user.name), 1);
    }
    auto failures = CountAttempt(user.id);
    if (!failures) {
        PasswordMatches(std::string(UnknownOperatorHash), password);
        return Refuse(fmt::format("用户「{}」口令连续错误次数过多，已被锁定，请由管理员设置新口令。", user.name),
                      AttemptLimit());
    }
    if (!PasswordMatches(*hash, password)) return Refuse(std::string(wrongMessage), *failures);
    db.Execute("update m_operator set LoginFailures = 0 where OPID = :id", {{"id", user.id}});
    if (HashIsOutdated(*hash)) StoreHash(user.id, password);
    return AuthResult{user, {}};
}

AuthResult Users::Login(std::string_view codeOrName, std::string_view password)
{
    auto user = FindUser(codeOrName);
    if (!user) {
        // An unknown operator costs the same hash as a known one: the time of the answer tells nothing.
        PasswordMatches(std::string(UnknownOperatorHash), password);
        return Refuse(std::string(WrongLogin), 1);
    }
    auto checked = CheckPassword(*user, password, WrongLogin);
    if (!checked) return checked;
    if (user->closed) return Refuse(fmt::format("用户「{}」已停用。", user->name), 1);

    db.Execute("update m_operator set LastLoginTime = getdate() where OPID = :id", {{"id", user->id}});
    // A new session starts from the rights as they are now, not as another session left them.
    Refresh(user->id);
    return checked;
}

AuthResult Users::ChangePassword(int id, std::string_view oldPassword, std::string_view newPassword)
{
    auto user = GetUser(id);
    if (!user) return Refuse(fmt::format("没有编号为 {} 的用户。", id), 1);
    // Without a password there is nothing to check the old one against: only a reset may set it.
    if (!user->hasPassword) return Refuse(fmt::format("用户「{}」尚未设置口令，请由管理员设置口令。", user->name), 1);
    auto checked = CheckPassword(*user, oldPassword, "原口令不正确。");
    if (!checked) return checked;
    if (newPassword.empty()) return AuthResult{std::nullopt, "新口令不能为空。"};
    StoreHash(id, newPassword);
    user->hasPassword = true;
    return AuthResult{std::move(user), {}};
}

void Users::SetPassword(int id, std::string_view newPassword)
{
    if (newPassword.empty()) throw UserError("口令不能为空。");
    CheckPasswordColumn();
    StoreHash(id, newPassword);
    // A new password from the administrator is also what unlocks an account.
    db.Execute("update m_operator set LoginFailures = 0 where OPID = :id", {{"id", id}});
}

const Users::Rights& Users::RightsOf(int id)
{
    auto found = cache.find(id);
    if (found != cache.end()) return found->second;
    Rights rights;
    auto account = db.Query("select IsAdmin, Closed from m_operator where OPID = :id", {{"id", id}});
    if (!account.Empty()) {
        rights.known = true;
        rights.isAdmin = account.rows.front()[0].AsBool();
        rights.closed = account.rows.front()[1].AsBool();
        for (const auto& row : db.Query("select PrivilegeID, PrivKind from m_privilege where OPID = :id", {{"id", id}}).rows)
            rights.grants.emplace(static_cast<int>(row[0].AsInteger()), static_cast<int>(row[1].AsInteger()));
    }
    return cache.emplace(id, std::move(rights)).first->second;
}

void Users::Grant(int id, int number, int kind)
{
    CheckKind(kind);
    if (!RightsOf(id).known) throw UserError(fmt::format("没有编号为 {} 的用户。", id));
    if (RightsOf(id).grants.count({number, kind}) > 0) return;
    // The kept rights may be older than the table: another session may have granted it meanwhile.
    db.Execute("insert into m_privilege (OPID, PrivilegeID, PrivKind) select :id, :number, :kind "
               "where not exists (select 1 from m_privilege where OPID = :id and PrivilegeID = :number "
               "and PrivKind = :kind)",
               {{"id", id}, {"number", number}, {"kind", kind}});
    cache[id].grants.emplace(number, kind);
}

void Users::GrantAllKinds(int id, int number)
{
    TransactionGuard transaction(db);
    for (int kind = FirstPrivKind; kind <= LastPrivKind; ++kind) Grant(id, number, kind);
    transaction.Commit();
}

void Users::Revoke(int id, int number, int kind)
{
    db.Execute("delete from m_privilege where OPID = :id and PrivilegeID = :number and PrivKind = :kind",
               {{"id", id}, {"number", number}, {"kind", kind}});
    auto found = cache.find(id);
    if (found != cache.end()) found->second.grants.erase({number, kind});
}

std::vector<std::pair<int, int>> Users::Grants(int id)
{
    const auto& grants = RightsOf(id).grants;
    return {grants.begin(), grants.end()};
}

bool Users::IsAdmin(int id)
{
    const auto& rights = RightsOf(id);
    return rights.known && !rights.closed && rights.isAdmin;
}

bool Users::HasPrivilege(int id, int number, int kind)
{
    const auto& rights = RightsOf(id);
    if (!rights.known || rights.closed) return false;
    return rights.isAdmin || rights.grants.count({number, kind}) > 0;
}

void SetCurrentUsers(Users* users) { currentUsers = users; }

Users* CurrentUsers() { return currentUsers; }

CurrentUsersScope::CurrentUsersScope(Users& users) : previous(currentUsers) { currentUsers = &users; }

CurrentUsersScope::~CurrentUsersScope() { currentUsers = previous; }

bool HasPrivilege(int number, int kind)
{
    Host& host = CurrentHost();
    if (currentUsers) return currentUsers->HasPrivilege(host.UserID(), number, kind);
    Users uncached(host.DBStartup());
    return uncached.HasPrivilege(host.UserID(), number, kind);
}

bool HasBrowsePrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Browse)); }
bool HasAppendPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Append)); }
bool HasModifyPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Modify)); }
bool HasDeletePrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Delete)); }
bool HasRunPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Run)); }
bool HasCheckPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Check)); }
bool HasUncheckPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Uncheck)); }
bool HasPrintPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Print)); }
bool HasExportPrivilege(int number) { return HasPrivilege(number, static_cast<int>(PrivKind::Export)); }

bool HasNewPrivilege2(int number, int kind, bool showMessage)
{
    if (HasPrivilege(number, kind)) return true;
    if (showMessage)
        ShowWarning(fmt::format("您没有此项权限：{} (权限号 {})。请与系统管理员联系。", PrivKindName(kind), number));
    return false;
}

}  // namespace mfg
