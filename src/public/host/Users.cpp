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

// A hash of the same limits that no operator's password matches, checked for an unknown operator.
constexpr std::string_view UnknownOperatorHash =
    "$argon2id$v=19$m=65536,t=2,p=1$B94gORXraun0o9CVYauifQ$xGW5z9phIANT577WouNQNBI897YNpVuA5Xh9Tcjqf4g";
constexpr std::chrono::minutes LongestCoolingOff(24 * 60);
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

std::chrono::minutes CoolingOffAfter(int beyond)
{
    return std::min(std::chrono::minutes(1 << std::clamp(beyond, 0, 11)), LongestCoolingOff);
}

std::string PrivKindName(int kind)
{
    static constexpr std::string_view names[] = {"浏览", "新增", "修改", "删除", "运行",
                                                 "审核", "弃审", "打印", "导出"};
    if (kind < FirstPrivKind || kind > LastPrivKind) return fmt::format("权限 {}", kind);
    return std::string(names[kind - FirstPrivKind]);
}

//! What proving a password reads of an account.
struct Users::Proof {
    std::optional<std::string> hash;
    int failures = 0;
    std::optional<DateTime> lockedUntil;
};

Users::Users(Connection& connection)
    : db(connection),
      refusalPause([](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }),
      now([] { return DateTime::Now(); })
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

Users::Proof Users::ReadProof(int id)
{
    auto result = db.Query(fmt::format("select {}, LoginFailures, LockedUntil from m_operator where OPID = :id",
                                       PasswordHashColumn),
                           {{"id", id}});
    Proof proof;
    if (result.Empty()) return proof;
    const auto& row = result.rows.front();
    if (!row[0].IsNull() && !row[0].AsString().empty()) proof.hash = row[0].AsString();
    proof.failures = static_cast<int>(row[1].AsInteger());
    if (!row[2].IsNull()) proof.lockedUntil = row[2].AsDateTime();
    return proof;
}

bool Users::Locked(const Proof& proof) { return proof.lockedUntil && *proof.lockedUntil > now(); }

void Users::StoreHash(int id, std::string_view password)
{
    std::string hash = HashPassword(password);
    auto changed = db.Execute(fmt::format("update m_operator set {} = :hash where OPID = :id", PasswordHashColumn),
                              {{"hash", hash}, {"id", id}});
    if (changed == 0) throw UserError(fmt::format("没有编号为 {} 的用户。", id));
}

