#include "DesktopSession.h"

#include <QDir>
#include <QStandardPaths>

#include "Database.h"
#include "QtDialogs.h"

namespace mfg {

DesktopSession::DesktopSession(std::string databaseUrl)
    : url(std::move(databaseUrl)), host(OpenExistingDatabase(url)), users(host.DBStartup())
{
    host.SetDialogs(std::make_unique<QtDialogs>());
}

DesktopSession::~DesktopSession()
{
    if (!started) return;
    SetCurrentUsers(nullptr);
    SetCurrentHost(nullptr);
}

std::string DesktopSession::ShopName(int shopID)
{
    return host.GetValueOfSql("select Name from d_shop where ShopID = " + std::to_string(shopID)).AsString();
}

void DesktopSession::Start(const UserAccount& account, int shopID)
{
    host.SetUser(account.id, account.name);
    host.SetShopID(shopID);
    // The temporary folder stays the host's: the OS user's own, which the console uses too and
    // every operator of the module shares, so a calendar setting made here holds there as well.
    QString settings = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(settings);
    host.SetCurrDirectory(settings.toStdString());
    SetCurrentHost(&host);
    SetCurrentUsers(&users);
    started = true;
}

}  // namespace mfg
