#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "BillRows.h"
#include "types/DateTime.h"

namespace mfg {

//! The text of a database failure as a release shows it: every "General SQL error.\r\nexception 95\n"
//! removed, ignoring case.
std::string CleanReleaseError(std::string_view message);

//! The date of released documents: today, or the first day of the open posting month when later.
DateTime ReleaseDocumentDate();

//! Told each code of a release just before its documents are committed.
using ReleasedCodeListener = std::function<void(const std::string& billCode)>;

//! What a document of one bill type is numbered in: the key table of GetNewKey and the table whose
//! bill codes GetBillCode counts.
struct ReleaseTarget {
    int billType = 0;
    std::string_view keyTable;
    std::string_view codeTable;
};

//! One release: its documents are numbered as each header is built, recorded for printing
//! (up_ab_billprint_insert) outside any transaction, then written together in one host transaction.
//! A code is spent once it has a print record, whether its document is ever written or not, so a
//! release killed before its commit never has its codes handed out again; a print record that fails
//! stops the release before any document is written. Two releases that number the same serial at
//! once meet on the print records' unique code: the second moves on to the next free serials. The
//! commit first takes a key of the table, which AG_GETNEWKEY holds to the end of the transaction, so
//! two releases into one table write one after the other.
class ReleaseTransaction {
public:
    //! Builds the rows of a document with its key and code; its header is the next row of `header`.
    using DocumentBuilder = std::function<void(int billId, const std::string& billCode)>;
    //! Writes the batches of every document built.
    using BatchWriter = std::function<void()>;

    ReleaseTransaction(const ReleaseTarget& target, DateTime billDate, BillRows& header);

    //! Numbers and builds one document; returns its code. A serial that outgrows its rule throws
    //! BillCodeError here, before anything of the release is written.
    std::string AddDocument(const DocumentBuilder& build);
    //! Records every document for printing, then writes them in one transaction and returns their
    //! codes; `told` hears each code before the commit, so that a process killed on the way never
    //! leaves a document untold.
    std::vector<std::string> Commit(const BatchWriter& write, const ReleasedCodeListener& told = {});
    std::size_t Count() const { return written.size(); }

private:
    struct Written {
        int billId;
        std::string billCode;
    };

    //! Numbers the documents from `from` on again from the next free serial; the print records of
    //! those before `recorded` follow.
    void Renumber(std::size_t from, std::size_t recorded);
    void RecordForPrinting();
    bool AnyCodeHeldByADocument();

    ReleaseTarget target;
    DateTime billDate;
    BillRows& header;
    int firstSerial = -1;
    std::vector<Written> written;
};

}  // namespace mfg
