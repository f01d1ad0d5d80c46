#include "BomStore.h"

#include <string>

#include "BomValidator.h"
#include "GoodsBom.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/Users.h"

namespace mfg {

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
    auto failure = WriteBom(bom);
    if (failure) ShowError(*failure);
    return !failure;
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

bool AuditBom(GoodsBom& bom)
{
    if (!HasCheckPrivilege(BomFunctionNo)) {
        ShowError("对不起,你没有物料清单的审核权限!");
        return false;
    }
    if (!SaveBom(bom)) return false;
    SetBomAuditState(bom.ParentID(), true);
    return ReadBomAuditState(bom.ParentID()) == 1;
}

bool UnauditBom(int parentID)
{
    if (!HasUncheckPrivilege(BomFunctionNo)) {
        ShowError("对不起,你没有物料清单的反审核权限!");
        return false;
    }
    SetBomAuditState(parentID, false);
    return ReadBomAuditState(parentID) == 0;
}

}  // namespace mfg
