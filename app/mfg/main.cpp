// The console host: the module's database work without a desktop.
#include <cstdlib>
#include <iostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "BillCode.h"
#include "ConsoleTable.h"
#include "Database.h"
#include "Manufacture.h"
#include "host/Host.h"
#include "host/Registry.h"
#include "host/Users.h"

namespace {

std::string DefaultDatabase()
{
    if (const char* env = std::getenv("MFG_DB"); env && *env) return env;
    return "mfg.db";
}

void PrintProgress(std::string_view file, size_t done, size_t total)
{
    if (file.empty()) std::cerr << fmt::format("  [{}/{}] 完成\n", done, total);
    else std::cerr << fmt::format("  [{}/{}] {}\n", done + 1, total, file);
}

int RunInit(const std::string& url, bool demo, bool force)
{
    auto db = mfg::OpenDatabase(url);
    if (!mfg::IsEmptyDatabase(*db)) {
        if (!force) {
            std::cerr << fmt::format("数据库 {} 不是空的, 未做任何修改。要重建请加 --force。\n", url);
            return 2;
        }
        mfg::DropAllTables(*db);
    }
    std::cerr << "创建数据表...\n";
    mfg::InstallSchema(*db, PrintProgress);
    if (demo) {
        std::cerr << "载入演示工厂数据...\n";
        mfg::LoadDemoFactory(*db, PrintProgress);
    }
    std::cout << fmt::format("数据库 {} 已建立{}。\n", url, demo ? ", 含演示数据" : "");
    return 0;
}


//! A date given on the command line; an invalid one is an error naming the option.
mfg::DateTime ParseDateOption(const std::string& text, const std::string& option)
{
    auto date = mfg::DateTime::Parse(text);
    if (!date) throw std::invalid_argument(option + " 的日期无效: " + text + " (应为 yyyy-mm-dd)");
    return *date;
}

//! Options every command shares: the database, today and the branch.
struct Session {
    std::string url;
    std::string today;
    int shop = 1;
    std::string user;  // code or name; empty: the administrator made by init
};

//! A host over the session's database, current while it lives.
class ConsoleHost {
public:
    explicit ConsoleHost(const Session& session)
        : host(mfg::OpenDatabase(session.url)), scope(host), users(host.DBStartup())
    {
        mfg::SetCurrentUsers(&users);
        host.SetShopID(session.shop);
        auto account = session.user.empty() ? users.GetUser(1) : users.FindUser(session.user);
        if (!account) throw std::invalid_argument("没有这个操作员: " + (session.user.empty() ? "1" : session.user));
        if (account->closed) throw std::invalid_argument("操作员已停用: " + account->name);
        host.SetUser(account->id, account->name);
        if (!session.today.empty()) host.SetToday(ParseDateOption(session.today, "--today"));
    }
    ~ConsoleHost() { mfg::SetCurrentUsers(nullptr); }
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;

