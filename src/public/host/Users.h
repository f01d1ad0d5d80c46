#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/Connection.h"

namespace mfg {

//! The kinds of a right in m_privilege.PrivKind.
enum class PrivKind : int {
    Browse = 1,
    Append = 2,
    Modify = 3,
    Delete = 4,
    Run = 5,
    Check = 6,
    Uncheck = 7,
    Print = 8,
    Export = 9,
};

//! The lowest and highest privilege kind the host knows.
inline constexpr int FirstPrivKind = 1;
inline constexpr int LastPrivKind = 9;

//! The Chinese name of a privilege kind as messages show it ("浏览", "新增", ...); "权限 N" for others.
std::string PrivKindName(int kind);

//! A bad request about an account: a code already taken, an unknown operator, an empty password.
class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! An operator as m_operator holds it.
struct UserAccount {
    int id = 0;
    std::string code;
    std::string name;
    int shopID = 0;
    bool isAdmin = false;
    bool closed = false;
    bool hasPassword = false;
};

//! What AddUser writes. An empty password leaves the account without one: it cannot log in until
//! SetPassword gives it one.
struct NewUser {
    std::string code;
    std::string name;  //!< the code when empty
    std::string password;
    int shopID = 0;
    int empID = 0;
    bool isAdmin = false;
};

//! The outcome of a login or a password change; `message` says why it was refused.
struct AuthResult {
    std::optional<UserAccount> user;
    std::string message;
    explicit operator bool() const { return user.has_value(); }
};

//! Where m_operator keeps the password hash. The shipped Password column (varchar(64)) is too
//! short for an Argon2id string, so accounts use a column of their own.
inline constexpr std::string_view PasswordHashColumn = "PasswordHash";
//! The statement that adds that column to a database made before it existed, in the SQL that SQLite
//! and PostgreSQL share (the T-SQL layer has no ALTER TABLE): run it with Connection::ExecuteNative.
inline constexpr std::string_view PasswordHashColumnDdl = "alter table m_operator add PasswordHash varchar(128)";

//! The system parameter (L_SysParam) that sets how many wrong passwords in a row lock an operator.
inline constexpr std::string_view LoginAttemptsParam = "LoginAttempts";
//! The limit when that parameter is missing or no whole number from 1 to 1000.
inline constexpr int DefaultLoginAttempts = 5;
//! What every refused proof of a password says, whatever the reason: an unknown operator, a wrong
//! password or a locked account read alike.
inline constexpr std::string_view WrongLogin = "用户名或口令不正确。";
//! How long after its start every refused login answers: long enough for the slowest refusal, so
//! that the time of the answer tells an unknown operator from a known one as little as its text.
inline constexpr std::chrono::milliseconds RefusalTime(1500);
//! How long an operator stays locked after the wrong password that reached the limit (`beyond` 0)
//! or went `beyond` it: a minute, doubled with each further one, at most a day.
std::chrono::minutes CoolingOffAfter(int beyond);

//! A branch an operator may work in.
struct ShopChoice {
    int shopID = 0;
    std::string name;
};

//! Operator accounts (m_operator) and their rights (m_privilege) over one connection.
//!
//! Passwords are kept only as libsodium crypto_pwhash_str strings (Argon2id, salted, interactive
//! limits); the plain text is never stored, copied or written to a log or a message. Every refused
//! login says WrongLogin and answers RefusalTime after it began, and an unknown or a locked
//! operator costs the same hash verification as a known one. Wrong passwords in a row are counted
//! in m_operator.LoginFailures; from the limit of LoginAttempts on, each locks the account for a
//! cooling-off time (CoolingOffAfter) until LockedUntil, or until Unlock or SetPassword. A good
//! password writes only to clear a count that is not zero: reading operators log in on a read-only
//! database and never wait behind a writer.
//!
//! An operator with IsAdmin set passes every privilege check whatever its grants. The grants of an
//! operator are read once and kept until Refresh; changes made through this object update the kept
//! copy, changes made elsewhere need Refresh (or RefreshAll).
class Users {
public:
    //! Waits after a refused login for the time still left until RefusalTime; tests replace it to
    //! run without the pause.
    using RefusalPause = std::function<void(std::chrono::milliseconds)>;

    explicit Users(Connection& connection);

    //! Adds an operator with a new key from AG_GETNEWKEY and returns its OPID. Throws UserError for
    //! an empty or over-long code or name and for a code another operator has (case ignored).
    int AddUser(const NewUser& user);
    //! The operator of that OPID.
    std::optional<UserAccount> GetUser(int id);
    //! The operator whose code, or else whose name, is `codeOrName` (case of the code ignored).
    std::optional<UserAccount> FindUser(std::string_view codeOrName);

