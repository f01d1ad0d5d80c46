#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "types/DateTime.h"

namespace mfg {

//! The text of a database failure as a release shows it: every "General SQL error.\r\nexception 95\n"
//! removed, ignoring case.
std::string CleanReleaseError(std::string_view message);

//! The date of released documents: today, or the first day of the open posting month when later.
DateTime ReleaseDocumentDate();

//! A suggestion released before: its documents exist, it is not released again.
struct AlreadyReleased : std::runtime_error {
    using std::runtime_error::runtime_error;
};

//! What a document of one bill type is numbered in: the key table of GetNewKey and the table whose
//! bill codes GetBillCode counts.
struct ReleaseTarget {
    int billType = 0;
    std::string_view keyTable;
    std::string_view codeTable;
};

//! One release as one host transaction. The first new key is taken at once: AG_GETNEWKEY holds its
//! row until the end of the transaction, so two users releasing into the same table queue up here
//! and the second sees what the first wrote before it claims anything. Claims mark the suggestions
//! released; a suggestion released before throws AlreadyReleased. Documents are numbered
//! consecutively from the next free serial and written each in a savepoint, again under the next
//! serial when another writer took the code meanwhile. Nothing is kept unless Commit is reached.
class ReleaseTransaction {
public:
    //! Writes the rows of a document with its key and code.
    using DocumentWriter = std::function<void(int billId, const std::string& billCode)>;

    ReleaseTransaction(const ReleaseTarget& target, DateTime billDate);
    ~ReleaseTransaction();
    ReleaseTransaction(const ReleaseTransaction&) = delete;
    ReleaseTransaction& operator=(const ReleaseTransaction&) = delete;

    //! Marks the suggestion of a goods at a date released by this release.
    void Claim(std::int32_t goodsid, DateTime suggestionDate);
    //! Writes one document; returns its code.
    std::string WriteDocument(const DocumentWriter& write);
    //! Commits, then records each document for printing (up_ab_billprint_insert). Returns the codes.
    std::vector<std::string> Commit();

private:
    struct Written {
        int billId;
        std::string billCode;
    };

    ReleaseTarget target;
    DateTime billDate;
    int nextKey = 0;
    int firstKey = 0;
    int nextSerial = -1;
    bool open = false;
    std::vector<Written> written;
};

}  // namespace mfg
