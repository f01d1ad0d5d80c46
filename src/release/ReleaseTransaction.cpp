#include "ReleaseTransaction.h"

#include <algorithm>

#include <fmt/format.h>

#include "BillCode.h"
#include "Calculations.h"
#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {

std::string CleanReleaseError(std::string_view message)
{
    static const std::string noise = "general sql error.\r\nexception 95\n";
    std::string text(message);
    for (std::size_t at = ToLowerAscii(text).find(noise); at != std::string::npos; at = ToLowerAscii(text).find(noise))
        text.erase(at, noise.size());
    return text;
}

DateTime ReleaseDocumentDate()
{
    return std::max(Today(), GetFirstDayOfPosMonth().Date());
}

ReleaseTransaction::ReleaseTransaction(const ReleaseTarget& releaseTarget, DateTime date)
    : target(releaseTarget), billDate(date)
{
    BeginTran();
    open = true;
    try {
        firstKey = nextKey = GetNewKey(target.keyTable);
    } catch (...) {
        RollbackTran();
        throw;
    }
}

ReleaseTransaction::~ReleaseTransaction()
{
    if (!open) return;
    try {
        RollbackTran();
    } catch (...) {
    }
}

void ReleaseTransaction::Claim(std::int32_t goodsid, DateTime suggestionDate)
{
    const Params key{{"type", target.billType}, {"goods", goodsid}, {"day", suggestionDate.Date()}};
    if (GetValueOfSql(
            "select count(*) from MNF_MRPRELEASE where BillType = :type and GoodsID = :goods and SugDate = :day", 0,
            key)
            .AsInteger() > 0)
        throw AlreadyReleased(fmt::format("货品 {} 在 {} 的建议已经下达过,不能重复下达!",
                                          LookupData(3, goodsid, "Code").AsString(),
                                          suggestionDate.Format("yyyy-mm-dd")));
    Params row = key;
    row.emplace_back("bill", firstKey);
    row.emplace_back("op", CurrentHost().UserID());
    SqlExecuteNoTran(
        "insert into MNF_MRPRELEASE (BillType, GoodsID, SugDate, BillID, OPID) values (:type, :goods, :day, "
        ":bill, :op)",
        row);
}

std::string ReleaseTransaction::WriteDocument(const DocumentWriter& write)
{
    const int billId = nextKey ? nextKey : GetNewKey(target.keyTable);
    nextKey = 0;
    int serialUsed = nextSerial;
    const std::string code = WriteWithFreshCode(
        CurrentHost().DBStartup(),
        [&](int& serialNo) {
            if (serialNo == -1) serialNo = nextSerial;
            std::string made = GetBillCode(billDate, serialNo, target.billType, target.codeTable);
            serialUsed = serialNo;
            return made;
        },
        [&](const std::string& billCode) { write(billId, billCode); });
    if (code.empty()) throw std::runtime_error("没有生成单据编号");
    nextSerial = serialUsed + 1;
    written.push_back({billId, code});
    return code;
}

std::vector<std::string> ReleaseTransaction::Commit()
{
    CommitTran();
    open = false;
    std::vector<std::string> codes;
    Host& host = CurrentHost();
    for (const auto& document : written) {
        SqlExecute(fmt::format("exec up_ab_billprint_insert {}, {},{},'{}',{},{}", target.billType, document.billId,
                               QuoteSql(document.billCode), billDate.Format("yyyy-mm-dd"), host.UserID(),
                               host.ShopID()));
        codes.push_back(document.billCode);
    }
    return codes;
}

}  // namespace mfg
