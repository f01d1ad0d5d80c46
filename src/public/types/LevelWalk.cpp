#include "types/LevelWalk.h"

#include <unordered_set>

namespace mfg {

std::vector<std::string> IdLists(std::span<const std::int64_t> ids)
{
    std::vector<std::string> lists;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i % LevelChunk == 0) lists.emplace_back();
        lists.back() += (i % LevelChunk == 0 ? "" : ",") + std::to_string(ids[i]);
    }
    return lists;
}

std::vector<std::int64_t> WalkLevels(const std::vector<std::int64_t>& start, const LevelReader& readLevel)
{
    std::vector<std::int64_t> reachedIds;
    std::unordered_set<std::int64_t> seen;
    const std::function<void(std::int64_t)> reach = [&](std::int64_t id) {
        if (seen.insert(id).second) reachedIds.push_back(id);
    };
    for (std::int64_t id : start) reach(id);
    std::size_t levelStart = 0;
    while (levelStart < reachedIds.size()) {
        // The ids reached while this level is read are the next level, appended behind it.
        const std::size_t levelEnd = reachedIds.size();
        for (const std::string& ids : IdLists(std::span(reachedIds).subspan(levelStart, levelEnd - levelStart)))
            readLevel(ids, reach);
        levelStart = levelEnd;
    }
    return reachedIds;
}

}  // namespace mfg
