// Publishing the netted records: net requirements by period and the suggestions of what to make
// and what to buy.
#include <algorithm>
#include <array>
#include <cmath>

#include "MrpEngine.h"
#include "MrpFields.h"
#include "host/Format.h"

namespace mfg {

namespace {

//! The summed fields of a bucket, in the order of cdsNet's columns after needdate.
constexpr std::array<double MrpBucket::*, 16> NetFields{
    &MrpBucket::onhand,      &MrpBucket::safeqty,         &MrpBucket::usedqty,       &MrpBucket::gross,
    &MrpBucket::wasteqty,    &MrpBucket::saleqty,         &MrpBucket::oversaleqty,   &MrpBucket::purchaseqty,
    &MrpBucket::overpurchaseqty, &MrpBucket::requestqty,  &MrpBucket::distributeqty, &MrpBucket::manufactureqty,
    &MrpBucket::manuorderqty, &MrpBucket::subqty,         &MrpBucket::netqty,        &MrpBucket::prequestqty};

bool AnyNonZero(const MrpBucket& bucket)
{
    return std::any_of(NetFields.begin(), NetFields.end(), [&](auto field) { return bucket.*field != 0; });
}

}  // namespace

DateTime MrpEngine::PeriodKey(DateTime date, int period) const
{
    if (period != 2 && period != 4) return date;
    // The key is the last working day of the period after the date; the date itself when none.
    const DateTime limit = period == 2 ? date.AddDays(7 - date.DayOfWeek())
                                       : DateTime::FromYmd(date.Year(), date.Month(), 1).AddMonths(1).AddDays(-0.5);
    auto after = std::upper_bound(calendar.begin(), calendar.end(), limit);
    if (after == calendar.begin()) return date;
    const DateTime last = *std::prev(after);
    return last > date ? last : date;
}

void MrpEngine::FillNetTable(DataSet& cdsNet, int period) const
{
    DataSetRowSink rows(cdsNet);
    WriteNetRows(rows, period);
}

void MrpEngine::WriteNetRows(MrpRowSink& rows, int period) const
{
    MrpRowWriter writer(rows, {{"class", FieldType::Integer},
                               {"goodsid", FieldType::Integer},
                               {"needdate", FieldType::DateTime},
                               {"onhand", FieldType::Float},
                               {"safeqty", FieldType::Float},
                               {"usedqty", FieldType::Float},
                               {"gross", FieldType::Float},
                               {"wasteqty", FieldType::Float},
                               {"saleqty", FieldType::Float},
                               {"oversaleqty", FieldType::Float},
                               {"purchaseqty", FieldType::Float},
                               {"overpurchaseqty", FieldType::Float},
                               {"requestqty", FieldType::Float},
                               {"distributeqty", FieldType::Float},
                               {"manufactureqty", FieldType::Float},
                               {"manuorderqty", FieldType::Float},
                               {"subqty", FieldType::Float},
                               {"netqty", FieldType::Float},
                               {"prequestqty", FieldType::Float}});
    // The period of a later date never comes before an earlier one's: groups follow the buckets.
    std::vector<std::pair<DateTime, MrpBucket>> groups;
    for (const auto& record : netRecords) {
        groups.clear();
        for (const auto& [date, bucket] : record.buckets) {
            const DateTime key = PeriodKey(date, period);
            if (groups.empty() || groups.back().first != key) groups.emplace_back(key, MrpBucket{});
            MrpBucket& group = groups.back().second;
            for (auto field : NetFields) group.*field += bucket.*field;
            group.netqty = bucket.netqty;
        }
        if (std::none_of(groups.begin(), groups.end(), [](const auto& entry) { return AnyNonZero(entry.second); }))
            continue;
        writer.Write({record.level, record.goodsid});
        for (const auto& [key, g] : groups) {
            if (!AnyNonZero(g)) continue;
            writer.Write({Variant(), record.goodsid, key, g.onhand, g.safeqty, g.usedqty, g.gross, g.wasteqty,
                          g.saleqty, g.oversaleqty, g.purchaseqty, g.overpurchaseqty, g.requestqty,
                          FormatQuantity(g.distributeqty), FormatQuantity(g.manufactureqty), g.manuorderqty, g.subqty,
                          g.netqty, g.prequestqty});
        }
    }
}

void MrpEngine::FillManufactureSuggestions(DataSet& cdsManuSug) const
{
    MrpRowWriter writer(cdsManuSug, {{"goodsid", FieldType::Integer},
                                     {"sugqty", FieldType::Float},
                                     {"fixqty", FieldType::Float},
                                     {"price", FieldType::Float},
                                     {"amount", FieldType::Float},
                                     {"finisheddate", FieldType::DateTime},
                                     {"startdate", FieldType::DateTime}});
    for (const auto& record : netRecords) {
        const MrpGoodsRecord* master = FindGoods(record.goodsid);
        if (!master || (master->kind != 2 && master->kind != 3) || !master->isMrp) continue;
        double covered = 0;
        for (const auto& [date, bucket] : record.buckets) {
            if (bucket.netqty <= 0 || bucket.netqty <= covered) continue;
            const double quantity = bucket.netqty - covered;
            writer.Write({record.goodsid, quantity, quantity, master->pprice, master->pprice * quantity, date,
                          Has(optAhead) ? OffsetWorkDays(date, master->leadTime, true) : date});
            covered = bucket.netqty;
        }
    }
}

void MrpEngine::FillPurchaseSuggestions(DataSet& cdsPurSug, unsigned lotFlags) const
{
    MrpRowWriter writer(cdsPurSug, {{"goodsid", FieldType::Integer},
                                    {"netqty", FieldType::Float},
                                    {"sugqty", FieldType::Float},
                                    {"fixqty", FieldType::Float},
                                    {"price", FieldType::Float},
                                    {"amount", FieldType::Float},
                                    {"revdate", FieldType::DateTime},
                                    {"orderdate", FieldType::DateTime},
                                    {"minOrderQty", FieldType::Float},
                                    {"incOrderQty", FieldType::Float}});
    for (const auto& record : netRecords) {
        const MrpGoodsRecord* master = FindGoods(record.goodsid);
        if (!master || master->kind != 1 || !master->isMrp) continue;
        double covered = 0;
        for (const auto& [date, bucket] : record.buckets) {
            if (bucket.netqty <= 0 || bucket.netqty <= covered) continue;
            const double net = bucket.netqty - covered;
            double quantity = net;
            if (lotFlags & MrpLotMinimum) {
                if (quantity <= master->minPurchaseQty) {
                    quantity = master->minPurchaseQty;
                } else if ((lotFlags & MrpLotIncrement) && master->orderAddQty > 0) {
                    // A whole number of increments stays as it is, whatever the binary noise says.
                    const double steps = std::ceil((quantity - master->minPurchaseQty) / master->orderAddQty - 1e-9);
                    quantity = master->minPurchaseQty + steps * master->orderAddQty;
                }
            }
            writer.Write({record.goodsid, net, quantity, quantity, master->pprice, FormatAmount(master->pprice * quantity),
                          date, Has(optAhead) ? OffsetWorkDays(date, master->leadTime, true) : date,
                          master->minPurchaseQty, master->orderAddQty});
            covered += quantity;
        }
    }
}

}  // namespace mfg