    mfg::Host host;
    mfg::CurrentHostScope scope;
    mfg::Users users;
};

//! A password from standard input (one line), never from the command line where others can read it.
std::string ReadPassword()
{
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

int RunUserAdd(const Session& session, const std::string& code, const std::string& name, bool passwordStdin,
               const std::vector<int>& grants)
{
    ConsoleHost console(session);
    if (!console.users.IsAdmin(console.host.UserID())) {
        std::cerr << "只有管理员可以增加操作员。\n";
        return 2;
    }
    mfg::NewUser user{code, name, passwordStdin ? ReadPassword() : std::string(), session.shop};
    int id = console.users.AddUser(user);
    for (int number : grants) console.users.GrantAllKinds(id, number);
    std::cout << fmt::format("操作员 {} ({}) 已增加, 编号 {}{}。\n", code, name.empty() ? code : name, id,
                             grants.empty() ? "" : fmt::format(", 授权 {} 项", grants.size()));
    return 0;
}

int RunLogin(const Session& session, const std::string& code)
{
    ConsoleHost console(session);
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
    bool known = mfg::HostRegistry().HasFunction(command);
    if (known) mfg::HostRegistry().CallFunction(command, argument, nullptr);
    ManufactureUnload();
    mfg::HostRegistry().Clear();
    if (!known) {
        std::cerr << fmt::format("没有这个命令: {}\n", command);
        return 2;
    }
    // The module's screens need the desktop host; the console host has none of them to open.
    std::cerr << fmt::format("命令 {} 需要桌面环境的界面, 控制台下没有可打开的界面。\n", command);
    return 2;
}

//! Runs without a session: the text may build the very tables a session needs. --today still
//! fixes getdate().
int RunSql(const Session& session, const std::string& text, bool json)
{
    auto db = mfg::OpenDatabase(session.url);
    if (!session.today.empty()) {
        auto today = ParseDateOption(session.today, "--today");
        db->SetClock([today] { return today; });
    }
    auto rows = db->Query(text);
    if (json) {
        std::cout << mfg::ToJson(rows).dump(2) << '\n';
    } else if (rows.columns.empty()) {
        std::cout << "完成。\n";
    } else {
        mfg::PrintTable(std::cout, rows);
    }
    return 0;
}

int RunBillCode(const Session& session, int billType, const std::string& table, const std::string& dateText)
{
    ConsoleHost console(session);
    auto date = dateText.empty() ? console.host.GetSystemTime().Date() : ParseDateOption(dateText, "--date");
    if (console.host.GetValueOfSql("select count(*) from L_BillType where id=:t", 0, {{"t", billType}}).AsInteger() == 0) {
        std::cerr << fmt::format("单据类型 {} 没有编号规则 (L_BillType)。\n", billType);
        return 2;
    }
    int serial = -1;
    std::string code = mfg::GetBillCode(date, serial, billType, table);
    if (code.empty()) return 2;
    std::cout << code << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"生产制造模块 — 控制台"};
    app.set_version_flag("--version", std::string("mfg ") + MFG_VERSION);
    Session session;
    session.url = DefaultDatabase();
    std::string& url = session.url;
    app.add_option("--db", url, "数据库: SQLite 文件路径 (默认 $MFG_DB, 否则 ./mfg.db)");
    app.add_option("--today", session.today, "以此日期为今天 (yyyy-mm-dd), 用于演示与测试");
    app.add_option("--shop", session.shop, "分支机构 (默认 1)");
    app.add_option("--user", session.user, "以此操作员 (编码或姓名) 执行, 默认管理员");
    app.require_subcommand(1);
    app.fallthrough();  // --db, --today, --shop, --user also after the command, as "billcode ... --shop 2"

    auto* init = app.add_subcommand("init", "建立数据库的数据表");
    bool demo = false, force = false;
    init->add_flag("--demo", demo, "同时载入演示工厂数据");
    init->add_flag("--force", force, "删除已有的数据表后重建");

    auto* sql = app.add_subcommand("sql", "执行一段 T-SQL 语句并显示结果");
    std::string text;
    bool json = false;
    sql->add_option("text", text, "T-SQL 语句")->required();
    sql->add_flag("--json", json, "以 JSON 数组输出");

    auto* billcode = app.add_subcommand("billcode", "显示下一张单据的编号");
    int billType = 0;
    std::string table, billDate;
    billcode->add_option("--type", billType, "单据类型 (2 采购订单, 5 采购申请, 42 生产订单, 43 主生产计划, 54 委外订单)")->required();
    billcode->add_option("--table", table, "单据表名, 如 P_ORDER")->required();
    billcode->add_option("--date", billDate, "单据日期 yyyy-mm-dd (默认今天)");

    auto* user = app.add_subcommand("user", "操作员管理");
    user->require_subcommand(1);
    auto* userAdd = user->add_subcommand("add", "增加操作员");
    std::string userCode, userName;
    bool passwordStdin = false;
    std::vector<int> grants;
    userAdd->add_option("code", userCode, "操作员编码")->required();
    userAdd->add_option("--name", userName, "姓名 (默认同编码)");
    userAdd->add_flag("--password-stdin", passwordStdin, "从标准输入读取口令");
    userAdd->add_option("--grant", grants, "授予的权限号 (全部种类), 可多个");

    auto* login = app.add_subcommand("login", "检查操作员口令 (口令从标准输入读取)");
    std::string loginCode;
    login->add_option("code", loginCode, "操作员编码或姓名")->required();

    auto* call = app.add_subcommand("call", "执行模块命令 (RUNMRP, SORDERTOMPS, SHOWMNFFORM 界面名)");
    std::string command, argument;
    call->add_option("command", command, "命令名")->required();
    call->add_option("argument", argument, "命令参数");

    CLI11_PARSE(app, argc, argv);
    try {
        if (*init) return RunInit(url, demo, force);
        if (*sql) return RunSql(session, text, json);
        if (*billcode) return RunBillCode(session, billType, table, billDate);
        if (*userAdd) return RunUserAdd(session, userCode, userName, passwordStdin, grants);
        if (*login) return RunLogin(session, loginCode);
        if (*call) return RunCall(session, command, argument);
    } catch (const std::exception& e) {
        std::cerr << "错误: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