    //! Checks a login by code or name. A wrong password, an unknown operator and a locked account
    //! are refused alike (WrongLogin, after the pause); an account without a password and a closed
    //! one say so, the closed one only after its password was proven. A success clears a count of
    //! wrong passwords that is not zero and renews a hash made with weaker limits than today's when
    //! the database can be written.
    AuthResult Login(std::string_view codeOrName, std::string_view password);
    //! Replaces the password after checking the old one (refused like a login when it is wrong).
    AuthResult ChangePassword(int id, std::string_view oldPassword, std::string_view newPassword);
    //! Sets the password without the old one (an administrator's reset, which also unlocks the
    //! account); throws UserError for an unknown operator or an empty password.
    void SetPassword(int id, std::string_view newPassword);
    //! Clears the count of wrong passwords and the lock; throws UserError for an unknown operator.
    void Unlock(int id);

    //! The branches the operator may work in: every open one for an administrator, else the
    //! operator's own (the first open one when the operator has none).
    std::vector<ShopChoice> Shops(const UserAccount& account);
    //! The branch `asked` (0: the operator's own, else the first offered) when the operator may work
    //! in it; throws UserError naming the branch otherwise.
    int ShopToWorkIn(const UserAccount& account, int asked);

    //! Grants a right; granting one already held changes nothing.
    void Grant(int id, int number, int kind);
    //! Grants every kind (1 to 9) of a privilege number.
    void GrantAllKinds(int id, int number);
    //! Withdraws a right; withdrawing one not held changes nothing.
    void Revoke(int id, int number, int kind);
    //! The (number, kind) rights granted to an operator, in order.
    std::vector<std::pair<int, int>> Grants(int id);

    //! True when the operator holds the right or is an administrator; false for an unknown or a
    //! closed operator.
    bool HasPrivilege(int id, int number, int kind);
    bool HasPrivilege(int id, int number, PrivKind kind) { return HasPrivilege(id, number, static_cast<int>(kind)); }
    //! True for an open operator with IsAdmin set.
    bool IsAdmin(int id);

    //! Forgets what was read about one operator; the next check reads it again.
    void Refresh(int id) { cache.erase(id); }
    //! Forgets what was read about every operator.
    void RefreshAll() { cache.clear(); }

    //! Replaces the pause after a refused login (a sleep by default).
    void SetRefusalPause(RefusalPause pause) { refusalPause = std::move(pause); }
    //! Replaces the clock that locks start and end by (this machine's time by default); tests move
    //! past a cooling-off time with it.
    void SetClock(Clock clock) { now = std::move(clock); }

private:
    struct Rights {
        bool known = false;
        bool isAdmin = false;
        bool closed = false;
        std::set<std::pair<int, int>> grants;
    };

    const Rights& RightsOf(int id);
    void CheckPasswordColumn();
    std::optional<UserAccount> ReadUser(std::string_view where, const Params& params);
    struct Proof;
    Proof ReadProof(int id);
    bool Locked(const Proof& proof);
    void StoreHash(int id, std::string_view password);
    AuthResult Refuse(std::string message, std::chrono::steady_clock::time_point started);
    int AttemptLimit();
    void CountFailure(int id);
    AuthResult CheckPassword(const UserAccount& user, std::string_view password, std::string_view wrongMessage,
                             std::chrono::steady_clock::time_point started);

    Connection& db;
    std::unordered_map<int, Rights> cache;
    RefusalPause refusalPause;
    Clock now;
    bool passwordColumnChecked = false;
};

//! Makes `users` the accounts service the privilege checks below ask (nullptr: none). Without one
//! they read the current host's database on every call, uncached.
void SetCurrentUsers(Users* users);
//! The current accounts service, or null.
Users* CurrentUsers();

//! Makes an accounts service current for a scope and restores the one before it on exit.
class CurrentUsersScope {
public:
    explicit CurrentUsersScope(Users& users);
    ~CurrentUsersScope();
    CurrentUsersScope(const CurrentUsersScope&) = delete;
    CurrentUsersScope& operator=(const CurrentUsersScope&) = delete;

private:
    Users* previous;
};

//! True when the current host's user (g_iUserID) holds privilege `number` of `kind`.
bool HasPrivilege(int number, int kind);
//! Kind 1, browse.
bool HasBrowsePrivilege(int number);
//! Kind 2, append.
bool HasAppendPrivilege(int number);
//! Kind 3, modify.
bool HasModifyPrivilege(int number);
//! Kind 4, delete.
bool HasDeletePrivilege(int number);
//! Kind 5, run.
bool HasRunPrivilege(int number);
//! Kind 6, check (audit).
bool HasCheckPrivilege(int number);
//! Kind 7, uncheck (withdraw the audit).
bool HasUncheckPrivilege(int number);
//! Kind 8, print.
bool HasPrintPrivilege(int number);
//! Kind 9, export.
bool HasExportPrivilege(int number);
//! The check the module calls before a guarded command; when refused and `showMessage` is set, the
//! host tells the user which right is missing (the module itself stays silent).
bool HasNewPrivilege2(int number, int kind, bool showMessage);

}  // namespace mfg
