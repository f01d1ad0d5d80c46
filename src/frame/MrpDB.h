#pragma once

#include <string>

#include "data/DataSet.h"
#include "data/UpdateSql.h"

namespace mfg {

//! The module's data module: the MRP result tables as cached-update datasets on the host
//! connection, with their update statements, and the folder of the local temporary database.
//! The datasets stay closed; they declare where MRP results are kept.
class TMrpDB {
public:
    TMrpDB();

    DataSet Query1{"Query1"};
    DataSet qryTmp{"qryTmp"};
    DataSet qryMPS{"qryMPS"};
    DataSet qryWarning{"qryWarning"};
    DataSet qryMRPDetail{"qryMRPDetail"};
    DataSet qryMRPPurchase{"qryMRPPurchase"};
    DataSet qryMRPManufacture{"qryMRPManufacture"};
    UpdateSql usWarning;
    UpdateSql usMRPDetail;
    UpdateSql usMRPPurchase;
    UpdateSql usMRPManufacture;
    //! "MRPTMP": the local temporary database lives in the host's temporary folder.
    std::string dbMRPTMPPath;

private:
    void DataModuleCreate();
};

//! Insert, update and delete over every column of a result table keyed by (BILLID, ITEMNO).
UpdateSql ResultTableStatements(std::string_view table, std::initializer_list<std::string_view> columns);

}  // namespace mfg
