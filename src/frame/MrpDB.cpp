#include "MrpDB.h"

#include "host/Host.h"

namespace mfg {

UpdateSql ResultTableStatements(std::string_view table, std::initializer_list<std::string_view> columns)
{
    std::string names, values, sets;
    for (auto column : columns) {
        std::string separator = names.empty() ? "" : ", ";
        names += separator + std::string(column);
        values += separator + ":" + std::string(column);
        sets += separator + std::string(column) + " = :" + std::string(column);
    }
    const std::string key = "\nwhere\n  BILLID = :OLD_BILLID and\n  ITEMNO = :OLD_ITEMNO";
    UpdateSql statements;
    statements.InsertSQL = "insert into " + std::string(table) + " (" + names + ")\nvalues (" + values + ")";
    statements.ModifySQL = "update " + std::string(table) + " set " + sets + key;
    statements.DeleteSQL = "delete from " + std::string(table) + key;
    return statements;
}

TMrpDB::TMrpDB()
{
    qryWarning.SetSql("select * from mnf_mrpwarning\n   Where 1=2 ");
    qryMRPDetail.SetSql("select * from mnf_mrpdetail ");
    qryMRPPurchase.SetSql("select * FROM MNF_MRPPURCHASE\n   Where 1=2 ");
    qryMRPManufacture.SetSql("select  *  from MNF_MRPMANUFACTURE Where 1=2");
    usWarning = ResultTableStatements("mnf_mrpwarning", {"BILLID", "ITEMNO", "GOODSID", "MSGTYPEID", "MSG"});
    usMRPDetail = ResultTableStatements("mnf_mrpdetail",
                                        {"BILLID", "ITEMNO", "GOODSID", "QUANTITY", "QBILLNAME", "QBILLCODE", "QWORKDATE"});
    usMRPPurchase = ResultTableStatements(
        "MNF_MRPPURCHASE",
        {"BILLID", "ITEMNO", "TRADERID", "GOODSID", "APRICE", "PRICE", "QUANTITY", "AMOUNT", "BATCHCODE", "PRODUCTDATE",
         "VALIDDATE", "SUGGESTDATE", "FINISHEDDATE", "RELEASED", "USERDEF1", "USERDEF2", "USERDEF3", "REFERCOUNT",
         "REFERBILLTYPE", "REFERBILLID", "REFERITEMNO", "REMARK", "BREFERID", "REFERQTY", "IOQTY"});
    usMRPManufacture = ResultTableStatements(
        "MNF_MRPMANUFACTURE",
        {"BILLID", "ITEMNO", "WORKSHOPID", "GOODSID", "APRICE", "PRICE", "QUANTITY", "AMOUNT", "BATCHCODE", "PRODUCTDATE",
         "VALIDDATE", "SUGGESTDATE", "FINISHEDDATE", "RELEASED", "MANUPLANID", "USERDEF1", "USERDEF2", "USERDEF3",
         "REFERCOUNT", "REFERBILLTYPE", "REFERBILLID", "REFERITEMNO", "REMARK", "BREFERID", "REFERQTY", "IOQTY"});
    qryWarning.SetUpdateSql(usWarning);
    qryMRPDetail.SetUpdateSql(usMRPDetail);
    qryMRPPurchase.SetUpdateSql(usMRPPurchase);
    qryMRPManufacture.SetUpdateSql(usMRPManufacture);
    DataModuleCreate();
}

void TMrpDB::DataModuleCreate() { dbMRPTMPPath = CurrentHost().TempDirectory(); }

}  // namespace mfg
