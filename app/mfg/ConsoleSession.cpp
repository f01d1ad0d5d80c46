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
    explicit HiddenInput(std::string_view prompt)
        : hidden(::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &saved) == 0)
    {
        if (!hidden) return;
        std::cerr << prompt << std::flush;
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

//! One line of standard input without its line end; on a terminal after `prompt`, not echoed.
std::string ReadHiddenLine(std::string_view prompt)
{
    HiddenInput hidden(prompt);
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

std::optional<std::string> PasswordInEnvironment()
{
    const char* password = std::getenv("MFG_PASSWORD");
    if (!password || !*password) return std::nullopt;
    return password;
}

//! The proof of an operator whose command reads a new password on standard input: a script's
//! input line could be taken for either, so only a terminal is asked there, with prompts that say which.
std::string ReadProofBesideNewPassword(const std::string& code)
{
    if (auto password = PasswordInEnvironment()) return *password;
    if (InputIsTerminal()) return ReadHiddenLine(fmt::format("{} 的口令: ", code));
    throw UserError(fmt::format("操作员 {} 的口令请放在环境变量 MFG_PASSWORD 中: 标准输入只给新口令。", code));
}

}  // namespace

DateTime ParseDateOption(const std::string& text, const std::string& option)
{
    auto date = DateTime::Parse(text);
    if (!date) throw InputError(option, option + " 的日期无效: " + text + " (应为 yyyy-mm-dd)");
    return *date;
}

std::string ReadPassword()
{
    if (auto password = PasswordInEnvironment()) return *password;
    return ReadHiddenLine("口令: ");
}

std::string ReadNewPassword(std::string_view whose)
{
    std::string password = ReadHiddenLine(fmt::format("{} 的新口令: ", whose));
    if (password.empty()) throw UserError("新口令不能为空: 它从标准输入读取 (一行)。");
    if (InputIsTerminal() && ReadHiddenLine("再输入一次: ") != password) throw UserError("两次输入的新口令不一致。");
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
    if (who != SessionUser::NotLoggedIn) LogIn(session, who);
}

void ConsoleHost::LogIn(const Session& session, SessionUser who)
{
    auto account = session.user.empty() ? users.GetUser(1) : users.FindUser(session.user);
    // Until a password is proven, an unknown or a closed operator reads like a wrong password.
    if (!account || account->closed || account->hasPassword) {
        std::string named = account ? account->code : session.user;
        auto password = who == SessionUser::ProvenWithoutInput ? ReadProofBesideNewPassword(named) : ReadPassword();
        auto proven = users.Login(named, password);
        if (!proven) throw std::invalid_argument(proven.message);
        account = proven.user;
    }
    host.SetUser(account->id, account->name);
    host.SetShopID(users.ShopToWorkIn(*account, session.shop));
}

ConsoleHost::~ConsoleHost() { SetCurrentUsers(nullptr); }

}  // namespace mfg
