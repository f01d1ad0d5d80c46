#include "ReleaseTransaction.h"

#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>

#include "BillCode.h"
#include "Calculations.h"
#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

std::string MakeCode(const ReleaseTarget& target, DateTime billDate, int& serial)
{
    std::string code = GetBillCode(billDate, serial, target.billType, target.codeTable);
    if (code.empty()) throw std::runtime_error("没有生成单据编号");
    return code;
}

}  // namespace

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

ReleaseTransaction::ReleaseTransaction(const ReleaseTarget& releaseTarget, DateTime date, BillRows& headerRows)
    : target(releaseTarget), billDate(date), header(headerRows)
{
}

std::string ReleaseTransaction::AddDocument(const DocumentBuilder& build)
{
    const int billId = GetNewKey(target.keyTable);
    int serial = written.empty() ? -1 : firstSerial + static_cast<int>(written.size());
    const std::string code = MakeCode(target, billDate, serial);
    if (written.empty()) firstSerial = serial;
    build(billId, code);
    Host& host = CurrentHost();
    SqlExecute(fmt::format("exec up_ab_billprint_insert {}, {},{},'{}',{},{}", target.billType, billId, QuoteSql(code),
                           billDate.Format("yyyy-mm-dd"), host.UserID(), host.ShopID()));
    written.push_back({billId, code});
    return code;
}

void ReleaseTransaction::Renumber(int serial)
{
    for (std::size_t i = 0; i < written.size(); ++i, ++serial) {
        Written& document = written[i];
        document.billCode = MakeCode(target, billDate, serial);
        header.SetAt(i, "BillCode", document.billCode);
        SqlExecuteNoTran("update AB_BILLPRINT set BillCode = :code where BillType = :type and BillID = :bill",
                         {{"code", document.billCode}, {"type", target.billType}, {"bill", document.billId}});
    }
}

std::vector<std::string> ReleaseTransaction::Commit(const BatchWriter& write, const ReleasedCodeListener& told)
{
    std::vector<std::string> codes;
    if (written.empty()) return codes;
    BeginTran();
    try {
        GetNewKey(target.keyTable);
        int next = -1;
        MakeCode(target, billDate, next);
        if (next > firstSerial) Renumber(next);
        write();
        for (const auto& document : written) {
            if (told) told(document.billCode);
            codes.push_back(document.billCode);
        }
        CommitTran();
    } catch (...) {
        RollbackTran();
        throw;
    }
    return codes;
}

}  // namespace mfg
