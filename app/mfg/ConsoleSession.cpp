#include "ConsoleSession.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include <fmt/format.h>

#include "Database.h"

namespace mfg {
namespace {

//! Turns the terminal's echo off for its lifetime, when standard input is a terminal.
class HiddenInput {
public:
    HiddenInput() : hidden(::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &saved) == 0)
    {
        if (!hidden) return;
        std::cerr << "口令: " << std::flush;
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    ~HiddenInput()
    {
        if (!hidden) return;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << '\n';
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    termios saved{};
    bool hidden;
};

}  // namespace

DateTime ParseDateOption(const std::string& text, const std::string& option)
{
    auto date = DateTime::Parse(text);
    if (!date) throw InputError(option, option + " 的日期无效: " + text + " (应为 yyyy-mm-dd)");
    return *date;
}

std::string ReadPassword()
{
    if (const char* fromEnvironment = std::getenv("MFG_PASSWORD"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    HiddenInput hidden;
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

std::string ArgumentCaption(std::string_view what, std::string_view option)
{
    return fmt::format("{} ({})", what, option);
}

CLI::Option* AddNumberOption(CLI::App* command, const std::string& name, std::optional<double>& value,
                             const std::string& caption, NumberRange range, const std::string& description)
{
    return command->add_option_function<std::string>(
        name, [&value, caption, range](const std::string& text) { value = ParseUserNumber(text, caption, range); },
        description);
}

CLI::Option* AddIntegerListOption(CLI::App* command, const std::string& name, std::vector<int>& values,
                                  const std::string& caption, int min, int max, const std::string& description)
{
    return command->add_option_function<std::vector<std::string>>(
        name,
        [&values, caption, min, max](const std::vector<std::string>& texts) {
            for (const auto& text : texts) values.push_back(static_cast<int>(ParseUserInteger(text, caption, min, max)));
        },
        description);
}

ConsoleHost::ConsoleHost(const Session& session, SessionUser who)
    : host(OpenExistingDatabase(session.url)), scope(host), users(host.DBStartup())
{
    SetCurrentUsers(&users);
    if (!host.DBStartup().TableExists("m_operator"))
        throw std::invalid_argument(
            fmt::format("数据库 {} 尚未初始化, 请先执行 mfg init。", UrlWithoutPassword(session.url)));
    host.SetShopID(session.shop);
    if (!session.today.empty()) host.SetToday(ParseDateOption(session.today, "--today"));
    if (who == SessionUser::Proven) LogIn(session);
}

void ConsoleHost::LogIn(const Session& session)
{
    auto account = session.user.empty() ? users.GetUser(1) : users.FindUser(session.user);
    if (!account) throw std::invalid_argument("没有这个操作员: " + (session.user.empty() ? "1" : session.user));
    if (account->closed) throw std::invalid_argument("操作员已停用: " + account->name);
    if (account->hasPassword) {
        auto proven = users.Login(account->code, ReadPassword());
        if (!proven) throw std::invalid_argument(proven.message);
    }
    host.SetUser(account->id, account->name);
}

ConsoleHost::~ConsoleHost() { SetCurrentUsers(nullptr); }

}  // namespace mfg
