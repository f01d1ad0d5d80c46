#pragma once

#include <optional>
#include <string>

namespace mfg {

class GoodsBom;

//! Validates the BOM and writes its three sets in one transaction (component lines, process lines,
//! substitutes, then L_Goods.CANCMB). A rule failure writes nothing and keeps the rows as edited; a
//! database failure rolls back, drops the pending changes and shows the error. True when written.
bool SaveBom(GoodsBom& bom);

//! Writes the pending changes of the three sets without checking them, in one transaction; on a
//! database failure it rolls back, drops the pending changes and returns the error text.
std::optional<std::string> WriteBom(GoodsBom& bom);

//! Audits (State 1, Checkorid the current user) or withdraws the audit of every line of a parent.
void SetBomAuditState(int parentID, bool audit);
//! 0 when the parent's BOM is not audited (also when it has no lines), 1 when it is.
int ReadBomAuditState(int parentID);

//! The audit command of the editor: refused without the check right; otherwise the BOM is saved
//! first and audited only when the save succeeds. True when audited.
bool AuditBom(GoodsBom& bom);
//! The un-audit command: refused without the uncheck right; no save. True when withdrawn.
bool UnauditBom(int parentID);

}  // namespace mfg
