// The commands of the host itself: building the database, running SQL, bill codes, operators and
// the module's entry points.
#include <iostream>
#include <limits>
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

int RunInit(const Session& session, bool demo, bool force, const std::string& synthetic, std::uint64_t seed)
{
    const std::string& url = session.url;
    std::optional<SyntheticSize> size;
    if (!synthetic.empty() && !(size = ParseSyntheticSize(synthetic))) {
        std::cerr << fmt::format("--synthetic {} 无效: 应为 small、medium、large 或货品数 (至少 100)。\n", synthetic);
        return 2;
    }
    if (demo && size) {
        std::cerr << "--demo 与 --synthetic 只能选一个。\n";
        return 2;
    }
    auto db = OpenDatabase(url);
    FixToday(*db, session);
    if (!IsEmptyDatabase(*db)) {
        if (!force) {
            std::cerr << fmt::format("数据库 {} 不是空的, 未做任何修改。要重建请加 --force。\n", url);
            return 2;
        }
        DropAllTables(*db);
    }
    std::cerr << "创建数据表...\n";
    InstallSchema(*db, PrintProgress);
    if (demo) {
        std::cerr << "载入演示工厂数据...\n";
        LoadDemoFactory(*db, PrintProgress);
    }
    if (size) {
        std::cerr << fmt::format("生成合成工厂 (种子 {})...\n", seed);
        auto summary = LoadSyntheticFactory(*db, *size, seed, PrintProgress);
        std::cout << fmt::format("数据库 {} 已建立, 含合成工厂: {} 种货品, {} 行物料清单 (深 {} 层), {} 行未结单据, "
                                 "{} 行已审核主生产计划, 共 {} 行。\n",
                                 url, size->goods, size->bomLinks, size->depth, size->documentLines, size->mpsLines,
                                 summary.rows);
        return 0;
    }
    std::cout << fmt::format("数据库 {} 已建立{}。\n", url, demo ? ", 含演示数据" : "");
    return 0;
}


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
    NewUser user{code, name, passwordStdin ? ReadPassword() : std::string(), session.shop};
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

//! Runs without a session: the text may build the very tables a session needs. --today still
//! fixes getdate().
int RunSql(const Session& session, const std::string& text, bool json)
{
    auto db = OpenDatabase(session.url);
    FixToday(*db, session);
    auto rows = db->Query(text);
    if (json) {
        std::cout << ToJson(rows).dump(2) << '\n';
    } else if (rows.columns.empty()) {
        std::cout << "完成。\n";
    } else {
        PrintTable(std::cout, rows);
    }
    return 0;
}

int RunBillCode(const Session& session, int billType, const std::string& table, const std::string& dateText)
{
    ConsoleHost console(session);
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
    bool passwordStdin = false;
    std::vector<int> grants;
    std::string loginCode;
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
    init->add_option("--synthetic", o.synthetic, "生成合成工厂: small、medium、large 或货品数");
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
    userAdd->add_flag("--password-stdin", o.passwordStdin, "从标准输入读取口令");
    AddIntegerListOption(userAdd, "--grant", o.grants, ArgumentCaption("权限号", "--grant"), 1, kMaxId,
                         "授予的权限号 (全部种类), 可多个");
    line.OnChosen(userAdd, [&session, options] {
        return RunUserAdd(session, options->userCode, options->userName, options->passwordStdin, options->grants);
    });

    auto* login = line.app.add_subcommand("login", "检查操作员口令 (口令从标准输入读取)");
    login->add_option("code", o.loginCode, "操作员编码或姓名")->required();
    line.OnChosen(login, [&session, options] { return RunLogin(session, options->loginCode); });

    auto* call = line.app.add_subcommand("call", "执行模块命令 (RUNMRP, SORDERTOMPS, SHOWMNFFORM 界面名)");
    call->add_option("command", o.command, "命令名")->required();
    call->add_option("argument", o.argument, "命令参数");
    line.OnChosen(call, [&session, options] { return RunCall(session, options->command, options->argument); });
}

}  // namespace mfg
