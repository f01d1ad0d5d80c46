// Exception messages: one pass over the netted records of a run that names what the planner should
// act on. It reads the records and never changes them, so the run's figures stay as they are.
#include "MrpExceptions.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include <fmt/format.h>

#include "MrpEngine.h"
#include "MrpFields.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

constexpr double Epsilon = 1e-9;

//! An open order line as the netting booked it, with its document.
struct Receipt {
    DateTime date;
    double quantity = 0;
    std::string billname;
    std::string billcode;
    std::int32_t itemno = 0;
    bool inHorizon = true;  //!< booked by the netting; later ones may only be brought in
};

using ReceiptsByGoods = std::unordered_map<std::int32_t, std::vector<Receipt>>;

//! A suggestion the fill operations will make: its bucket date and quantity before lot sizing.
struct Suggestion {
    DateTime date;
    double quantity = 0;
};

std::string_view BillName(std::int32_t billtype)
{
    switch (billtype) {
        case 12:
            return "销售订单";
        case 43:
            return "主生产计划";
        default:
            return "";
    }
}

class ExceptionPass {
public:
    ExceptionPass(const MrpEngine& engine, const std::vector<MrpReceiptDocument>& documents,
                  const MrpExceptionThresholds& thresholds)
        : engine(engine), thresholds(thresholds), lastWorkDay(engine.OffsetWorkDays(engine.today, 0, false))
    {
        CollectReceipts(documents);
    }

    std::vector<MrpException> Run()
    {
        for (const auto& line : engine.planLines)
            if (line.date < engine.today)
                Add({MrpExceptionKind::PastDemand, line.goodsid, line.date, line.quantity,
                     std::string(BillName(line.billtype)), line.billcode, line.itemno,
                     fmt::format("需求日期 {} 早于今天, 按今天计划", line.date.ToIsoString())});
        Flush();
        for (const auto& record : engine.netRecords) {
            const std::vector<Suggestion> suggestions = Suggestions(record);
            Unplanned(record);
            OverdueSales(record);
            Receipts(record, suggestions);
            ShortLeadTimes(record, suggestions);
            BelowSafety(record);
            Flush();
        }
        // A goods without a record is named above with its date, quantity and document already.
        for (const auto& warning : engine.warnings)
            if (!namedWithoutRecord.count(warning))
                found.push_back({MrpExceptionKind::Unplanned, 0, engine.today, 0, {}, {}, 0, warning});
        return std::move(found);
    }

private:
    //! Each open order line on the date the netting books it: overdue purchase lines today when
    //! they count, otherwise not at all.
    void CollectReceipts(const std::vector<MrpReceiptDocument>& documents)
    {
        const bool purchases = engine.options & optPurchaseQty;
        const bool manufactures = engine.options & optManufactureQty;
        if (!purchases && !manufactures) return;
        for (const auto& document : documents) {
            if (!(document.purchase ? purchases : manufactures)) continue;
            DateTime date = document.date;
            if (date < engine.today && document.purchase) {
                if (!(engine.options & optOverPOrder)) continue;
                date = engine.today;
            }
            receipts[document.goodsid].push_back(
                {date, document.quantity, document.billname, document.billcode, document.itemno, date <= engine.horizonEnd});
        }
        for (auto& [goodsid, list] : receipts) LatestFirstAndMerged(list);
    }

    //! Orders a goods' receipts latest first; a manufacture order that comes once more for what was
    //! drawn against it becomes one receipt.
    static void LatestFirstAndMerged(std::vector<Receipt>& list)
    {
        auto key = [](const Receipt& r) { return std::tie(r.billname, r.billcode, r.itemno); };
        std::sort(list.begin(), list.end(), [&](const Receipt& a, const Receipt& b) {
            return a.date != b.date ? a.date > b.date : key(a) < key(b);
        });
        auto kept = list.begin();
        for (auto next = list.begin(); next != list.end(); ++next) {
            if (next != kept && next->date == kept->date && key(*next) == key(*kept))
                kept->quantity += next->quantity;
            else if (next != kept && ++kept != next)
                *kept = std::move(*next);
        }
        if (!list.empty()) list.erase(kept + 1, list.end());
    }

    //! The rises of the cumulative net requirement that become suggestions (made and bought goods
    //! planned by MRP), before lot sizing.
    std::vector<Suggestion> Suggestions(const MrpNetRecord& record) const
    {
        std::vector<Suggestion> result;
        if (!Suggested(record.goodsid)) return result;
        double covered = 0;
        for (const auto& [date, bucket] : record.buckets)
            if (bucket.netqty > 0 && bucket.netqty > covered) {
                result.push_back({date, bucket.netqty - covered});
                covered = bucket.netqty;
            }
        return result;
    }

    //! Whether the fill operations suggest orders for the goods: made and bought goods planned by MRP.
    bool Suggested(std::int32_t goodsid) const
    {
        const MrpGoodsRecord* goods = engine.FindGoods(goodsid);
        return goods && goods->isMrp && goods->kind >= 1 && goods->kind <= 3;
    }

