// mfg mrp: one MRP run from the console, demand from schedule lines, sales orders or typed goods,
// results as text tables, JSON or a workbook with a sheet per result.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <span>
#include <unordered_map>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "Database.h"
#include "ManufactureRelease.h"
#include "MrpEngine.h"
#include "MrpExceptions.h"
#include "MrpRunParams.h"
#include "PurchaseRelease.h"
#include "SelectionFilters.h"
#include "SuggestionRows.h"
#include "export/SpreadsheetExport.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr int MrpPrivilege = 2044;

struct MrpOptions {
    std::vector<std::string> mps, sales, goods, with, without, lot;
    std::optional<std::uint32_t> optionMask;
    std::string optionsFrom;
    std::string period = "day";
    bool bookStock = false, includeUnaudited = false, json = false, exceptions = false;
    std::optional<int> earlyDays, lateDays;
    std::string xlsx;
    std::optional<double> dailyExpense;
    std::string release, trader, workshop;
};

//! A demand that cannot be planned: the text says which, the exit code is 2.
struct DemandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

//! The audited schedule lines of the branch: "all" takes those the workbench's plan selection
//! offers (not released in full, not frozen), codes name lines whatever was released of them.
std::vector<MrpLine> ScheduleLines(const std::vector<std::string>& codes, int shop)
{
    const bool all = codes.size() == 1 && codes[0] == "all";
    std::string sql =
        std::string(kPlanListSql) + (all ? kUnreleasedPlanCondition : "") + " and m.ShopID=" + std::to_string(shop);
    if (!all) {
        std::string list;
        for (const auto& code : codes) list += (list.empty() ? "" : ",") + QuoteSql(code);
        sql += " and m.billcode in (" + list + ")";
    }
    auto query = CreateAutoQuery(sql + " order by m.billcode, m.itemno", true);
    std::vector<MrpLine> lines;
    for (query->First(); !query->Eof(); query->Next()) {
        MrpLine line;
        line.goodsid = static_cast<std::int32_t>(query->FieldByName("goodsid").AsInteger());
        line.date = query->FieldByName("finishdate").AsDateTime().Date();
        line.quantity = query->FieldByName("quantity").AsFloat();
        line.billtype = 43;
        line.billid = static_cast<std::int32_t>(query->FieldByName("billid").AsInteger());
        line.billcode = query->FieldByName("billcode").AsString();
        line.billdate = query->FieldByName("billdate").AsDateTime();
        line.planqty = line.quantity;
        line.finishedqty = query->FieldByName("releasedqty").AsFloat();
        lines.push_back(std::move(line));
    }
    for (const auto& code : all ? std::vector<std::string>{} : codes)
        if (std::none_of(lines.begin(), lines.end(), [&](const MrpLine& l) { return l.billcode == code; }))
            throw DemandError(fmt::format("没有已审核的主生产计划单 {}", code));
    return lines;
}

