#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace mfg {

//! Reads the rows of some ids of one level: `ids` is their decimal list ("12,34,56") for an SQL
//! "in (...)"; `reached` is called with every id the rows lead to.
using LevelReader = std::function<void(const std::string& ids, const std::function<void(std::int64_t)>& reached)>;

//! The most ids one LevelReader call gets, so that a wide level stays a handful of statements.
inline constexpr std::size_t LevelChunk = 1000;

//! Ids as decimal lists ("12,34,56") of at most LevelChunk ids each, for SQL "in (...)" lists.
std::vector<std::string> IdLists(std::span<const std::int64_t> ids);

//! Walks a graph kept in a table one level at a time from `start`: each level is read through its
//! indexed key, and the ids reached for the first time make the next level, so a question costs what
//! it reaches, not the size of the table, and a cycle ends. Returns every id reached, the start first.
std::vector<std::int64_t> WalkLevels(const std::vector<std::int64_t>& start, const LevelReader& readLevel);

}  // namespace mfg