    void Unplanned(const MrpNetRecord& record)
    {
        const MrpGoodsRecord* goods = engine.FindGoods(record.goodsid);
        const bool made = goods && (goods->kind == 2 || goods->kind == 3);
        // A goods with a BOM but no record (a virtual item) passes its demand on to its components.
        if ((goods && !made) || engine.bom.count(record.goodsid) || record.sources.empty()) return;
        if (!goods) namedWithoutRecord.insert(MrpEngine::MissingGoodsWarning(record.goodsid));
        const auto& [date, pegs] = *record.sources.begin();
        double quantity = 0;
        for (const auto& [_, bucket] : record.buckets) quantity += bucket.gross;
        MrpException message = PegMessage(MrpExceptionKind::Unplanned, record.goodsid, date, quantity, pegs);
        message.text =
            goods ? "没有已审核的物料清单, 下级物料未计划" : "货品不在运算范围 (没有货品资料或为虚拟件), 需求未计划";
        Add(std::move(message));
    }

    void OverdueSales(const MrpNetRecord& record)
    {
        auto bucket = record.buckets.find(engine.today);
        if (bucket != record.buckets.end() && bucket->second.oversaleqty > Epsilon)
            Add({MrpExceptionKind::PastDemand,
                 record.goodsid,
                 engine.today,
                 bucket->second.oversaleqty,
                 "销售订单",
                 {},
                 0,
                 "超期销售订单按今天计划"});
    }

    //! Of several receipts that are not all needed, those furthest out are cancelled: the latest is
    //! judged first, and the earlier ones without what is cancelled after them.
    void Receipts(const MrpNetRecord& record, const std::vector<Suggestion>& suggestions)
    {
        auto list = receipts.find(record.goodsid);
        if (list == receipts.end()) return;
        const std::vector<Receipt>& latestFirst = list->second;
        std::vector<const Receipt*> cancelled;  // latest first, as judged
        for (const auto& receipt : latestFirst) {
            // The first suggestion is the earliest shortage and the one furthest before the receipt.
            if (!suggestions.empty() && suggestions.front().date < receipt.date &&
                WorkDaysBetween(suggestions.front().date, receipt.date) > thresholds.earlyDays) {
                const DateTime shortage = suggestions.front().date;
                AddReceipt(MrpExceptionKind::RescheduleIn, record.goodsid, shortage, receipt,
                           fmt::format("{} 到货, 应提前到 {}", receipt.date.ToIsoString(), shortage.ToIsoString()));
                continue;
            }
            if (!receipt.inHorizon) continue;
            // Without this receipt and those cancelled after it, the first date on which the goods
            // would fall short is when it is needed; the cancelled ones count from their own dates.
            auto nextCancelled = cancelled.rbegin();
            double cancelledSoFar = 0;
            auto needed = std::find_if(
                record.buckets.lower_bound(receipt.date), record.buckets.end(), [&](const auto& entry) {
                    for (; nextCancelled != cancelled.rend() && (*nextCancelled)->date <= entry.first; ++nextCancelled)
                        cancelledSoFar += (*nextCancelled)->quantity;
                    return entry.second.netqty + cancelledSoFar + receipt.quantity > Epsilon;
                });
            if (needed == record.buckets.end()) {
                AddReceipt(MrpExceptionKind::Cancel, record.goodsid, receipt.date, receipt,
                           fmt::format("{} 到货, 计划期内不需要", receipt.date.ToIsoString()));
                cancelled.push_back(&receipt);
            } else if (WorkDaysBetween(receipt.date, needed->first) > thresholds.lateDays) {
                AddReceipt(
                    MrpExceptionKind::RescheduleOut, record.goodsid, needed->first, receipt,
                    fmt::format("{} 到货, 可推迟到 {}", receipt.date.ToIsoString(), needed->first.ToIsoString()));
            }
        }
    }

    void ShortLeadTimes(const MrpNetRecord& record, const std::vector<Suggestion>& suggestions)
    {
        if (!(engine.options & optAhead)) return;
        const MrpGoodsRecord* goods = engine.FindGoods(record.goodsid);
        for (const auto& suggestion : suggestions) {
            const DateTime start = engine.OffsetWorkDays(suggestion.date, goods->leadTime, false);
            if (start >= lastWorkDay) continue;
            auto pegs = record.sources.find(suggestion.date);
            MrpException message =
                PegMessage(MrpExceptionKind::ShortLeadTime, record.goodsid, suggestion.date, suggestion.quantity,
                           pegs == record.sources.end() ? NoPegs : pegs->second);
            message.text = fmt::format("提前期 {} 天, 应于 {} 开始", goods->leadTime, start.ToIsoString());
            Add(std::move(message));
        }
    }

    //! The first date on which stock after every receipt and suggestion falls below safety stock.
    void BelowSafety(const MrpNetRecord& record)
    {
        const MrpGoodsRecord* goods = engine.FindGoods(record.goodsid);
        if (!goods || goods->safeQty <= Epsilon) return;
        const bool planned = Suggested(record.goodsid);
        const double bookedSafety = (engine.options & optSafeQty) ? goods->safeQty : 0;
        double covered = 0;
        for (const auto& [date, bucket] : record.buckets) {
            if (planned) covered = std::max(covered, bucket.netqty);
            const double projected = covered - bucket.netqty + bookedSafety;
            if (projected < goods->safeQty - Epsilon) {
                Add({MrpExceptionKind::BelowSafety,
                     record.goodsid,
                     date,
                     goods->safeQty - projected,
                     {},
                     {},
                     0,
                     fmt::format("预计库存 {:.4g}, 安全库存 {:.4g}", projected, goods->safeQty)});
                return;
            }
        }
    }

