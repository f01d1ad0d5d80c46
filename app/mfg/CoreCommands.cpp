// The commands of the host itself: building the database, running SQL, bill codes, operators and
// the module's entry points.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include <fmt/format.h>

#include "BillCode.h"
#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "Database.h"
#include "Manufacture.h"
#include "SyntheticFactory.h"
#include "host/Registry.h"
#include "db/PgConnection.h"
#include "sql/Tokenizer.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr int kMaxId = std::numeric_limits<int>::max();

void PrintProgress(std::string_view file, size_t done, size_t total)
{
    if (file.empty()) std::cerr << fmt::format("  [{}/{}] 完成\n", done, total);
    else std::cerr << fmt::format("  [{}/{}] {}\n", done + 1, total, file);
}

//! --today also fixes the database's getdate(), as the host's clock does.
void FixToday(Connection& db, const Session& session)
{
    if (session.today.empty()) return;
    auto today = ParseDateOption(session.today, "--today");
    db.SetClock([today] { return today; });
}

//! True when the database has operators: from then on its commands act as one of them.
bool HasOperators(Connection& db)
{
    return db.TableExists("m_operator") && db.Query("select count(*) from m_operator").FirstValue().AsInteger() > 0;
}

//! Rebuilding drops every table: on a database with operators only a proven administrator may.
bool MayRebuild(const Session& session, Connection& db)
{
    if (!HasOperators(db)) return true;
    ConsoleHost console(session);
    if (console.users.IsAdmin(console.host.UserID())) return true;
    std::cerr << "只有管理员可以重建数据库。\n";
    return false;
}

//! Has a server gather the statistics of the tables just written. It plans its queries from them,
//! and autovacuum may leave a bulk write unseen for minutes: until then a large factory's BOM
//! walks scan whole tables (a check of the largest product took 2 s instead of 0.35 s).
void AnalyzeTables(Connection& db)
{
    if (db.BackendName() != "postgresql") return;
    std::string tables;
    for (const auto& name : db.TableNames()) tables += (tables.empty() ? "\"" : ", \"") + name + "\"";
    if (!tables.empty()) db.ExecuteNative("analyze " + tables);
}

int RunInit(const Session& session, bool demo, bool force, const std::string& synthetic, std::uint64_t seed)
{
    const std::string& url = session.url;
    std::optional<SyntheticSize> size;
    if (!synthetic.empty() && !(size = ParseSyntheticSize(synthetic))) {
        std::cerr << fmt::format("--synthetic {} 无效: 应为 small、medium、large、xlarge 或货品数 (至少 100)。\n", synthetic);
        return 2;
    }
    if (demo && size) {
        std::cerr << "--demo 与 --synthetic 只能选一个。\n";
        return 2;
    }
    const std::string shown = UrlWithoutPassword(url);
    auto db = OpenDatabase(url);
    FixToday(*db, session);
    const bool empty = IsEmptyDatabase(*db);
    if (!empty && !force) {
        std::cerr << fmt::format("数据库 {} 不是空的, 未做任何修改。要重建请加 --force。\n", shown);
        return 2;
    }
    if (!empty && !MayRebuild(session, *db)) return 3;
    // Dropping, the tables and the data land together: a kill half-way leaves the database as it was.
    TransactionGuard transaction(*db);
    if (!empty) DropAllTables(*db);
    std::cerr << "创建数据表...\n";
    InstallSchema(*db, PrintProgress);
    if (demo) {
        std::cerr << "载入演示工厂数据...\n";
        LoadDemoFactory(*db, PrintProgress);
    }
    std::optional<SyntheticSummary> summary;
    if (size) {
        std::cerr << fmt::format("生成合成工厂 (种子 {})...\n", seed);
        summary = LoadSyntheticFactory(*db, *size, seed, PrintProgress);
    }
    // Inside the transaction, so that a kill while the server reads its samples still leaves nothing.
    AnalyzeTables(*db);
    transaction.Commit();
    if (summary) {
        std::cout << fmt::format("数据库 {} 已建立, 含合成工厂: {} 种货品, {} 行物料清单 (深 {} 层), {} 行未结单据, "
                                 "{} 行已审核主生产计划, 共 {} 行。\n",
                                 shown, size->goods, size->bomLinks, size->depth, size->documentLines, size->mpsLines,
                                 summary->rows);
        return 0;
    }
    std::cout << fmt::format("数据库 {} 已建立{}。\n", shown, demo ? ", 含演示数据" : "");
    return 0;
}


//! True for an administrator; anyone else is told that only one may do `what`.
bool ByAdministrator(ConsoleHost& console, std::string_view what)
{
    if (console.users.IsAdmin(console.host.UserID())) return true;
    std::cerr << fmt::format("只有管理员可以{}。\n", what);
    return false;
}

