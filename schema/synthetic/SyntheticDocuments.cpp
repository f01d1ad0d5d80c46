// The open documents of a generated factory. Each kind of document gets its share of the open
// lines; around them lie bills and lines that the MRP must leave out (not audited, cancelled,
// closed, expired, of the other branch, finished, fully delivered), so that its filters matter.
#include <algorithm>
#include <cmath>
#include <map>

#include <fmt/format.h>

#include "BillPlanner.h"
#include "FactoryModel.h"

namespace mfg::synthetic {
namespace {

enum Stream : std::uint64_t { kDocumentStream = 20 };

constexpr int kMainShop = 1, kBranchShop = 2;
constexpr int kMaterialStore = 1, kProductStore = 2;

//! A line that later documents refer to.
struct SourceLine {
    int billId = 0;
    int itemNo = 0;
    int goodsId = 0;
    double quantity = 0;
    DateTime date;
};

//! A document line before it is written.
struct LinePlan {
    int goodsId = 0;
    int unitId = 0;
    double rate = 1;
    double unitQuantity = 0;
    double referQty = 0;  //!< in the line's unit
    double price = 0;     //!< per line unit
    DateTime date;
    bool closed = false;
};

double Round4(double value) { return std::round(value * 10000) / 10000; }

class DocumentWriter {
public:
    DocumentWriter(Connection& db, const FactoryModel& model, SyntheticSummary& summary)
        : db(db), model(model), summary(summary), today(model.today)
    {
    }

    //! Purchase, import, sales and export orders share one layout.
    std::vector<SourceLine> WriteOrders(std::string_view header, std::string_view detail, std::string_view head, bool withDay,
                                        bool sales, int quota, std::uint64_t stream);
    std::vector<SourceLine> WriteSchedule(const std::vector<SourceLine>& salesLines, std::uint64_t stream);
    void WriteManufacture(const std::vector<SourceLine>& salesLines, const std::vector<SourceLine>& scheduleLines, int quota,
                          std::uint64_t stream);
    void WriteOutsourcing(int quota, std::uint64_t stream);
    void WritePurchaseRequests(int quota, std::uint64_t stream);
    //! Distribution requests (d_request) or distributions (d_distribute).
    void WriteTransfers(bool distributions, int quota, std::uint64_t stream);

private:
    //! The bill date of the n-th of about `expected` bills: spread over the last 60 days, in order.
    DateTime BillDate(int n, int expected) const { return today.AddDays(-60 + std::min(60, n * 60 / expected)); }
    std::string NextCode(std::string_view head, DateTime date, bool withDay)
    {
        std::string key = fmt::format("{}{}", head, date.Format(withDay ? "yyyymmdd" : "yyyymm"));
        return BillCodeText(head, date, withDay, ++serials[key]);
    }
    //! Lines of distinct goods, drawn by `pickGoods`, quantities in the unit of purchase when the goods has one.
    std::vector<LinePlan> PlanLines(SyntheticRandom& random, const BillShape& shape, const std::function<int()>& pickGoods,
                                    bool useAltUnit, int dateFrom, int dateTo);
    void CountLeftOut(const BillShape& shape)
    {
        for (size_t i = 0; i < shape.lines.size(); ++i)
            if (!shape.LineCounts(i)) ++summary.closedLines;
    }
    static int StateOf(BillStatus status)
    {
        return status == BillStatus::Unaudited ? 0 : (status == BillStatus::Cancelled ? 2 : 1);
    }
    static Variant CheckorOf(BillStatus status) { return StateOf(status) == 1 ? Variant(1) : Variant(); }

