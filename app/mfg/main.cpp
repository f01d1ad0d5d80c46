// The console host: the module's database work without a desktop.
#include <cstdlib>
#include <iostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "ConsoleTable.h"
#include "Database.h"
#include "sql/Tokenizer.h"

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

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"生产制造模块 — 控制台"};
    app.set_version_flag("--version", std::string("mfg ") + MFG_VERSION);
    std::string url = DefaultDatabase();
    app.add_option("--db", url, "数据库: SQLite 文件路径 (默认 $MFG_DB, 否则 ./mfg.db)");
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

    CLI11_PARSE(app, argc, argv);
    try {
        if (*init) return RunInit(url, demo, force);
        if (*sql) return RunSql(url, text, json);
    } catch (const std::exception& e) {
        std::cerr << "错误: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