//! The operator an administrator's command names.
UserAccount NamedOperator(Users& users, const std::string& code)
{
    auto account = users.FindUser(code);
    if (!account) throw UserError("没有这个操作员: " + code);
    return *account;
}

//! The one who owns the database: the OS user owning the SQLite file, or on a server a role that
//! owns m_operator, which connects with credentials of its own, not those the desktops share.
bool RunByOwner(Connection& db, const std::string& url)
{
    if (auto* server = dynamic_cast<PgConnection*>(&db))
        return server->QueryNative("select pg_has_role(session_user, c.relowner, 'MEMBER') from pg_class c "
                                   "where c.oid = to_regclass('m_operator')")
            .FirstValue()
            .AsBool();
    struct stat file {};
    return ::stat(url.c_str(), &file) == 0 && file.st_uid == ::geteuid();
}

int RunUserAdd(const Session& session, const std::string& code, const std::string& name,
               const std::vector<int>& grants)
{
    ConsoleHost console(session, SessionUser::ProvenWithoutInput);
    if (!ByAdministrator(console, "增加操作员")) return 2;
    // An account without a password could be used by anyone who names it.
    NewUser user{code, name, ReadNewPassword(code), console.host.ShopID()};
    int id = console.users.AddUser(user);
    for (int number : grants) console.users.GrantAllKinds(id, number);
    std::cout << fmt::format("操作员 {} ({}) 已增加, 编号 {}{}。\n", code, name.empty() ? code : name, id,
                             grants.empty() ? "" : fmt::format(", 授权 {} 项", grants.size()));
    return 0;
}

int RunUserPassword(const Session& session, const std::string& code)
{
    ConsoleHost console(session, SessionUser::ProvenWithoutInput);
    if (!ByAdministrator(console, "设置操作员的口令")) return 2;
    auto account = NamedOperator(console.users, code);
    console.users.SetPassword(account.id, ReadNewPassword(account.code));
    std::cout << fmt::format("操作员 {} 的口令已设置, 并已解锁。\n", account.code);
    return 0;
}

int RunUserUnlock(const Session& session, const std::string& code)
{
    ConsoleHost console(session);
    if (!ByAdministrator(console, "解锁操作员")) return 2;
    auto account = NamedOperator(console.users, code);
    console.users.Unlock(account.id);
    std::cout << fmt::format("操作员 {} 已解锁。\n", account.code);
    return 0;
}

//! When no administrator can log in any more (locked, the password forgotten), the owner of the
//! database gives one a new password: no operator proves anything here, the owner's access does.
int RunUserRecover(const Session& session, const std::string& code)
{
    ConsoleHost console(session, SessionUser::NotLoggedIn);
    if (!RunByOwner(console.host.DBStartup(), session.url)) {
        std::cerr << "只有数据库的所有者可以恢复管理员: SQLite 文件所属的操作系统用户, 或 PostgreSQL 上拥有数据表的角色 "
                     "(用它自己的登录, 不是桌面共用的角色)。\n";
        return 3;
    }
    auto account = NamedOperator(console.users, code);
    if (!account.isAdmin) {
        std::cerr << fmt::format("{} 不是管理员: 其他操作员的口令由管理员设置 (user password)。\n", account.code);
        return 2;
    }
    console.users.SetPassword(account.id, ReadNewPassword(account.code));
    std::cout << fmt::format("管理员 {} 的口令已重设, 并已解锁。\n", account.code);
    return 0;
}

int RunLogin(const Session& session, const std::string& code)
{
    ConsoleHost console(session, SessionUser::NotLoggedIn);
    auto result = console.users.Login(code, ReadPassword());
    if (!result) {
        std::cerr << result.message << '\n';
        return 3;
    }
    std::cout << fmt::format("登录成功: {} ({})\n", result.user->name, result.user->code);
    return 0;
}

int RunCall(const Session& session, const std::string& command, const std::string& argument)
{
    ConsoleHost console(session);
    ManufactureLoad();
    bool known = HostRegistry().HasFunction(command);
    if (known) HostRegistry().CallFunction(command, argument, nullptr);
    ManufactureUnload();
    HostRegistry().Clear();
    if (!known) {
        std::cerr << fmt::format("没有这个命令: {}\n", command);
        return 2;
    }
    // The module's screens need the desktop host; the console host has none of them to open.
    std::cerr << fmt::format("命令 {} 需要桌面环境的界面, 控制台下没有可打开的界面。\n", command);
    return 2;
}

//! Words of a statement that writes, that could turn a read-only session back into one that does
//! or leave the reader role, or that runs text of its own (a block, a copy).
constexpr std::string_view WritingWords[] = {
    "insert", "update", "delete", "merge",    "create",  "alter",  "drop",    "truncate", "exec",   "execute",
    "into",   "set",    "reset",  "discard",  "set_config", "pragma", "attach", "detach", "grant",  "revoke",
    "begin",  "commit", "rollback", "vacuum", "reindex", "call",   "do",      "copy",     "lock"};

