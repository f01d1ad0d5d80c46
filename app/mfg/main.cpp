// The console host: the module's database work without a desktop. Each group of commands adds
// itself to the command line; main parses, then runs the one chosen.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <limits>

#include <CLI/CLI.hpp>

#include "ConsoleOutput.h"
#include "ConsoleSession.h"

namespace {

std::string DefaultDatabase()
{
    if (const char* env = std::getenv("MFG_DB"); env && *env) return env;
    return "mfg.db";
}

//! Parses the command line and runs the command chosen; the exit code.
int Run(CLI::App& app, const mfg::CommandRun& run, int argc, char** argv)
{
    // A slip in an argument ends the command before any work, as a usage error does.
    try {
        app.parse(argc, argv);
        return run ? run() : 0;
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const mfg::InputError& e) {
        std::cerr << "错误: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "错误: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"生产制造模块 — 控制台"};
    app.set_version_flag("--version", std::string("mfg ") + MFG_VERSION);
    mfg::Session session;
    session.url = DefaultDatabase();
    app.add_option("--db", session.url, "数据库: SQLite 文件路径 (默认 $MFG_DB, 否则 ./mfg.db)");
    app.add_option("--today", session.today, "以此日期为今天 (yyyy-mm-dd), 用于演示与测试");
    mfg::AddIntegerOption(&app, "--shop", session.shop, mfg::ArgumentCaption("分支机构", "--shop"), 1,
                          std::numeric_limits<int>::max(), "分支机构 (默认为操作员自己的分支机构)");
    app.add_option("--user", session.user, "以此操作员 (编码或姓名) 执行, 默认管理员");
    app.require_subcommand(1);
    app.fallthrough();  // --db, --today, --shop, --user also after the command, as "billcode ... --shop 2"

    mfg::CommandRun run;
    const mfg::CommandLine line{app, session, run};
    mfg::AddCoreCommands(line);
    mfg::AddCalendarCommands(line);
    mfg::AddBomCommands(line);
    mfg::AddMpsCommands(line);
    mfg::AddCostingCommands(line);
    mfg::AddCapacityCommands(line);
    mfg::AddMrpCommands(line);
    mfg::AddCheckCommands(line);

    mfg::ConsoleOutput output(STDOUT_FILENO, "标准输出");
    std::streambuf* original = std::cout.rdbuf(&output);
    int code = Run(app, run, argc, argv);
    std::cout.flush();
    std::cout.rdbuf(original);
    if (!output.Finish()) {
        std::cerr << "错误: " << output.Failure() << '\n';
        if (code == 0) code = 1;
    }
    return code;
}
