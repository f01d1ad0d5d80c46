#include "BillCode.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include <fmt/format.h>

#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr size_t kMaxCodeLength = 32;
// Each refusal means another bill was written under that code: a handful of users cannot exhaust this.
constexpr int kCodeAttempts = 50;
constexpr int kSerialDigits = 15;

size_t CharacterCount(std::string_view text)
{
    size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xc0) != 0x80) ++count;
    return count;
}

std::pair<std::string, std::string> RuleOfMode(std::string_view mode, std::string_view sepa, DateTime date)
{
    std::string y = date.Format("yyyy"), m = date.Format("mm"), d = date.Format("dd");
    std::string year = fmt::format(" and Year(BillDate)={}", date.Year());
    std::string month = fmt::format("{} and Month(BillDate)={}", year, date.Month());
    std::string day = fmt::format("{} and Day(BillDate)={}", month, date.Day());
    auto join = [&](std::initializer_list<std::string> parts) {
        std::string out;
        for (const auto& part : parts) out += (out.empty() ? "" : std::string(sepa)) + part;
        return out;
    };
    if (mode == "年") return {y, year};
    if (mode == "年月") return {join({y, m}), month};
    if (mode == "月年") return {join({m, y}), month};
    if (mode == "年月日") return {join({y, m, d}), day};
    if (mode == "月日年") return {join({m, d, y}), day};
    return {};
}

//! A table a caller names is used only as an identifier of a table the schema has, never as text
//! spliced into a statement.
bool IsSchemaTable(std::string_view table)
{
    auto identifierChar = [](unsigned char c) { return std::isalnum(c) || c == '_'; };
    bool identifier = !table.empty() && !std::isdigit(static_cast<unsigned char>(table.front())) &&
                      std::all_of(table.begin(), table.end(), identifierChar);
    return identifier && CurrentHost().DBStartup().TableExists(table);
}

}  // namespace

BillCodeRule ReadBillCodeRule(int billType, DateTime billDate)
{
    auto row = CreateAutoQuery("select * from L_BillType where id=:BillType ", true, {{"BillType", billType}});
    if (row->IsEmpty())
        throw BillCodeError(fmt::format("单据类型 {} 没有编号规则 (L_BillType), 无法生成单据编号, 未写入任何单据。", billType));
    BillCodeRule rule;
    rule.billType = billType;
    rule.head = Trim(row->FieldByName("Head").AsString());
    rule.sepa = Trim(row->FieldByName("Sepa").AsString());
    const std::string mode(Trim(row->FieldByName("Mode").AsString()));
    const std::string pattern = row->FieldByName("Code").AsString();
    rule.width = static_cast<int>(CharacterCount(pattern));
    std::tie(rule.datePart, rule.condition) = RuleOfMode(mode, rule.sepa, billDate);
    for (const std::string& part : {rule.head, mode, pattern})
        if (!part.empty()) rule.text += (rule.text.empty() ? "" : rule.sepa) + part;
    return rule;
}

std::string SerialDigits(int serialNo, const BillCodeRule& rule)
{
    const auto width = static_cast<size_t>(std::clamp(rule.width, 0, kSerialDigits));
    std::string digits = fmt::format("{:0{}}", serialNo, kSerialDigits);
    if (std::to_string(serialNo).size() > width)
        throw BillCodeError(fmt::format("单据类型 {} 的编号规则 {} 只有 {} 位流水号, 放不下流水号 {}, 无法生成单据编号, "
                                        "未写入任何单据。请在 L_BillType 中加长流水号。",
                                        rule.billType, rule.text, width, serialNo));
    return digits.substr(digits.size() - width);
}

std::string GetBillCode(DateTime billDate, int& serialNo, int billType, std::string_view table)
{
    BillCodeRule rule = ReadBillCodeRule(billType, billDate);
    const std::string& head = rule.head;
    const std::string& sepa = rule.sepa;
    int width = rule.width;
    bool branchNumbering = LookupSysParam("ShopBillCode") == "1";
    int shop = CurrentHost().ShopID();

    if (serialNo == -1) {
        if (!IsSchemaTable(table)) {
            ShowError(fmt::format("没有单据表 {}，无法生成单据编号。", table));
            return {};
        }
        std::string branch = branchNumbering ? fmt::format(" and (Shopid={} or Shopid is NULL) ", shop) : "";
        std::string bills = fmt::format("select Max(dbo.fn_codetoserialno(BillCode,{})) as SerialNo From {} Where 1=1 {}{}",
                                        width, table, rule.condition, branch);
        std::string printRecords =
            fmt::format("select Max(dbo.fn_codetoserialno(BillCode,{})) as SerialNo From AB_BILLPRINT Where BillType={} {}{}",
                        width, billType, rule.condition, branch);
        serialNo = static_cast<int>(
                       std::max(GetValueOfSql(bills, 0).AsInteger(), GetValueOfSql(printRecords, 0).AsInteger())) +
                   1;
    }

    std::string code;
    if (!head.empty()) code += head + sepa;
    if (branchNumbering) code += LookupData(39, shop, "Code").AsString() + sepa;
    if (!rule.datePart.empty()) code += rule.datePart + sepa;
    code += SerialDigits(serialNo, rule);
    if (CharacterCount(code) > kMaxCodeLength) {
        ShowError("分支机构编号过长，无法生成单据编号，请重新设定分支机构编码！");
        return {};
    }
    return code;
}

std::string WriteWithFreshCode(Connection& db, const CodeMaker& makeCode, const BillWriter& write)
{
    int serialNo = -1;
    for (int attempt = 1;; ++attempt) {
        std::string code = makeCode(serialNo);
        if (code.empty()) return code;
        try {
            TransactionGuard savepoint(db);
            write(code);
            savepoint.Commit();
            return code;
        } catch (const DbError& e) {
            if (e.Failure() != DbFailure::DuplicateKey || attempt == kCodeAttempts) throw;
        }
        // Other users may have written well past the refused code meanwhile: a step of one would
        // lose to each of them in turn. The next free serial is read again, and never taken at or
        // below the refused one, which another branch's bill may hold outside this numbering.
        const int refused = serialNo;
        serialNo = -1;
        makeCode(serialNo);
        serialNo = std::max(serialNo, refused + 1);
    }
}

std::string WriteNewBill(DateTime billDate, int billType, std::string_view table, const BillWriter& write)
{
    return WriteWithFreshCode(
        CurrentHost().DBStartup(), [&](int& serialNo) { return GetBillCode(billDate, serialNo, billType, table); }, write);
}

}  // namespace mfg
