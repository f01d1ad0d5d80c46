#include "BomStore.h"

#include <string>

#include <fmt/format.h>

#include "BomValidator.h"
#include "GoodsBom.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/Users.h"

namespace mfg {
namespace {

//! Shown when a BOM was audited by another user after it was opened here.
constexpr const char* AuditedElsewhere = "物料清单已被其他用户审核, 不能保存!";

//! The part of a save that runs while the parent is held: the checks again, without the questions
//! the user already answered (what they ask about is the user's own edit), then the write.
bool CheckAndWrite(GoodsBom& bom)
{
    bool passed = RunBomChecks(bom, [](const BomProblem& problem) {
        if (problem.kind == BomProblemKind::Question) return true;
        if (problem.kind == BomProblemKind::Error) ShowError(problem.message);
        else ShowInformation(problem.message);
        return false;
    });
    if (!passed) return false;
    auto failure = WriteBom(bom);
    if (failure) ShowError(*failure);
    return !failure;
}

}  // namespace

BomHold::BomHold(int parentID) : transaction(CurrentHost().DBStartup())
{
    SqlExecuteNoTran("exec MNF_HOLDBOM " + std::to_string(parentID));
}

std::optional<std::string> WriteBom(GoodsBom& bom)
{
    Host& host = CurrentHost();
    DataSet* sets[] = {&bom.Lines(), &bom.Processes(), &bom.Substitutes()};
    try {
        host.BeginTran();
        for (DataSet* set : sets) {
            set->Post();
            // Every substitute must be written, not only the rows a view is showing.
            set->SetFiltered(false);
            set->ApplyUpdates(host.DBStartup());
        }
        if (!bom.Lines().IsEmpty())
            host.SqlExecuteNoTran("update L_Goods set CANCMB = 1 where GoodsId = " + std::to_string(bom.ParentID()));
        host.CommitTran();
    } catch (const std::exception& e) {
        if (host.InTransaction()) host.RollbackTran();
        bom.CancelUpdates();
        return std::string(e.what());
    }
    for (DataSet* set : sets) set->CommitUpdates();
    bom.HeaderWritten();
    return std::nullopt;
}

bool SaveBom(GoodsBom& bom)
{
    if (!ValidateBom(bom)) return false;
    BomHold hold(bom.ParentID());
    if (ReadBomAuditState(bom.ParentID()) != 0) {
        ShowError(AuditedElsewhere);
        return false;
    }
    if (!CheckAndWrite(bom)) return false;
    hold.Commit();
    return true;
}

void SetBomAuditState(int parentID, bool audit)
{
    const std::string parent = std::to_string(parentID);
    if (audit)
        SqlExecute("Update l_goodsBom  Set State=1,Checkorid=" + std::to_string(CurrentHost().UserID()) +
                   " Where Goodsid =" + parent);
    else
        SqlExecute("Update l_goodsBom  Set State=0,Checkorid=Null Where Goodsid =" + parent);
}

int ReadBomAuditState(int parentID)
{
    auto state = GetValueOfSql("Select top 1 state from l_goodsbom where Goodsid =" + std::to_string(parentID), "0");
    return state.AsInteger() == 0 ? 0 : 1;
}

std::optional<std::string> MixedAuditProblem(int parentID)
{
    auto groups = CreateAutoQuery("select State, Checkorid, count(*) as Lines from L_GoodsBom where GoodsID = " +
                                      std::to_string(parentID) + " group by State, Checkorid",
                                  true);
    if (groups->RecordCount() <= 1) return std::nullopt;
    std::int64_t audited = 0, unaudited = 0;
    for (groups->First(); !groups->Eof(); groups->Next())
        (groups->FieldByName("State").AsInteger() == 0 ? unaudited : audited) += groups->FieldByName("Lines").AsInteger();
    if (unaudited == 0) return "子件行的审核人不一致";
    return fmt::format("子件行的审核状态不一致: 已审核 {} 行, 未审核 {} 行", audited, unaudited);
}

bool AuditBom(GoodsBom& bom)
{
    if (!HasCheckPrivilege(BomFunctionNo)) {
        ShowError("对不起,你没有物料清单的审核权限!");
        return false;
    }
    if (!ValidateBom(bom)) return false;
    BomHold hold(bom.ParentID());
    if (!CheckAndWrite(bom)) return false;
    SetBomAuditState(bom.ParentID(), true);
    hold.Commit();
    return ReadBomAuditState(bom.ParentID()) == 1;
}

bool UnauditBom(int parentID)
{
    if (!HasUncheckPrivilege(BomFunctionNo)) {
        ShowError("对不起,你没有物料清单的反审核权限!");
        return false;
    }
    BomHold hold(parentID);
    SetBomAuditState(parentID, false);
    hold.Commit();
    return ReadBomAuditState(parentID) == 0;
}

}  // namespace mfg
