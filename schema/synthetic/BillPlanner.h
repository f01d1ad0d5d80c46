#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "SyntheticRandom.h"

namespace mfg::synthetic {

//! Why a bill is left out of the MRP, or Open when it counts.
enum class BillStatus { Open, Unaudited, Cancelled, Closed, Expired, OtherShop, Finished, PastDue, FromSales };
//! Why a line of a counted bill is left out, or Open when it counts.
enum class LineStatus { Open, Closed, Referred };

//! The shape of one bill: its status and that of each of its lines.
struct BillShape {
    BillStatus status = BillStatus::Open;
    std::vector<LineStatus> lines;

    bool LineCounts(size_t line) const { return status == BillStatus::Open && lines[line] == LineStatus::Open; }
};

//! Hands out bill shapes until exactly `openQuota` lines count for the MRP; about one bill in
//! sixteen and one line in twenty of the others is left out for one of the given reasons.
class BillPlanner {
public:
    BillPlanner(SyntheticRandom& random, int openQuota, int maxLines, std::vector<BillStatus> leftOut, bool linesClose)
        : random(random), openLeft(openQuota), maxLines(maxLines), leftOut(std::move(leftOut)), linesClose(linesClose)
    {
    }

    //! The next bill, or false once the quota is reached.
    bool Next(BillShape& shape)
    {
        if (openLeft <= 0) return false;
        shape.status = random.Chance(0.06) ? random.Pick(leftOut) : BillStatus::Open;
        shape.lines.assign(static_cast<size_t>(random.Between(1, maxLines)), LineStatus::Open);
        if (linesClose)
            for (auto& line : shape.lines)
                if (random.Chance(0.05)) line = random.Chance(0.5) ? LineStatus::Closed : LineStatus::Referred;
        if (shape.status != BillStatus::Open) return true;
        int counted = 0;
        for (size_t i = 0; i < shape.lines.size(); ++i) {
            if (shape.lines[i] != LineStatus::Open) continue;
            if (++counted == openLeft) shape.lines.resize(i + 1);
        }
        openLeft -= counted;
        return true;
    }

    //! Bills expected for the quota, to spread the bill dates evenly.
    int ExpectedBills(int openQuota) const { return std::max(1, openQuota * 2 / (maxLines + 1)); }

private:
    SyntheticRandom& random;
    int openLeft;
    int maxLines;
    std::vector<BillStatus> leftOut;
    bool linesClose;
};

}  // namespace mfg::synthetic
