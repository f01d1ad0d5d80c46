// The console host: the module's database work without a desktop.
#include <cstdlib>
#include <iostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "BillCode.h"
#include "ConsoleTable.h"
#include "Database.h"
#include "host/Host.h"

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

int RunSql(const std::string& url, const std::string& text, bool json)
{
    auto db = mfg::OpenDatabase(url);
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
};

//! A host over the session's database, current while it lives.
class ConsoleHost {
public:
    explicit ConsoleHost(const Session& session) : host(mfg::OpenDatabase(session.url)), scope(host)
    {
        host.SetShopID(session.shop);
        host.SetUser(1, "管理员");
        if (!session.today.empty()) host.SetToday(ParseDateOption(session.today, "--today"));
    }
    mfg::Host host;
    mfg::CurrentHostScope scope;
};

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
    Session session{DefaultDatabase()};
    std::string& url = session.url;
    app.add_option("--db", url, "数据库: SQLite 文件路径 (默认 $MFG_DB, 否则 ./mfg.db)");
    app.add_option("--today", session.today, "以此日期为今天 (yyyy-mm-dd), 用于演示与测试");
    app.add_option("--shop", session.shop, "分支机构 (默认 1)");
    app.require_subcommand(1);

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

    CLI11_PARSE(app, argc, argv);
    try {
        if (*init) return RunInit(url, demo, force);
        if (*sql) return RunSql(url, text, json);
        if (*billcode) return RunBillCode(session, billType, table, billDate);
    } catch (const std::exception& e) {
        std::cerr << "错误: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
