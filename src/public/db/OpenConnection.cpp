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

std::string UrlWithoutPassword(std::string_view url)
{
    std::string text(url);
    auto scheme = text.find("://");
    if (scheme == std::string::npos) return text;
    auto hostStart = scheme + 3;
    auto hostEnd = text.find_first_of("/?", hostStart);
    auto at = text.rfind('@', hostEnd == std::string::npos ? text.size() : hostEnd);
    if (at != std::string::npos && at >= hostStart) {
        auto colon = text.find(':', hostStart);
        if (colon != std::string::npos && colon < at) text.erase(colon, at - colon);
    }
    auto query = text.find('?');
    if (query == std::string::npos) return text;
    std::string kept;
    for (const auto& part : Split(text.substr(query + 1), '&'))
        if (!StartsWithNoCase(part, "password=") && !part.empty()) kept += (kept.empty() ? "" : "&") + std::string(part);
    return text.substr(0, query) + (kept.empty() ? "" : "?" + kept);
}

}  // namespace mfg
