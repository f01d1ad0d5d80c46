// The cash forecast of a run: balances, receivables and payables due, wages repeated monthly, a
// daily expense and the amounts of the purchase suggestions, up to the plan horizon.
#include <algorithm>

#include "MrpEngine.h"
#include "MrpFields.h"
#include "host/Format.h"

namespace mfg {

namespace {

bool HasAmounts(const MrpFundsLine& line)
{
    return line.stock != 0 || line.calccharge != 0 || line.calcpay != 0 || line.mrppursug != 0 || line.laborage != 0 ||
           line.storelower != 0;
}

//! The wage day of a month: the day of the month paid last month, as far as the month has it.
int WageDay(int day, int month)
{
    if (month == 2) return std::min(day, 28);
    if (day == 31 && (month == 4 || month == 6 || month == 9 || month == 11)) return 30;
    return day;
}

}  // namespace

void MrpEngine::FillFundsProjection(DataSet& cdsPurSug, DataSet& cdsBudget, int period, double dailyExpense)
{
    if (cdsPurSug.State() == DataSetState::Edit || cdsPurSug.State() == DataSetState::Insert) cdsPurSug.Post();
    // Lines that earlier projections appended hold only wages and suggestion amounts; dropping them
    // with the amounts keeps a repeated projection from counting their dates again.
    for (auto& line : fundsLines) line.mrppursug = line.laborage = 0;
    std::erase_if(fundsLines, [](const MrpFundsLine& line) { return !HasAmounts(line); });

    const int year = today.Year();
    const int month = today.Month();
    const int horizonMonth = horizonEnd.Month();
    const int months = horizonMonth >= month ? horizonMonth - month + 1 : 12 - month + horizonMonth + 1;
    for (int i = 0; i < months; ++i) {
        const int y = year + (month - 1 + i) / 12;
        const int m = (month - 1 + i) % 12 + 1;
        for (const auto& wage : wageLines) {
            const DateTime day = OffsetWorkDays(DateTime::FromYmd(y, m, WageDay(wage.date.Day(), m)), 0, false);
            if (day < today) continue;
            MrpFundsLine line;
            line.date = day;
            line.laborage = wage.laborage;
            fundsLines.push_back(line);
        }
    }

    std::map<DateTime, std::size_t> firstByDate;
    for (std::size_t i = 0; i < fundsLines.size(); ++i) firstByDate.try_emplace(fundsLines[i].date, i);
    if (cdsPurSug.Active()) {
        Field* revdate = cdsPurSug.FindField("revdate");
        Field* amount = cdsPurSug.FindField("amount");
        for (cdsPurSug.First(); revdate && amount && !cdsPurSug.Eof(); cdsPurSug.Next()) {
            const DateTime date = std::max(revdate->AsDateTime().Date(), today);
            const double value = FormatAmount(amount->AsFloat());
            if (auto it = firstByDate.find(date); it != firstByDate.end()) {
                fundsLines[it->second].mrppursug += value;
                continue;
            }
            firstByDate.emplace(date, fundsLines.size());
            MrpFundsLine line;
            line.date = date;
            line.mrppursug = value;
            fundsLines.push_back(line);
        }
    }

    fundsByDate.clear();
    for (const auto& line : fundsLines) {
        if (line.date > horizonEnd) continue;
        MrpFundsLine& total = fundsByDate[line.date];
        total.date = line.date;
        total.stock += line.stock;
        total.calccharge += line.calccharge;
        total.calcpay += line.calcpay;
        total.mrppursug += line.mrppursug;
        total.laborage += line.laborage;
        total.storelower += line.storelower;
    }
    std::map<DateTime, MrpFundsLine> groups;
    for (const auto& [date, total] : fundsByDate) {
        MrpFundsLine& group = groups[PeriodKey(date, period)];
        group.stock += total.stock;
        group.calccharge += total.calccharge;
        group.calcpay += total.calcpay;
        group.mrppursug += total.mrppursug;
        group.laborage += total.laborage;
        group.storelower += total.storelower;
        group.dailyexpense += dailyExpense;
    }

    MrpRowWriter writer(cdsBudget, {{"date", FieldType::DateTime},      {"stock", FieldType::Float},
                                    {"calccharge", FieldType::Float},    {"calcpay", FieldType::Float},
                                    {"mrppursug", FieldType::Float},     {"dailyexpense", FieldType::Float},
                                    {"laborage", FieldType::Float},      {"onhand", FieldType::Float},
                                    {"storelower", FieldType::Float},    {"hardup", FieldType::Float}});
    bool first = true;
    double carried = 0;
    for (const auto& [key, group] : groups) {
        if (!HasAmounts(group) && dailyExpense == 0) continue;
        if (first) carried = group.stock;
        first = false;
        const double expense = period == 1 ? dailyExpense : group.dailyexpense;
        const double onhand = carried + group.calccharge - group.calcpay - group.mrppursug - expense - group.laborage;
        const double hardup = onhand - group.storelower;
        writer.Write({key, carried, group.calccharge, group.calcpay, group.mrppursug, expense, group.laborage, onhand,
                      group.storelower, hardup});
        carried = hardup;
    }
    cdsBudget.First();
}

}  // namespace mfg
