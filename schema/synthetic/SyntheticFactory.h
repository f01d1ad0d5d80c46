#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "Database.h"
#include "db/Connection.h"

namespace mfg {

//! How big a generated factory is.
struct SyntheticSize {
    int goods = 0;          //!< rows of L_Goods
    int bomLinks = 0;       //!< rows of L_GoodsBom
    int depth = 0;          //!< links on the longest path from a finished product to a material
    int documentLines = 0;  //!< open supply and demand lines as the MRP load counts them
    int mpsLines = 0;       //!< audited MNF_ManuPlan lines
};

//! The size of a factory of `goods` goods: five BOM links and two open document lines per goods,
//! one schedule line per 25 goods, depth 6, 9 or 12 from 5,000 and 50,000 goods up.
SyntheticSize SyntheticSizeOf(int goods);
//! "small" (500 goods), "medium" (5,000), "large" (50,000), "xlarge" (500,000) or a number of goods
//! (at least 100).
std::optional<SyntheticSize> ParseSyntheticSize(std::string_view text);

//! What a generated factory holds beside its size.
struct SyntheticSummary {
    std::int64_t rows = 0;            //!< every row written
    std::int64_t substitutes = 0;     //!< rows of L_GoodsBomsub
    std::int64_t closedLines = 0;     //!< document lines the MRP does not count (closed, referred, unaudited, ...)
};

//! Fills an installed, empty schema with a factory made from `seed` alone: the same seed gives the
//! same rows. Dates lie around the connection's today. One transaction; progress names each stage.
SyntheticSummary LoadSyntheticFactory(Connection& db, const SyntheticSize& size, std::uint64_t seed,
                                      const LoadProgress& progress = {});

}  // namespace mfg