bool OnlyReads(std::string_view text)
{
    for (const auto& token : sql::Tokenize(text))
        if (token.kind == sql::TokenKind::Word &&
            std::any_of(std::begin(WritingWords), std::end(WritingWords), [&](std::string_view word) { return token.Is(word); }))
            return false;
    return true;
}

//! True when a statement names a column that only the accounts service reads, or takes every
//! column of m_operator with `*`: in any case, quoted or bare, and as a string too, which SQLite
//! takes for a column name in places (`m.'PasswordHash'`).
bool ReadsSecrets(std::string_view text)
{
    bool namesOperators = false, star = false;
    for (const auto& token : sql::Tokenize(text)) {
        star = star || token.IsSymbol("*");
        if (token.kind != sql::TokenKind::Word && token.kind != sql::TokenKind::QuotedName &&
            token.kind != sql::TokenKind::String)
            continue;
        namesOperators = namesOperators || EqualsNoCase(token.text, "m_operator");
        for (auto column : SecretOperatorColumns)
            if (EqualsNoCase(token.text, column)) return true;
    }
    return namesOperators && star;
}

//! The backend's own guard behind the check of the words: the session refuses every write, and on
//! a server runs as the reader role, to which the secret columns are closed whatever the text
//! makes of them (a whole-row value, a query in a string, a file of the server).
void MakeReader(Connection& db)
{
    if (db.BackendName() == "sqlite") {
        db.ExecuteNative("pragma query_only = 1");
        return;
    }
    db.ExecuteNative("set session characteristics as transaction read only");
    try {
        db.ExecuteNative(fmt::format("set role {}", PgReaderRole));
    } catch (const DbError&) {
        throw UserError(fmt::format("数据库没有只读角色 {0}, 或连接的角色不是它的成员: 其他操作员不能执行 sql。"
                                    "请由数据表的所有者执行 mfg init 时建立它, 或 grant {0} to 连接的角色。",
                                    PgReaderRole));
    }
}

//! Before the database has operators the text may build the very tables a session needs; from
//! then on it runs as the session's operator, and only an administrator's may write.
int RunSql(const Session& session, const std::string& text, bool json)
{
    auto db = OpenExistingDatabase(session.url);
    std::optional<ConsoleHost> console;
    if (HasOperators(*db)) {
        db.reset();
        console.emplace(session);
        if (!console->users.IsAdmin(console->host.UserID())) {
            if (!OnlyReads(text)) {
                std::cerr << "只有管理员可以执行写入数据的语句; 其他操作员只能查询 (select)。\n";
                return 3;
            }
            if (ReadsSecrets(text)) {
                std::cerr << "只有管理员可以查询操作员的口令与登录失败记录 (m_operator 的 Password、PasswordHash、"
                             "LoginFailures、LockedUntil 列; 也不能用 * 取 m_operator 的全部列)。\n";
                return 3;
            }
            MakeReader(console->host.DBStartup());
        }
    }
    Connection& target = console ? console->host.DBStartup() : *db;
    FixToday(target, session);
    auto rows = target.Query(text);
    if (json) {
        std::cout << JsonText(ToJson(rows), 2) << '\n';
    } else if (rows.columns.empty()) {
        std::cout << "完成。\n";
    } else {
        PrintTable(std::cout, rows);
    }
    return 0;
}

//! The right a screen asks before it writes a bill of the type: a code for another type is the
//! administrator's.
std::optional<int> BillTypePrivilege(int billType)
{
    static const std::map<int, int> privileges{{2, 2002}, {5, 2005}, {42, 2042}, {43, 2048}, {54, 2054}};
    auto found = privileges.find(billType);
    if (found == privileges.end()) return std::nullopt;
    return found->second;
}

int RunBillCode(const Session& session, int billType, const std::string& table, const std::string& dateText)
{
    ConsoleHost console(session);
    auto privilege = BillTypePrivilege(billType);
    if (!privilege && !console.users.IsAdmin(console.host.UserID())) {
        std::cerr << fmt::format("只有管理员可以查看单据类型 {} 的编号。\n", billType);
        return 3;
    }
    if (privilege && !console.Permitted(*privilege, PrivKind::Append)) return 3;
    auto date = dateText.empty() ? console.host.GetSystemTime().Date() : ParseDateOption(dateText, "--date");
    int serial = -1;
    std::string code;
    try {
        code = GetBillCode(date, serial, billType, table);
    } catch (const BillCodeError& error) {
        std::cerr << error.what() << '\n';
        return 2;
    }
    if (code.empty()) return 2;
    std::cout << code << '\n';
    return 0;
}