    static MrpException PegMessage(MrpExceptionKind kind, std::int32_t goodsid, DateTime date, double quantity,
                                   const std::vector<MrpPegLine>& pegs)
    {
        MrpException message{kind, goodsid, date, quantity, {}, {}, 0, {}};
        auto peg = std::find_if(pegs.begin(), pegs.end(), [](const MrpPegLine& p) { return p.billtype > 0; });
        if (peg != pegs.end()) {
            message.billname = BillName(peg->billtype);
            message.billcode = peg->billcode;
            message.itemno = peg->itemno;
        }
        return message;
    }

    //! Working days after `from` up to and including `to`.
    int WorkDaysBetween(DateTime from, DateTime to) const
    {
        const auto& days = engine.calendar;
        return static_cast<int>(std::upper_bound(days.begin(), days.end(), to) -
                                std::upper_bound(days.begin(), days.end(), from));
    }

    void Add(MrpException message) { pending.push_back(std::move(message)); }

    void AddReceipt(MrpExceptionKind kind, std::int32_t goodsid, DateTime date, const Receipt& receipt,
                    std::string text)
    {
        Add({kind, goodsid, date, receipt.quantity, receipt.billname, receipt.billcode, receipt.itemno, std::move(text)});
    }

    //! Moves the messages of one goods to the result, by date.
    void Flush()
    {
        std::stable_sort(pending.begin(), pending.end(), [](const auto& a, const auto& b) { return a.date < b.date; });
        std::move(pending.begin(), pending.end(), std::back_inserter(found));
        pending.clear();
    }

    static inline const std::vector<MrpPegLine> NoPegs;

    const MrpEngine& engine;
    const MrpExceptionThresholds thresholds;
    const DateTime lastWorkDay;  // a start on the working day before a weekend today is not late
    ReceiptsByGoods receipts;
    std::vector<MrpException> pending;
    std::vector<MrpException> found;
    std::unordered_set<std::string> namedWithoutRecord;  // the engine's warnings these messages replace
};

}  // namespace

std::string_view MrpExceptionCaption(MrpExceptionKind kind)
{
    switch (kind) {
        case MrpExceptionKind::RescheduleIn:
            return "提前";
        case MrpExceptionKind::RescheduleOut:
            return "推迟";
        case MrpExceptionKind::Cancel:
            return "取消";
        case MrpExceptionKind::PastDemand:
            return "过期需求";
        case MrpExceptionKind::ShortLeadTime:
            return "提前期不足";
        case MrpExceptionKind::BelowSafety:
            return "低于安全库存";
        case MrpExceptionKind::Unplanned:
            return "未计划";
    }
    return "";
}

std::vector<MrpExceptionKind> MrpExceptionKinds()
{
    return {MrpExceptionKind::RescheduleIn, MrpExceptionKind::RescheduleOut, MrpExceptionKind::Cancel,
            MrpExceptionKind::PastDemand,   MrpExceptionKind::ShortLeadTime, MrpExceptionKind::BelowSafety,
            MrpExceptionKind::Unplanned};
}

std::vector<MrpException> FindMrpExceptions(const MrpEngine& engine, const std::vector<MrpReceiptDocument>& receipts,
                                            const MrpExceptionThresholds& thresholds)
{
    return ExceptionPass(engine, receipts, thresholds).Run();
}

void FillMrpExceptionTable(DataSet& cdsException, const std::vector<MrpException>& messages)
{
    DataSetRowSink rows(cdsException);
    GoodsTexts goods;
    WriteMrpExceptionRows(rows, messages, goods);
}

void WriteMrpExceptionRows(MrpRowSink& rows, const std::vector<MrpException>& messages, GoodsTexts& goods)
{
    MrpRowWriter writer(rows, {{"kind", FieldType::Text},
                               {"goodsid", FieldType::Integer},
                               {"goodscode", FieldType::Text},
                               {"goodsname", FieldType::Text},
                               {"needdate", FieldType::DateTime},
                               {"quantity", FieldType::Float},
                               {"billname", FieldType::Text},
                               {"billcode", FieldType::Text},
                               {"itemno", FieldType::Integer},
                               {"text", FieldType::Text}});
    for (const auto& m : messages) {
        const bool known = m.goodsid != 0;
        writer.Write({std::string(MrpExceptionCaption(m.kind)), known ? Variant(m.goodsid) : Variant(),
                      known ? goods.Code(m.goodsid) : Variant(), known ? goods.Name(m.goodsid) : Variant(), m.date,
                      m.quantity, m.billname, m.billcode,
                      m.itemno > 0 ? Variant(m.itemno) : Variant(), m.text});
    }
}

}  // namespace mfg
