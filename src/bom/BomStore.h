#pragma once

#include <optional>
#include <string>

#include "db/Connection.h"

namespace mfg {

class GoodsBom;

//! Holds one parent's BOM for a read-check-write of its lines: a transaction of the session in
//! which no other writer of the same parent runs (MNF_HOLDBOM: the parent's goods row locked on a
//! server; a SQLite transaction holds the write lock from its start). What is read after the hold
//! is taken is what the write meets. Rolls back unless committed; holds nest.
class BomHold {
public:
    explicit BomHold(int parentID);
    void Commit() { transaction.Commit(); }

private:
    TransactionGuard transaction;
};

//! Validates the BOM and writes its three sets in one transaction (component lines, process lines,
//! substitutes, then L_Goods.CANCMB). A rule failure writes nothing and keeps the rows as edited; a
//! database failure rolls back, drops the pending changes and shows the error. The questions are
//! asked before the parent is held; held, the BOM is refused once another user audited it, and
//! checked again against what others wrote meanwhile. True when written.
bool SaveBom(GoodsBom& bom);

//! Writes the pending changes of the three sets without checking them, in one transaction; on a
//! database failure it rolls back, drops the pending changes and returns the error text.
std::optional<std::string> WriteBom(GoodsBom& bom);

//! Audits (State 1, Checkorid the current user) or withdraws the audit of every line of a parent.
void SetBomAuditState(int parentID, bool audit);
//! 0 when the parent's BOM is not audited (also when it has no lines), 1 when it is.
int ReadBomAuditState(int parentID);

//! What is wrong with the audit of a stored BOM whose lines disagree on it (some audited, some
//! not, or audited by different operators); none when they agree.
std::optional<std::string> MixedAuditProblem(int parentID);

//! The audit command of the editor: refused without the check right; otherwise the BOM is saved
//! first and audited only when the save succeeds, both while the parent is held. True when audited.
bool AuditBom(GoodsBom& bom);
//! The un-audit command: refused without the uncheck right; no save. True when withdrawn.
bool UnauditBom(int parentID);

}  // namespace mfg