    Connection& db;
    const FactoryModel& model;
    SyntheticSummary& summary;
    DateTime today;
    std::map<std::string, int> serials;
};

std::vector<LinePlan> DocumentWriter::PlanLines(SyntheticRandom& random, const BillShape& shape,
                                                const std::function<int()>& pickGoods, bool useAltUnit, int dateFrom,
                                                int dateTo)
{
    std::vector<LinePlan> lines;
    std::vector<int> chosen;
    for (auto status : shape.lines) {
        auto taken = [&](int id) { return std::find(chosen.begin(), chosen.end(), id) != chosen.end(); };
        int goodsId = pickGoods();
        for (int attempt = 0; attempt < 10 && taken(goodsId); ++attempt) goodsId = pickGoods();
        // The materials always outnumber the lines of a bill.
        for (size_t i = 0; taken(goodsId); ++i) goodsId = model.materials[i];
        chosen.push_back(goodsId);
        const FactoryGoods& goods = model.Goods(goodsId);
        LinePlan line;
        line.goodsId = goodsId;
        const bool alt = useAltUnit && goods.altUnit > 0 && random.Chance(0.5);
        line.unitId = alt ? goods.altUnit : goods.baseUnit;
        line.rate = alt ? goods.altRate : 1;
        line.unitQuantity = alt ? random.Between(1, 50) : random.Between(1, goods.kind == kPurchased ? 2000 : 200);
        line.price = goods.price * line.rate;
        line.date = today.AddDays(random.Between(dateFrom, dateTo));
        if (status == LineStatus::Referred) line.referQty = line.unitQuantity;
        else if (line.unitQuantity > 1 && random.Chance(0.3)) line.referQty = random.Between(1, static_cast<int>(line.unitQuantity) - 1);
        line.closed = status == LineStatus::Closed;
        lines.push_back(line);
    }
    return lines;
}

std::vector<SourceLine> DocumentWriter::WriteOrders(std::string_view header, std::string_view detail, std::string_view head,
                                                    bool withDay, bool sales, int quota, std::uint64_t stream)
{
    SyntheticRandom random = model.Random(stream);
    TableWriter headers(db, summary.rows, header,
                        {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "TraderID", "ShopID", "EmpID", "OPID",
                         "CheckorID", "DepartmentID", "PayMethodID", "RevDate", "ValidDate", "Closed", "Amount", "MoneyID", "ExRate",
                         "lcAmount"}, {{"UpdateTime", model.today}});
    TableWriter details(db, summary.rows, detail,
                        {"BillID", "ItemNo", "StoreID", "GoodsID", "UnitID", "UnitQuantity", "Quantity", "UnitPrice", "Price",
                         "TaxRate", "Amount", "ReferQty", "Closed", "ChargeDate", "UnitQty1"});
    auto pickGoods = [&] {
        if (!sales) return random.Pick(model.materials);
        double kind = random.Unit();
        return random.Pick(kind < 0.7 ? model.finished : (kind < 0.8 ? model.semiFinished : model.materials));
    };
    std::vector<SourceLine> sourceLines;
    BillPlanner planner(random, quota, 10,
                        {BillStatus::Unaudited, BillStatus::Cancelled, BillStatus::Expired, BillStatus::OtherShop}, true);
    const int expected = planner.ExpectedBills(quota);
    BillShape shape;
    for (int billId = 1; planner.Next(shape); ++billId) {
        CountLeftOut(shape);
        auto lines = PlanLines(random, shape, pickGoods, !sales, sales ? -10 : -15, 90);
        DateTime billDate = BillDate(billId, expected);
        double amount = 0;
        for (const auto& line : lines) amount += line.unitQuantity * line.price;
        Variant validDate = shape.status == BillStatus::Expired ? Variant(today.AddDays(-random.Between(2, 30)))
                            : random.Chance(0.7)                ? Variant()
                                                                : Variant(today.AddDays(random.Between(10, 180)));
        int trader = random.Pick(sales ? model.customers : model.suppliers);
        headers.Add({billId, 1, StateOf(shape.status), NextCode(head, billDate, withDay), billDate, trader,
                     shape.status == BillStatus::OtherShop ? kBranchShop : kMainShop, sales ? 6 : 5, 1, CheckorOf(shape.status),
                     sales ? 5 : 4, 2, lines.front().date, validDate, 0, amount, 1, 1.0, amount});
        int itemNo = 0;
        for (const auto& line : lines) {
            ++itemNo;
            details.Add({billId, itemNo, sales ? kProductStore : kMaterialStore, line.goodsId, line.unitId, line.unitQuantity,
                         line.unitQuantity * line.rate, line.price, line.price / line.rate, 17.0, line.unitQuantity * line.price,
                         line.referQty, line.closed ? 1 : 0, line.date, line.unitQuantity});
            if (sales && shape.LineCounts(static_cast<size_t>(itemNo - 1)) && model.Goods(line.goodsId).kind == kFinished)
                sourceLines.push_back({billId, itemNo, line.goodsId, (line.unitQuantity - line.referQty) * line.rate, line.date});
        }
    }
    return sourceLines;
}

std::vector<SourceLine> DocumentWriter::WriteSchedule(const std::vector<SourceLine>& salesLines, std::uint64_t stream)
{
    SyntheticRandom random = model.Random(stream);
    TableWriter lines(db, summary.rows, "MNF_ManuPlan",
                      {"BillID", "ItemNo", "BillKind", "BillState", "BillDate", "ShopID", "BillCode", "ReferCount", "Frozen",
                       "GoodsID", "Quantity", "FinishDate", "ReleasedQty", "OPID", "CheckorID", "Closed", "SFlag",
                       "ReferBillID", "ReferItemNo"}, {{"UpdateTime", model.today}});
    std::vector<SourceLine> scheduleLines;
    size_t nextSales = 0;
    BillPlanner planner(random, model.size.mpsLines, 8, {BillStatus::Unaudited}, false);
    const int expected = planner.ExpectedBills(model.size.mpsLines);
    BillShape shape;
    for (int billId = 1; planner.Next(shape); ++billId) {
        CountLeftOut(shape);
        DateTime billDate = BillDate(billId, expected);
        std::string code = NextCode("JH", billDate, false);
        for (size_t i = 0; i < shape.lines.size(); ++i) {
            const int itemNo = static_cast<int>(i) + 1;
            // One schedule line in five comes from a sales order line, which the schema's trigger marks as taken.
            if (nextSales < salesLines.size() && random.Chance(0.2)) {
                const SourceLine& source = salesLines[nextSales];
                nextSales += 1 + static_cast<size_t>(random.Below(3));
                DateTime finish = std::max(today.AddDays(1), source.date.AddDays(-random.Between(1, 5)));
                lines.Add({billId, itemNo, 1, StateOf(shape.status), billDate, kMainShop, code, 0, 0, source.goodsId,
                           source.quantity, finish, 0.0, 1, CheckorOf(shape.status), 0, 0, source.billId, source.itemNo});
                if (shape.status == BillStatus::Open) scheduleLines.push_back({billId, itemNo, source.goodsId, source.quantity, finish});
                continue;
            }
            int goodsId = random.Pick(model.finished);
            double quantity = random.Between(10, 500);
            DateTime finish = today.AddDays(random.Between(7, 90));
            double released = random.Chance(0.1) ? random.Between(1, static_cast<int>(quantity) - 1) : 0.0;
            lines.Add({billId, itemNo, 1, StateOf(shape.status), billDate, kMainShop, code, 0, 0, goodsId, quantity, finish,
                       released, 1, CheckorOf(shape.status), 0, 0, Variant(), Variant()});
            if (shape.status == BillStatus::Open) scheduleLines.push_back({billId, itemNo, goodsId, quantity, finish});
        }
    }
    return scheduleLines;
}

void DocumentWriter::WriteManufacture(const std::vector<SourceLine>& salesLines, const std::vector<SourceLine>& scheduleLines,
                                      int quota, std::uint64_t stream)
{
    SyntheticRandom random = model.Random(stream);
    TableWriter orders(db, summary.rows, "MNF_MANUORDER",
                       {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "WorkShopID", "StoreID", "GoodsID", "ShopID",
                        "EmpID", "DepartmentID", "OPID", "CheckorID", "PlanDate", "FinishedDate", "Quantity", "FinishedQty",
                        "UseTime", "ReferBillType", "ReferBillID", "ReferItemNo", "Closed"}, {{"UpdateTime", model.today}});
    TableWriter components(db, summary.rows, "MNF_MANUORDERDETAIL",
                           {"BillID", "ItemNo", "GoodsID", "UnitID", "UnitQuantity", "Quantity", "Price", "UnitPrice", "Amount",
                            "TokenQty", "ReferQty", "UnitQty1", "COUNTWAGEITEMID"});
    TableWriter draws(db, summary.rows, "i_draw",
                      {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "ShopID", "StoreID", "OPID", "CheckorID",
                       "ReferBillType", "ReferBillID", "Closed"}, {{"UpdateTime", model.today}});
    TableWriter drawLines(db, summary.rows, "i_drawdetail",
                          {"BillID", "ItemNo", "GoodsID", "StoreID", "UnitID", "UnitQuantity", "Quantity", "ReferBillType",
                           "ReferBillID", "ReferItemNo"});
    std::vector<BillStatus> leftOut{BillStatus::Unaudited, BillStatus::Cancelled, BillStatus::Closed, BillStatus::Finished,
                                    BillStatus::PastDue, BillStatus::OtherShop};
    if (!salesLines.empty()) leftOut.push_back(BillStatus::FromSales);
    BillPlanner planner(random, quota, 1, leftOut, false);
    const int expected = planner.ExpectedBills(quota);
    BillShape shape;
    int drawId = 0;
    for (int billId = 1; planner.Next(shape); ++billId) {
        CountLeftOut(shape);
        DateTime billDate = BillDate(billId, expected);
        const SourceLine* source = nullptr;
        int referType = 0;
        if (shape.status == BillStatus::FromSales) {
            source = &random.Pick(salesLines);
            referType = 12;
        } else if (shape.status == BillStatus::Open && !scheduleLines.empty() && random.Chance(0.25)) {
            source = &random.Pick(scheduleLines);
            referType = 43;
        }
        const bool repair = !source && shape.status == BillStatus::Open && random.Chance(0.01);
        const FactoryGoods& goods = model.Goods(source ? source->goodsId : random.Pick(repair ? model.semiFinished : model.made));
        double quantity = source ? source->quantity : random.Between(10, 300);
        double finished = shape.status == BillStatus::Finished ? quantity
                          : random.Chance(0.3)                 ? std::floor(quantity * random.Unit())
                                                               : 0.0;
        DateTime finishDate = shape.status == BillStatus::PastDue ? today.AddDays(-random.Between(1, 20))
                                                                  : today.AddDays(random.Between(0, 60));
        Variant workShop = goods.routing >= 0 ? Variant(model.routings[static_cast<size_t>(goods.routing)].steps.front().workShop)
                                              : Variant();
        orders.Add({billId, repair ? 2 : 1, StateOf(shape.status), NextCode("SC", billDate, false), billDate, workShop, kProductStore,
                    goods.id, shape.status == BillStatus::OtherShop ? kBranchShop : kMainShop, 4, 2, 1, CheckorOf(shape.status),
                    finishDate.AddDays(-std::max(1, goods.leadTime)), finishDate, quantity, finished, quantity * 0.5,
                    referType ? Variant(referType) : Variant(), source ? Variant(source->billId) : Variant(),
                    source ? Variant(source->itemNo) : Variant(), shape.status == BillStatus::Closed ? 1 : 0});
        if (repair) {
            // A repair draws the goods itself from stock and works on it again.
            components.Add({billId, 1, goods.id, goods.baseUnit, quantity, quantity, goods.price, goods.price, quantity * goods.price,
                            quantity, quantity, quantity, Variant()});
            ++drawId;
            draws.Add({drawId, 1, 1, NextCode("LL", billDate, false), billDate, kMainShop, kProductStore, 1, 1, 42, billId, 0});
            drawLines.Add({drawId, 1, goods.id, kProductStore, goods.baseUnit, quantity, quantity, 42, billId, 1});
            continue;
        }
        for (int i = 0; i < goods.linkCount; ++i) {
            const FactoryLink& link = model.links[static_cast<size_t>(goods.firstLink + i)];
            const FactoryGoods& component = model.Goods(link.elem);
            double need = Round4(quantity * link.Quantity() * (1 + link.wasteRate / 100));
            double drawn = random.Chance(0.3) ? Round4(need * random.Unit()) : 0.0;
            components.Add({billId, link.itemNo, link.elem, component.baseUnit, need, need, component.price, component.price,
                            need * component.price, drawn, drawn, need, link.process > 0 ? Variant(link.process) : Variant()});
        }
    }
}

void DocumentWriter::WriteOutsourcing(int quota, std::uint64_t stream)
{
    SyntheticRandom random = model.Random(stream);
    TableWriter orders(db, summary.rows, "CM_MACHINING",
                       {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "TraderID", "GoodsID", "ShopID", "EmpID",
                        "DepartmentID", "OPID", "CheckorID", "Quantity", "FinishedQty", "DeliveryDate", "Closed"}, {{"UpdateTime", model.today}});
    BillPlanner planner(random, quota, 1,
                        {BillStatus::Unaudited, BillStatus::Cancelled, BillStatus::Closed, BillStatus::Finished,
                         BillStatus::PastDue, BillStatus::OtherShop},
                        false);
    const int expected = planner.ExpectedBills(quota);
    BillShape shape;
    for (int billId = 1; planner.Next(shape); ++billId) {
        CountLeftOut(shape);
        DateTime billDate = BillDate(billId, expected);
        double quantity = random.Between(10, 300);
        double finished = shape.status == BillStatus::Finished ? quantity : (random.Chance(0.2) ? random.Between(1, 9) : 0.0);
        DateTime delivery = shape.status == BillStatus::PastDue ? today.AddDays(-random.Between(1, 20))
                                                                : today.AddDays(random.Between(0, 45));
        orders.Add({billId, 1, StateOf(shape.status), NextCode("WW", billDate, false), billDate, random.Pick(model.suppliers),
                    random.Pick(model.semiFinished), shape.status == BillStatus::OtherShop ? kBranchShop : kMainShop, 5, 4, 1,
                    CheckorOf(shape.status), quantity, finished, delivery, shape.status == BillStatus::Closed ? 1 : 0});
    }
}

void DocumentWriter::WritePurchaseRequests(int quota, std::uint64_t stream)
{
    SyntheticRandom random = model.Random(stream);
    TableWriter headers(db, summary.rows, "P_REQUEST",
                        {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "ShopID", "EmpID", "OPID", "CheckorID",
                         "DepartmentID", "Closed"}, {{"UpdateTime", model.today}});
    TableWriter details(db, summary.rows, "P_REQUESTDETAIL",
                        {"BillID", "ItemNo", "StoreID", "GoodsID", "UnitID", "UnitQuantity", "Quantity", "UnitPrice", "Price",
                         "Amount", "ReferQty", "Closed", "ChargeDate", "UnitQty1"});
    BillPlanner planner(random, quota, 10, {BillStatus::Unaudited, BillStatus::Cancelled, BillStatus::Closed, BillStatus::OtherShop},
                        true);
    const int expected = planner.ExpectedBills(quota);
    BillShape shape;
    for (int billId = 1; planner.Next(shape); ++billId) {
        CountLeftOut(shape);
        auto lines = PlanLines(random, shape, [&] { return random.Pick(model.materials); }, true, 0, 60);
        DateTime billDate = BillDate(billId, expected);
        headers.Add({billId, 1, StateOf(shape.status), NextCode("QG", billDate, false), billDate,
                     shape.status == BillStatus::OtherShop ? kBranchShop : kMainShop, 5, 1, CheckorOf(shape.status), 4,
                     shape.status == BillStatus::Closed ? 1 : 0});
        int itemNo = 0;
        for (const auto& line : lines)
            details.Add({billId, ++itemNo, kMaterialStore, line.goodsId, line.unitId, line.unitQuantity,
                         line.unitQuantity * line.rate, line.price, line.price / line.rate, line.unitQuantity * line.price,
                         line.referQty, line.closed ? 1 : 0, line.date, line.unitQuantity});
    }
}

void DocumentWriter::WriteTransfers(bool distributions, int quota, std::uint64_t stream)
{
    SyntheticRandom random = model.Random(stream);
    const std::string_view header = distributions ? "d_distribute" : "d_request";
    TableWriter headers = distributions
                              ? TableWriter(db, summary.rows, header,
                                            {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "ShopID", "SrcShopID",
                                             "DstShopID", "SrcStoreID", "DstStoreID", "ArriveDate", "OPID", "CheckorID", "Closed"}, {{"UpdateTime", model.today}})
                              : TableWriter(db, summary.rows, header,
                                            {"BillID", "BillKind", "BillState", "BillCode", "BillDate", "ShopID", "DstShopID",
                                             "StoreID", "ArriveDate", "OPID", "CheckorID", "Closed"}, {{"UpdateTime", model.today}});
    TableWriter details(db, summary.rows, distributions ? "d_distributedetail" : "d_requestdetail",
                        {"BillID", "ItemNo", "GoodsID", "UnitID", "UnitQuantity", "Quantity", "ReferQty", "Closed"});
    std::vector<BillStatus> leftOut{BillStatus::Unaudited, BillStatus::Cancelled, BillStatus::Closed};
    if (!distributions) leftOut.push_back(BillStatus::OtherShop);
    BillPlanner planner(random, quota, 8, leftOut, true);
    const int expected = planner.ExpectedBills(quota);
    BillShape shape;
    auto pickGoods = [&] { return random.Pick(random.Chance(0.7) ? model.materials : model.made); };
    for (int billId = 1; planner.Next(shape); ++billId) {
        CountLeftOut(shape);
        auto lines = PlanLines(random, shape, pickGoods, true, 0, 45);
        DateTime billDate = BillDate(billId, expected);
        const int state = StateOf(shape.status), closed = shape.status == BillStatus::Closed ? 1 : 0;
        if (distributions) {
            // Six in ten come in from the branch, the others go out to it with a negative quantity for the MRP.
            const bool incoming = random.Chance(0.6);
            const int source = incoming ? kBranchShop : kMainShop, target = incoming ? kMainShop : kBranchShop;
            headers.Add({billId, 1, state, NextCode("PS", billDate, false), billDate, source, source, target,
                         incoming ? 4 : kMaterialStore, incoming ? kMaterialStore : 4, lines.front().date, 1,
                         CheckorOf(shape.status), closed});
        } else {
            const bool other = shape.status == BillStatus::OtherShop;
            headers.Add({billId, 1, state, NextCode("QH", billDate, false), billDate, other ? kBranchShop : kMainShop,
                         other ? kMainShop : kBranchShop, kMaterialStore, lines.front().date, 1, CheckorOf(shape.status), closed});
        }
        int itemNo = 0;
        for (const auto& line : lines)
            details.Add({billId, ++itemNo, line.goodsId, line.unitId, line.unitQuantity, line.unitQuantity * line.rate,
                         line.referQty, line.closed ? 1 : 0});
    }
}

}  // namespace

void WriteDocuments(Connection& db, const FactoryModel& model, SyntheticSummary& summary, const StageReport& stage)
{
    // Shares of the open lines, in percent: purchase, import, sales, export, manufacture,
    // outsourcing, purchase requests, distribution requests; distributions take the rest.
    const int total = model.size.documentLines;
    auto share = [total](int percent) { return static_cast<int>(static_cast<std::int64_t>(total) * percent / 100); };
    const int purchase = share(28), imports = share(2), sales = share(24), exports = share(2), manufacture = share(14),
              outsourcing = share(5), purchaseRequests = share(10), requests = share(7);
    const int distributions = total - purchase - imports - sales - exports - manufacture - outsourcing - purchaseRequests - requests;

    DocumentWriter writer(db, model, summary);
    stage("销售订单");
    auto salesLines = writer.WriteOrders("S_ORDER", "S_OrderDetail", "XS", true, true, sales, kDocumentStream);
    writer.WriteOrders("f_exportorder", "f_exportorderdetail", "CK", false, true, exports, kDocumentStream + 1);
    stage("主生产计划");
    auto scheduleLines = writer.WriteSchedule(salesLines, kDocumentStream + 2);
    stage("采购订单");
    writer.WriteOrders("P_ORDER", "P_ORDERDETAIL", "CG", false, false, purchase, kDocumentStream + 3);
    writer.WriteOrders("f_importorder", "f_importorderdetail", "JK", false, false, imports, kDocumentStream + 4);
    writer.WritePurchaseRequests(purchaseRequests, kDocumentStream + 5);
    stage("生产与委外加工单");
    writer.WriteManufacture(salesLines, scheduleLines, manufacture, kDocumentStream + 6);
    writer.WriteOutsourcing(outsourcing, kDocumentStream + 7);
    stage("配送");
    writer.WriteTransfers(false, requests, kDocumentStream + 8);
    writer.WriteTransfers(true, distributions, kDocumentStream + 9);
}

std::string BillCodeText(std::string_view head, DateTime date, bool withDay, int serial)
{
    return fmt::format("{}-{}-{:04d}", head, date.Format(withDay ? "yyyy-mm-dd" : "yyyy-mm"), serial);
}

}  // namespace mfg::synthetic