struct CoreOptions {
    bool demo = false, force = false;
    std::string synthetic;
    std::uint64_t seed = 1;
    std::string text;
    bool json = false;
    int billType = 0;
    std::string table, billDate;
    std::string userCode, userName;
    std::vector<int> grants;
    std::string loginCode, targetCode;
    std::string command, argument;
};

}  // namespace

void AddCoreCommands(const CommandLine& line)
{
    auto options = std::make_shared<CoreOptions>();
    auto& o = *options;
    const Session& session = line.session;

    auto* init = line.app.add_subcommand("init", "建立数据库的数据表");
    init->add_flag("--demo", o.demo, "同时载入演示工厂数据");
    init->add_flag("--force", o.force, "删除已有的数据表后重建");
    init->add_option("--synthetic", o.synthetic, "生成合成工厂: small、medium、large、xlarge 或货品数");
    AddIntegerOption(init, "--seed", o.seed, ArgumentCaption("随机种子", "--seed"), 0,
                     std::numeric_limits<std::int64_t>::max(), "合成工厂的随机种子 (默认 1), 同一种子生成同样的数据");
    line.OnChosen(init, [&session, options] {
        return RunInit(session, options->demo, options->force, options->synthetic, options->seed);
    });

    auto* sql = line.app.add_subcommand("sql", "执行一段 T-SQL 语句并显示结果");
    sql->add_option("text", o.text, "T-SQL 语句")->required();
    sql->add_flag("--json", o.json, "以 JSON 数组输出");
    line.OnChosen(sql, [&session, options] { return RunSql(session, options->text, options->json); });

    auto* billcode = line.app.add_subcommand("billcode", "显示下一张单据的编号");
    AddIntegerOption(billcode, "--type", o.billType, ArgumentCaption("单据类型", "--type"), 1, kMaxId,
                     "单据类型 (2 采购订单, 5 采购申请, 42 生产订单, 43 主生产计划, 54 委外订单)")
        ->required();
    billcode->add_option("--table", o.table, "单据表名, 如 P_ORDER")->required();
    billcode->add_option("--date", o.billDate, "单据日期 yyyy-mm-dd (默认今天)");
    line.OnChosen(billcode, [&session, options] {
        return RunBillCode(session, options->billType, options->table, options->billDate);
    });

    auto* user = line.app.add_subcommand("user", "操作员管理");
    user->require_subcommand(1);
    auto* userAdd = user->add_subcommand("add", "增加操作员");
    userAdd->add_option("code", o.userCode, "操作员编码")->required();
    userAdd->add_option("--name", o.userName, "姓名 (默认同编码)");
    // The password always comes from standard input; the flag stays for the scripts that name it.
    userAdd->add_flag("--password-stdin")
        ->description("从标准输入读取新操作员的口令 (总是如此; 管理员自己的口令在 $MFG_PASSWORD)");
    AddIntegerListOption(userAdd, "--grant", o.grants, ArgumentCaption("权限号", "--grant"), 1, kMaxId,
                         "授予的权限号 (全部种类), 可多个");
    line.OnChosen(userAdd, [&session, options] {
        return RunUserAdd(session, options->userCode, options->userName, options->grants);
    });

    auto* userPassword = user->add_subcommand("password", "设置操作员的新口令并解锁 (管理员; 新口令从标准输入读取)");
    userPassword->add_option("code", o.targetCode, "操作员编码或姓名")->required();
    line.OnChosen(userPassword, [&session, options] { return RunUserPassword(session, options->targetCode); });
    auto* userUnlock = user->add_subcommand("unlock", "解除操作员因口令错误而被锁定 (管理员)");
    userUnlock->add_option("code", o.targetCode, "操作员编码或姓名")->required();
    line.OnChosen(userUnlock, [&session, options] { return RunUserUnlock(session, options->targetCode); });
    auto* userRecover = user->add_subcommand(
        "recover", "数据库所有者为管理员重设口令并解锁 (不需登录; 新口令从标准输入读取)");
    userRecover->add_option("code", o.targetCode, "管理员编码或姓名")->required();
    line.OnChosen(userRecover, [&session, options] { return RunUserRecover(session, options->targetCode); });

    auto* login = line.app.add_subcommand("login", "检查操作员口令 (口令从标准输入读取)");
    login->add_option("code", o.loginCode, "操作员编码或姓名")->required();
    line.OnChosen(login, [&session, options] { return RunLogin(session, options->loginCode); });

    auto* call = line.app.add_subcommand("call", "执行模块命令 (RUNMRP, SORDERTOMPS, SHOWMNFFORM 界面名)");
    call->add_option("command", o.command, "命令名")->required();
    call->add_option("argument", o.argument, "命令参数");
    line.OnChosen(call, [&session, options] { return RunCall(session, options->command, options->argument); });
}

}  // namespace mfg
