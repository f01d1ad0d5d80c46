#include "ConsoleSession.h"

#include <stdexcept>

#include <fmt/format.h>

#include "Database.h"

namespace mfg {

DateTime ParseDateOption(const std::string& text, const std::string& option)
{
    auto date = DateTime::Parse(text);
    if (!date) throw InputError(option, option + " 的日期无效: " + text + " (应为 yyyy-mm-dd)");
    return *date;
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

ConsoleHost::ConsoleHost(const Session& session)
    : host(OpenDatabase(session.url)), scope(host), users(host.DBStartup())
{
    SetCurrentUsers(&users);
    host.SetShopID(session.shop);
    auto account = session.user.empty() ? users.GetUser(1) : users.FindUser(session.user);
    if (!account) throw std::invalid_argument("没有这个操作员: " + (session.user.empty() ? "1" : session.user));
    if (account->closed) throw std::invalid_argument("操作员已停用: " + account->name);
    host.SetUser(account->id, account->name);
    if (!session.today.empty()) host.SetToday(ParseDateOption(session.today, "--today"));
}

ConsoleHost::~ConsoleHost() { SetCurrentUsers(nullptr); }

}  // namespace mfg
