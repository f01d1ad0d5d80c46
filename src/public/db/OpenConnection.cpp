#include <fmt/format.h>

#include "db/Connection.h"
#include "db/PgConnection.h"
#include "db/SqliteConnection.h"
#include "types/TextUtil.h"

namespace mfg {

std::unique_ptr<Connection> OpenConnection(const std::string& url)
{
    if (StartsWithNoCase(url, "postgresql://") || StartsWithNoCase(url, "postgres://"))
        return std::make_unique<PgConnection>(url);
    if (Trim(url).empty()) throw DbError("没有指定数据库", "");
    std::string path = url;
    if (StartsWithNoCase(path, "sqlite:")) path = path.substr(7);
    return std::make_unique<SqliteConnection>(path);
}

}  // namespace mfg
