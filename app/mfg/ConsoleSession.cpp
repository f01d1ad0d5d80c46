#include "ConsoleSession.h"

#include <stdexcept>

#include "Database.h"

namespace mfg {

DateTime ParseDateOption(const std::string& text, const std::string& option)
{
    auto date = DateTime::Parse(text);
    if (!date) throw std::invalid_argument(option + " 的日期无效: " + text + " (应为 yyyy-mm-dd)");
    return *date;
}

ConsoleHost::ConsoleHost(const Session& session)
    : host(OpenExistingDatabase(session.url)), scope(host), users(host.DBStartup())
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