AuthResult Users::Refuse(std::string message, std::chrono::steady_clock::time_point started)
{
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    if (refusalPause) refusalPause(std::max(RefusalTime - spent, std::chrono::milliseconds(0)));
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

void Users::CountFailure(int id)
{
    // Counted in one statement, so that guesses sent side by side each count.
    db.Execute("update m_operator set LoginFailures = LoginFailures + 1 where OPID = :id", {{"id", id}});
    int beyond = ReadProof(id).failures - AttemptLimit();
    if (beyond < 0) return;
    auto until = now().AddDays(static_cast<double>(CoolingOffAfter(beyond).count()) / (24 * 60));
    db.Execute("update m_operator set LockedUntil = :until where OPID = :id", {{"until", until}, {"id", id}});
}

AuthResult Users::CheckPassword(const UserAccount& user, std::string_view password, std::string_view wrongMessage,
                                std::chrono::steady_clock::time_point started)
{
    auto proof = ReadProof(user.id);
    if (!proof.hash) {
        PasswordMatches(std::string(UnknownOperatorHash), password);
        return Refuse(fmt::format("用户「{}」尚未设置口令，请由管理员设置口令后再登录。", user.name), started);
    }
    // A locked account is not asked: a guess while it cools off learns nothing, not even that it was right.
    if (Locked(proof)) {
        PasswordMatches(std::string(UnknownOperatorHash), password);
        return Refuse(std::string(wrongMessage), started);
    }
    if (!PasswordMatches(*proof.hash, password)) {
        try {
            CountFailure(user.id);
        } catch (const DbError&) {
            // A database that cannot be written (a read-only file) still refuses the guess.
        }
        return Refuse(std::string(wrongMessage), started);
    }
    // Guesses sent beside this one may have reached the limit while the hash was checked.
    auto after = ReadProof(user.id);
    if (Locked(after)) return Refuse(std::string(wrongMessage), started);
    try {
        // Only what needs it is written: a reader logs in on a read-only database and waits for no writer.
        if (after.failures != 0 || after.lockedUntil) Unlock(user.id);
        if (HashIsOutdated(*proof.hash)) StoreHash(user.id, password);
    } catch (const DbError&) {
        // The proof holds; the count and the hash wait for a login that can write them.
    }
    return AuthResult{user, {}};
}

AuthResult Users::Login(std::string_view codeOrName, std::string_view password)
{
    auto started = std::chrono::steady_clock::now();
    auto user = FindUser(codeOrName);
    if (!user) {
        PasswordMatches(std::string(UnknownOperatorHash), password);
        return Refuse(std::string(WrongLogin), started);
    }
    auto checked = CheckPassword(*user, password, WrongLogin, started);
    if (!checked) return checked;
    if (user->closed) return Refuse(fmt::format("用户「{}」已停用。", user->name), started);
    // A new session starts from the rights as they are now, not as another session left them.
    Refresh(user->id);
    return checked;
}

AuthResult Users::ChangePassword(int id, std::string_view oldPassword, std::string_view newPassword)
{
    auto started = std::chrono::steady_clock::now();
    auto user = GetUser(id);
    if (!user) return Refuse(fmt::format("没有编号为 {} 的用户。", id), started);
    // Without a password there is nothing to check the old one against: only a reset may set it.
    if (!user->hasPassword)
        return Refuse(fmt::format("用户「{}」尚未设置口令，请由管理员设置口令。", user->name), started);
    auto checked = CheckPassword(*user, oldPassword, "原口令不正确。", started);
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
    Unlock(id);
}

void Users::Unlock(int id)
{
    auto changed = db.Execute("update m_operator set LoginFailures = 0, LockedUntil = null where OPID = :id",
                              {{"id", id}});
    if (changed == 0) throw UserError(fmt::format("没有编号为 {} 的用户。", id));
}

std::vector<ShopChoice> Users::Shops(const UserAccount& account)
{
    const bool ownOnly = !account.isAdmin && account.shopID > 0;
    auto rows = db.Query(fmt::format("select ShopID, Name from d_shop where Closed = 0{} order by Code",
                                     ownOnly ? " and ShopID = :shop" : ""),
                         ownOnly ? Params{{"shop", account.shopID}} : Params{});
    std::vector<ShopChoice> choices;
    for (const auto& row : rows.rows) choices.push_back({static_cast<int>(row[0].AsInteger()), row[1].AsString()});
    if (!account.isAdmin && choices.size() > 1) choices.resize(1);
    return choices;
}

int Users::ShopToWorkIn(const UserAccount& account, int asked)
{
    auto shops = Shops(account);
    if (shops.empty()) throw UserError(fmt::format("操作员「{}」没有可用的分支机构。", account.name));
    auto own = std::find_if(shops.begin(), shops.end(), [&](const ShopChoice& shop) { return shop.shopID == account.shopID; });
    if (asked <= 0) asked = own != shops.end() ? own->shopID : shops.front().shopID;
    std::string offered;
    for (const auto& shop : shops) {
        if (shop.shopID == asked) return asked;
        offered += fmt::format("{}{} {}", offered.empty() ? "" : ", ", shop.shopID, shop.name);
    }
    throw UserError(fmt::format("操作员「{}」不能在分支机构 {} 工作 (可用的分支机构: {})。", account.name, asked, offered));
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