std::vector<MrpLine> SalesLines(const std::vector<std::string>& arguments)
{
    std::vector<MrpLine> lines;
    for (const auto& argument : arguments) {
        auto parts = Split(argument, ':');
        std::string sql = "select m.billid, d.itemno, m.billdate, m.billcode, m.shopid, d.chargedate as revdate, "
                          "d.goodsid, d.quantity, d.releasedqty from s_orderdetail d join s_order m on "
                          "d.billid=m.billid where d.closed=0 and m.billstate = 1 and m.billcode=" +
                          QuoteSql(parts[0]);
        if (parts.size() > 1)
            sql += " and d.itemno=" + std::to_string(ParseUserInteger(parts[1], ArgumentCaption("销售订单行号", "--sales"),
                                                                      1, std::numeric_limits<int>::max()));
        auto query = CreateAutoQuery(sql + " order by d.itemno", true);
        if (query->IsEmpty()) throw DemandError(fmt::format("没有已审核且未关闭的销售订单行 {}", argument));
        for (query->First(); !query->Eof(); query->Next()) {
            MrpLine line;
            line.goodsid = static_cast<std::int32_t>(query->FieldByName("goodsid").AsInteger());
            line.date = query->FieldByName("revdate").AsDateTime().Date();
            line.quantity = query->FieldByName("quantity").AsFloat();
            line.shopid = static_cast<std::int32_t>(query->FieldByName("shopid").AsInteger());
            line.billtype = 12;
            line.billid = static_cast<std::int32_t>(query->FieldByName("billid").AsInteger());
            line.itemno = static_cast<std::int32_t>(query->FieldByName("itemno").AsInteger());
            line.billcode = query->FieldByName("billcode").AsString();
            line.billdate = query->FieldByName("billdate").AsDateTime();
            line.planqty = line.quantity;
            line.finishedqty = query->FieldByName("releasedqty").AsFloat();
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::vector<MrpLine> TypedLines(const std::vector<std::string>& arguments)
{
    std::vector<MrpLine> lines;
    for (const auto& argument : arguments) {
        auto parts = Split(argument, ':');
        if (parts.size() != 3) throw DemandError(fmt::format("--goods 应为 编码:数量:yyyy-mm-dd, 而不是 {}", argument));
        Variant id = LookupDataEx(3, "code", std::string(parts[0]), "goodsid");
        if (id.IsNull()) throw DemandError(fmt::format("没有编码为 {} 的货品", parts[0]));
        MrpLine line;
        line.goodsid = static_cast<std::int32_t>(id.AsInteger());
        line.quantity = ParseUserNumber(parts[1], ArgumentCaption("需求数量", "--goods"), NumberRange::Positive());
        line.date = ParseDateOption(std::string(parts[2]), "--goods").Date();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::uint32_t OptionMask(const MrpOptions& o, std::uint32_t base)
{
    std::uint32_t mask = base;
    if (o.optionMask) mask = *o.optionMask;
    auto bit = [](const std::string& name) {
        std::uint32_t value = MrpOptionByName(name);
        if (value == 0) throw DemandError(fmt::format("没有选项 {} (可用: {})", name, fmt::join(MrpOptionNames(), " ")));
        return value;
    };
    for (const auto& name : o.with) mask |= bit(name);
    for (const auto& name : o.without) mask &= ~bit(name);
    return mask;
}

//! A column of a result as shown: one of the result's values, or the code of its goods.
struct ShownColumn {
    std::string_view name;
    FieldType type;
    std::size_t source;  //!< the index of the value; of the goods id for the code
    bool code;
};

//! The columns of a result as shown: goods also by code, beside the goods id, unless the result
//! carries its code.
std::vector<ShownColumn> ShownColumns(std::span<const MrpColumn> columns)
{
    const bool withCode = std::none_of(columns.begin(), columns.end(), [](const MrpColumn& column) {
        return std::string_view(column.name) == "goodscode";
    });
    std::vector<ShownColumn> shown;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        shown.push_back({columns[i].name, columns[i].type, i, false});
        if (withCode && std::string_view(columns[i].name) == "goodsid")
            shown.push_back({"goodscode", FieldType::Text, i, true});
    }
    return shown;
}

//! The value of a shown column in a row; a row shorter than the columns leaves its last cells empty.
Variant ShownValue(const ShownColumn& column, std::span<const Variant> values, GoodsTexts& goods)
{
    if (column.source >= values.size() || values[column.source].IsNull()) return {};
    if (column.code) return goods.Code(static_cast<std::int32_t>(values[column.source].AsInteger()));
    return values[column.source];
}

//! The columns of a dataset as a result's.
std::vector<MrpColumn> DataSetColumns(const DataSet& data)
{
    std::vector<MrpColumn> columns;
    for (int i = 0; i < data.FieldCount(); ++i)
        columns.push_back({data.FieldByIndex(i).Name().c_str(), data.FieldByIndex(i).DataType()});
    return columns;
}

//! Passes each row of a dataset to `write` as values in the order of its fields.
template <typename Write>
void EachRow(DataSet& data, Write write)
{
    std::vector<Variant> values(static_cast<std::size_t>(data.FieldCount()));
    for (data.First(); !data.Eof(); data.Next()) {
        for (int i = 0; i < data.FieldCount(); ++i) values[static_cast<std::size_t>(i)] = data.FieldByIndex(i).Value();
        write(std::span<const Variant>(values));
    }
}

//! The rows of a dataset as a result set, for the text tables.
ResultSet Rows(DataSet& data)
{
    const std::vector<MrpColumn> fields = DataSetColumns(data);
    const std::vector<ShownColumn> shown = ShownColumns(fields);
    ResultSet rows;
    for (const auto& column : shown) rows.columns.push_back({std::string(column.name), column.type});
    GoodsTexts goods;
    EachRow(data, [&](std::span<const Variant> values) {
        std::vector<Variant>& row = rows.rows.emplace_back();
        for (const auto& column : shown) row.push_back(ShownValue(column, values, goods));
    });
    return rows;
}

//! Writes the rows of a result as a JSON array as they come, each an object keyed by column name in
//! the order ToJson gives them, with the code of its goods beside the goods id: a large run's
//! results are never held, nor a row built as an object.
class JsonRows final : public MrpRowSink {
public:
    JsonRows(JsonStream& out, GoodsTexts& goods) : out(out), goods(goods) {}

    void Start(std::span<const MrpColumn> columns) override
    {
        std::vector<ShownColumn> shown = ShownColumns(columns);
        std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        keys.clear();
        // A name twice keeps the later value, as an object's key does.
        for (std::size_t k = 0; k < shown.size(); ++k)
            if (k + 1 == shown.size() || shown[k].name != shown[k + 1].name)
                keys.push_back({(keys.empty() ? "" : ",") + JsonText(shown[k].name) + ":", shown[k]});
        out << "[";
        first = true;
    }

    void Write(std::span<const Variant> values) override
    {
        out << (first ? "\n{" : ",\n{");
        first = false;
        for (const Key& key : keys) {
            out << key.json;
            // A value is written as its column's type, as a dataset's field would hold it.
            const Variant value = ShownValue(key.column, values, goods);
            if (key.column.type == FieldType::Float && !value.IsNull())
                out.Number(value.AsFloat());
            else
                out.Value(value);
        }
        out << "}";
    }

    //! Closes the array.
    void Finish() { out << "\n]"; }

private:
    struct Key {
        std::string json;  //!< the quoted name and its colon, after a comma but for the first
        ShownColumn column;
    };

    JsonStream& out;
    GoodsTexts& goods;
    std::vector<Key> keys;
    bool first = true;
};

//! Writes the rows of a dataset as JsonRows does.
void StreamRows(JsonStream& out, DataSet& data, GoodsTexts& goods)
{
    JsonRows rows(out, goods);
    rows.Start(DataSetColumns(data));
    EachRow(data, [&](std::span<const Variant> values) { rows.Write(values); });
    rows.Finish();
}

//! Writes the goods tree as nested objects straight from the run, a node at a time: the tree of a
//! large run has hundreds of thousands of nodes, which a tree of items would hold twice.
void StreamTree(JsonStream& out, const MrpEngine& engine, GoodsTexts& goods)
{
    // What a node says of its goods alone, made once per goods: a goods of a large tree stands at
    // thousands of places in it. The node's JSON before its quantity, and after it up to the
    // quantity in its text.
    std::unordered_map<std::int32_t, std::pair<std::string, std::string>> heads;
    int previous = -1;  // the depth of the node written last, whose components are still open
    engine.WalkGoodsTree([&](int depth, std::int32_t goodsid, double quantity) {
        if (depth <= previous) {
            for (int open = previous; open >= depth; --open) out << "]}";
            out << (depth == 0 ? ",\n" : ",");
        }
        previous = depth;
        auto [head, made] = heads.try_emplace(goodsid);
        if (made) {
            const std::string code = goods.Code(goodsid).AsString();
            std::string text = JsonStream::Quoted(MrpEngine::GoodsTreeTextHead(code, goods.Name(goodsid).AsString()));
            text.pop_back();  // the text goes on with the quantity
            head->second = {"{\"goodscode\":" + JsonStream::Quoted(code) + ",\"goodsid\":" + std::to_string(goodsid) +
                                ",\"quantity\":",
                            ",\"text\":" + text};
        }
        out << head->second.first;
        out.Number(quantity);
        out << head->second.second << MrpEngine::GoodsTreeTextQuantity(quantity) << "\",\"children\":[";
    });
    for (; previous >= 0; --previous) out << "]}";
}

//! Writes every result of the run as one JSON object on standard output; the gross and net rows
//! and the messages straight from the run as they are made. The tree, the largest part, is made on
//! the machine's other core meanwhile and comes last.
void WriteJson(const MrpEngine& engine, int period, DataSet& manufacture, DataSet& purchase, DataSet& budget,
               const std::shared_future<std::vector<MrpException>>& messages)
{
    GoodsTexts goods;
    goods.Read();
    std::future<std::vector<std::string>> tree = std::async(std::launch::async, [&engine, &goods] {
        JsonStream part;
        StreamTree(part, engine, goods);
        return part.Take();
    });
    // A large run writes for seconds after the calculation: the stage shows which part is going out.
    auto section = [&engine](int done) {
        if (engine.progress) engine.progress("write", done / 7.0);
    };
    JsonStream out(std::cout);
    JsonRows rows(out, goods);
    section(0);
    out << "{\"gross\":";
    engine.WriteGrossRows(rows);
    rows.Finish();
    section(1);
    out << ",\n\"net\":";
    engine.WriteNetRows(rows, period);
    rows.Finish();
    section(2);
    out << ",\n\"manufacture\":";
    StreamRows(out, manufacture, goods);
    section(3);
    out << ",\n\"purchase\":";
    StreamRows(out, purchase, goods);
    out << ",\n\"funds\":";
    StreamRows(out, budget, goods);
    section(4);
    out << ",\n\"exceptions\":";
    WriteMrpExceptionRows(rows, messages.get(), goods);
    rows.Finish();
    section(5);
    out << ",\n\"warnings\":" << JsonText(engine.warnings) << ",\n\"tree\":[";
    const std::vector<std::string> pieces = tree.get();
    section(6);
    for (const auto& piece : pieces) out << piece;
    out << "]}\n";
    out.Flush();
    section(7);
}

//! The tree as a table for the workbook: one row per node with its depth.
void TreeRows(const TreeItems& tree, DataSet& target)
{
    target.AddField("level", FieldType::Integer);
    target.AddField("text", FieldType::Text);
    target.AddField("goodsid", FieldType::Integer);
    target.AddField("quantity", FieldType::Float);
    target.CreateDataSet();
    const_cast<TreeItems&>(tree).Walk([&](TreeNode& node) {
        target.AppendRecord({node.Level(), node.Text(), node.Value("goodsid"), node.Value("quantity")});
        return true;
    });
}

//! Draws the stage on stderr once the run has taken longer than a second.
MrpEngine::Progress StderrProgress()
{
    auto start = std::chrono::steady_clock::now();
    return [start](std::string_view stage, double fraction) {
        if (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return;
        std::cerr << fmt::format("\rMRP {:<10} {:3.0f}%", stage, fraction * 100) << std::flush;
    };
}

//! The id of a code in a look-up cache; a DemandError naming the option when there is none.
std::int32_t IdOfCode(int kind, const std::string& code, const char* idField, const char* option)
{
    if (code.empty()) return 0;
    Variant id = LookupDataEx(kind, "Code", code, idField);
    if (id.IsNull()) throw DemandError(fmt::format("{} 没有编码为 {} 的记录", option, code));
    return static_cast<std::int32_t>(id.AsInteger());
}

//! A trader a purchase may be placed with, as the supplier query of the purchase release has it.
bool IsSupplier(std::int32_t trader)
{
    return GetValueOfSql("select count(*) from l_trader where (isclient=0 or acctrader=1) and traderid = " +
                             std::to_string(trader),
                         0)
               .AsInteger() > 0;
}

//! Prints a code as soon as it is told, so that a process killed afterwards has shown it.
void PrintCode(const std::string& code)
{
    std::cout << code << std::endl;
}

//! Releases every suggestion of the run as documents of one kind and prints the codes written.
int ReleaseSuggestions(const MrpEngine& engine, const MrpOptions& o, unsigned lotFlags)
{
    const std::map<std::string, int> kinds{{"purchase", 2}, {"request", 5}, {"manufacture", 42}, {"outsource", 54}};
    auto kind = kinds.find(o.release);
    std::int32_t trader = 0, workshop = 0;
    try {
        if (kind == kinds.end()) throw DemandError("--release 应为 purchase, request, manufacture 或 outsource");
        trader = IdOfCode(19, o.trader, "TraderID", "--trader");
        if (trader && !IsSupplier(trader)) throw DemandError(fmt::format("--trader {} 不是供应商", o.trader));
        workshop = IdOfCode(28, o.workshop, "WorkShopID", "--workshop");
    } catch (const DemandError& error) {
        std::cerr << error.what() << '\n';
        return 2;
    }
    std::vector<std::string> codes;
    if (kind->second == 2 || kind->second == 5) {
        DataSet cdsPurSug("cdsPurSug");
        FillPurchaseSuggestionsForRelease(engine, cdsPurSug, lotFlags);
        PurchaseRelease release(kind->second);
        release.OnCode(PrintCode);
        codes = release.Release(cdsPurSug, [&](std::int32_t, const std::string& text) {
            if (trader == 0) std::cerr << text << "\n(--trader 编码 指定往来单位)\n";
            return trader;
        });
    } else {
        ManufactureRelease release(kind->second);
        release.OnCode(PrintCode);
        if (!release.Permitted()) return 1;
        DataSet cdsManuSug("cdsManuSug"), cdsManu("cdsManu");
        FillManufactureSuggestionsForRelease(engine, cdsManuSug);
        engine.BuildManufactureRelease(cdsManu, cdsManuSug);
        // The processor or workshop given on the command line takes every order.
        for (cdsManu.First(); !cdsManu.Eof(); cdsManu.Next()) {
            if (!cdsManu.FieldByName("goodscode").AsString().empty()) continue;
            cdsManu.Edit();
            if (trader) cdsManu.FieldByName("traderid").SetValue(trader);
            if (workshop) cdsManu.FieldByName("workid").SetValue(workshop);
            cdsManu.Post();
        }
        if (auto problem = release.Check(cdsManu)) {
            std::cerr << fmt::format("第 {} 行: {}\n", problem->recNo, problem->message);
            return 2;
        }
        codes = release.Release(cdsManu, engine);
    }
    return codes.empty() ? 1 : 0;
}

//! Reads the open orders' documents on a connection of its own, beside the run, with the host's now
//! as the connection's clock: the machine's second core reads while the first calculates.
std::future<std::vector<MrpReceiptDocument>> ReadReceiptsAside(const std::string& url, int shop, bool includeUnaudited,
                                                               DateTime now)
{
    return std::async(std::launch::async, [=] {
        auto connection = OpenExistingDatabase(url);
        connection->SetClock([now] { return now; });
        return MrpEngine::ReadReceiptDocuments(*connection, shop, includeUnaudited, now.Date());
    });
}

//! The documents read beside the run; read again on the host's own connection when the other
//! could not be had (a server at its connection limit, say), so that the run is not lost for it.
std::vector<MrpReceiptDocument> ReceiptsRead(std::future<std::vector<MrpReceiptDocument>>& aside,
                                             const MrpEngine& engine)
{
    try {
        return aside.get();
    } catch (const std::exception&) {
        return engine.ReadReceiptDocuments();
    }
}

int RunMrp(const Session& session, const MrpOptions& o)
{
    ConsoleHost console(session);
    // The workbench opens with the run right and exports its results with the export right.
    if (!console.Permitted(MrpPrivilege, PrivKind::Run)) return 4;
    if ((o.json || !o.xlsx.empty()) && !console.Permitted(MrpPrivilege, PrivKind::Export)) return 4;
    std::vector<MrpLine> plan;
    std::uint32_t options = 0;
    int period = 1;
    unsigned lotFlags = 0;
    // The workbench's settings file gives the switches the screen would run with; a name that is
    // no file would silently run with the defaults instead.
    MrpRunParams saved;
    if (!o.optionsFrom.empty()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(o.optionsFrom, error)) {
            std::cerr << fmt::format("--options-from {} 不是可读取的设置文件。\n", o.optionsFrom);
            return 2;
        }
        saved = MrpRunParams::ReadFile(o.optionsFrom);
    }
    const bool realStock = !o.bookStock && (o.optionsFrom.empty() || saved.RealStock());
    const bool includeUnaudited = o.includeUnaudited || (!o.optionsFrom.empty() && saved.IncludeUnaudited());
    MrpExceptionThresholds thresholds = saved.thresholds;
    try {
        options = OptionMask(o, o.optionsFrom.empty() ? MrpDefaultOptions : saved.Options(HadUpgradeTo("3.40")));
        period = o.period == "week" ? 2 : o.period == "month" ? 4 : o.period == "day" ? 1 : 0;
        if (period == 0) throw DemandError("--period 应为 day, week 或 month");
        for (const auto& flag : o.lot) {
            if (flag == "min") lotFlags |= MrpLotMinimum;
            else if (flag == "inc") lotFlags |= MrpLotIncrement;
            else throw DemandError("--lot 应为 min, inc 或 min,inc");
        }
        if (o.earlyDays) thresholds.earlyDays = *o.earlyDays;
        if (o.lateDays) thresholds.lateDays = *o.lateDays;
        if (!o.mps.empty()) plan = ScheduleLines(o.mps, console.host.ShopID());
        for (auto& line : SalesLines(o.sales)) plan.push_back(std::move(line));
        for (auto& line : TypedLines(o.goods)) plan.push_back(std::move(line));
        if (plan.empty()) throw DemandError("请正确选择需要计算的计划.");
        DateTime first = console.host.GetValueOfSql("select min(workdate) from mnf_calendar where isholiday=0").AsDateTime();
        DateTime last = console.host.GetValueOfSql("select max(workdate) from mnf_calendar where isholiday=0").AsDateTime();
        for (const auto& line : plan)
            if (line.date < first.Date() || line.date > last.Date())
                throw DemandError(fmt::format("完工日期 {} 不在工作日历 {} 至 {} 之内", line.date.ToIsoString(),
                                              first.Date().ToIsoString(), last.Date().ToIsoString()));
    } catch (const DemandError& error) {
        std::cerr << error.what() << '\n';
        return 2;
    }
    std::vector<MrpLine> orders;
    std::string scope;
    for (const auto& line : plan) {
        scope += (scope.empty() ? "" : ",") + std::to_string(line.goodsid);
        if (line.billtype == 12) orders.push_back(line);
    }

    // Only the outputs that show the messages pay for the documents behind them.
    const bool withExceptions = o.json || o.exceptions || !o.xlsx.empty();
    std::future<std::vector<MrpReceiptDocument>> receipts;
    if (withExceptions)
        receipts =
            ReadReceiptsAside(session.url, console.host.ShopID(), includeUnaudited, console.host.GetSystemTime());
    MrpEngine engine;
    engine.progress = StderrProgress();
    const bool loaded = engine.Load(realStock, includeUnaudited, "'" + scope + "'");
    const bool calculated = loaded && engine.Calculate(plan, orders, options);
    std::cerr << "\r";
    if (!loaded) return 3;
    // A run that stopped has shown its reason already; JSON carries the warnings itself.
    if (calculated && !o.json)
        for (const auto& warning : engine.warnings) std::cerr << "警告: " << warning << '\n';
    if (!o.release.empty()) return calculated ? ReleaseSuggestions(engine, o, lotFlags) : 3;

    DataSet manufacture("cdsManuSug"), purchase("cdsPurSug"), budget("cdsBudget");
    engine.FillManufactureSuggestions(manufacture);
    engine.FillPurchaseSuggestions(purchase, lotFlags);
    const bool withFunds = calculated && LookupSysParam("IsBand") == "1";
    if (withFunds) engine.FillFundsProjection(purchase, budget, period, o.dailyExpense.value_or(0));
    // The messages are found on the other core while the results are written: from here on the
    // run is only read.
    std::vector<MrpReceiptDocument> documents;
    std::shared_future<std::vector<MrpException>> messages;  // asked for only by the outputs that show them
    if (withExceptions) {
        documents = ReceiptsRead(receipts, engine);
        messages =
            std::async(std::launch::async, [&] { return FindMrpExceptions(engine, documents, thresholds); }).share();
    }
    DataSet exceptions("cdsException");
    if (o.exceptions || !o.xlsx.empty()) FillMrpExceptionTable(exceptions, messages.get());
    if (!budget.Active()) {
        budget.AddField("date", FieldType::DateTime);
        budget.CreateDataSet();
    }

    if (!o.xlsx.empty()) {
        TreeItems tree;
        DataSet gross("cdsGross"), net("cdsNet"), treeTable;
        engine.FillGoodsTree(tree);
        engine.FillGrossTable(gross);
        engine.FillNetTable(net, period);
        TreeRows(tree, treeTable);
        std::vector<std::pair<SpreadsheetExport, const DataSet*>> sheets;
        auto sheet = [&](const char* name, const char* title, const DataSet& data) {
            SpreadsheetExport settings;
            settings.sheetName = name;
            settings.title = title;
            sheets.emplace_back(std::move(settings), &data);
        };
        sheet("gross", "毛需求", gross);
        sheet("tree", "毛需求树", treeTable);
        sheet("net", "净需求", net);
        sheet("manufacture", "生产建议", manufacture);
        sheet("purchase", "采购建议", purchase);
        sheet("exceptions", "异常信息", exceptions);
        if (withFunds) sheet("funds", "资金预算", budget);
        SpreadsheetExport::WriteWorkbook(sheets, o.xlsx);
        std::cerr << fmt::format("已导出到 {}\n", o.xlsx);
    }
    if (o.json) {
        WriteJson(engine, period, manufacture, purchase, budget, messages);
        std::cerr << "\r";
    } else if (o.exceptions) {
        std::cout << "异常信息\n";
        PrintTable(std::cout, Rows(exceptions));
    } else if (o.xlsx.empty() && calculated) {
        std::cout << "生产建议\n";
        PrintTable(std::cout, Rows(manufacture));
        std::cout << "采购建议\n";
        PrintTable(std::cout, Rows(purchase));
    }
    return calculated ? 0 : 3;
}

}  // namespace

void AddMrpCommands(const CommandLine& line)
{
    auto options = std::make_shared<MrpOptions>();
    auto& o = *options;
    auto* mrp = line.app.add_subcommand("mrp", "MRP 运算: 展开、净需求、生产与采购建议");
    mrp->add_option("--mps", o.mps, "已审核的主生产计划单: all 或单据编号");
    mrp->add_option("--sales", o.sales, "销售订单: 单据编号[:行号]");
    mrp->add_option("--goods", o.goods, "手工需求: 货品编码:数量:yyyy-mm-dd");
    mrp->add_option_function<std::string>(
        "--options",
        [&o](const std::string& text) {
            o.optionMask = static_cast<std::uint32_t>(ParseUserInteger(
                text, ArgumentCaption("选项位", "--options"), 0, std::numeric_limits<std::uint32_t>::max(), 16));
        },
        "选项位 (十六进制, 如 0x47ef)");
    mrp->add_option("--options-from", o.optionsFrom, "取 MRP 运算界面保存的参数 (System.ini 的 MRParam 节)");
    mrp->add_option("--with", o.with, "打开的选项 (optSaleQty 等)");
    mrp->add_option("--without", o.without, "关闭的选项");
    mrp->add_flag("--book-stock", o.bookStock, "库存指帐面库存 (默认实际库存)");
    mrp->add_flag("--include-unaudited", o.includeUnaudited, "计算包含未审核单据");
    mrp->add_option("--period", o.period, "净需求期间: day, week 或 month");
    mrp->add_option("--lot", o.lot, "采购批量: min (最小订货批量), inc (订货批量增量)")->delimiter(',');
    AddNumberOption(mrp, "--daily-expense", o.dailyExpense, ArgumentCaption("日常费用", "--daily-expense"),
                    NumberRange::NonNegative(), "资金预算的每日费用");
    mrp->add_flag("--json", o.json, "以一个 JSON 对象输出全部结果");
    mrp->add_flag("--exceptions", o.exceptions, "只输出异常信息表");
    // A threshold of the exception messages in working days, named by its option alone.
    AddIntegerOption(mrp, "--early-days", o.earlyDays, "--early-days", 0, 250,
                     "到货晚于需要多少个工作日以上才提示提前 (默认取 --options-from 的设置或 0)");
    AddIntegerOption(mrp, "--late-days", o.lateDays, "--late-days", 0, 250,
                     "到货早于需要多少个工作日以上才提示推迟 (默认取 --options-from 的设置或 0)");
    mrp->add_option("--xlsx", o.xlsx, "导出到工作簿, 每项结果一张工作表");
    mrp->add_option("--release", o.release, "下达全部建议: purchase, request, manufacture 或 outsource, 输出单据编号");
    mrp->add_option("--trader", o.trader, "下达的往来单位 (供应商或加工单位) 编码");
    mrp->add_option("--workshop", o.workshop, "下达生产加工单的车间编码");
    line.OnChosen(mrp, [&session = line.session, options] { return RunMrp(session, *options); });
}

}  // namespace mfg
