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

// Each refusal means another release recorded that code first: a handful of planners cannot exhaust this.
constexpr int kRecordAttempts = 50;

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
    written.push_back({billId, code});
    return code;
}

void ReleaseTransaction::Renumber(std::size_t from, std::size_t recorded)
{
    int serial = -1;
    MakeCode(target, billDate, serial);
    for (std::size_t i = from; i < written.size(); ++i, ++serial) {
        Written& document = written[i];
        document.billCode = MakeCode(target, billDate, serial);
        header.SetAt(i, "BillCode", document.billCode);
        if (i < recorded)
            SqlExecuteNoTran("update AB_BILLPRINT set BillCode = :code where BillType = :type and BillID = :bill",
                             {{"code", document.billCode}, {"type", target.billType}, {"bill", document.billId}});
    }
}

void ReleaseTransaction::RecordForPrinting()
{
    Host& host = CurrentHost();
    for (std::size_t i = 0; i < written.size(); ++i) {
        for (int attempt = 1;; ++attempt) {
            const Written& document = written[i];
            try {
                SqlExecute(fmt::format("exec up_ab_billprint_insert {}, {},{},'{}',{},{}", target.billType,
                                       document.billId, QuoteSql(document.billCode), billDate.Format("yyyy-mm-dd"),
                                       host.UserID(), host.ShopID()));
                break;
            } catch (const DbError& error) {
                // Another release recorded the code between our numbering and this record: this
                // document and the ones after it move to the next free serials.
                if (error.Failure() != DbFailure::DuplicateKey || attempt == kRecordAttempts) throw;
                Renumber(i, i);
            }
        }
    }
}

bool ReleaseTransaction::AnyCodeHeldByADocument()
{
    std::string codes;
    for (const auto& document : written) codes += (codes.empty() ? "" : ",") + QuoteSql(document.billCode);
    return GetValueOfSql(fmt::format("select count(*) from {} where BillCode in ({})", target.codeTable, codes), 0)
               .AsInteger() > 0;
}

std::vector<std::string> ReleaseTransaction::Commit(const BatchWriter& write, const ReleasedCodeListener& told)
{
    std::vector<std::string> codes;
    if (written.empty()) return codes;
    RecordForPrinting();
    BeginTran();
    try {
        GetNewKey(target.keyTable);
        // A bill written without a print record (by hand, or before print records counted) may hold
        // one of the codes: the documents are numbered again, their print records following.
        if (AnyCodeHeldByADocument()) Renumber(0, written.size());
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
