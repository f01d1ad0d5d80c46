#include "PurchaseColumns.h"

#include <algorithm>

#include "BillRows.h"

namespace mfg::purchase {

std::vector<std::string> OrderColumns(bool withLinkman)
{
    auto columns = BillRows::ColumnList(
        "billid, billkind, billstate, billcode, billdate, traderid, ctraderid, shopid, empid, opid, checkorid, "
        "departmentid, paymethodid, accountid, credid, printtmpltid, shiptype, contactphone, contactor, contractno, "
        "revdate, billto, closed, amount, referamt, refercount, userdef1, userdef2, userdef3, userdef4, userdef5, "
        "updatetime, remark, sflag, contactfax, linkman, modifierid, validdate, lcamount, exrate, moneyid");
    if (!withLinkman) columns.erase(std::find(columns.begin(), columns.end(), "linkman"));
    return columns;
}

std::vector<std::string> OrderLineColumns()
{
    return BillRows::ColumnList(
        "billid, itemno, storeid, goodsid, aprice, price, taxprice, origprice, origtaxprice, quantity, disc, "
        "taxrate, amount, unitid, unitquantity, unitprice, unitqty1, unitqty2, unitqty3, extqty, referextqty, "
        "taxamt, goodsamt, batchcode, productdate, validdate, breferid, refercount, referbilltype, "
        "referbillid, referitemno, referqty, ioqty, closed, userdef1, userdef2, userdef3, remark, chargedate, "
        "lcPrice, lcTaxPrice, lctaxamt, lcAmount, lcgoodsamt, lcunitprice");
}

std::vector<std::string> RequestColumns()
{
    return BillRows::ColumnList(
        "billid, billkind, billstate, billcode, billdate, shopid, empid, opid, checkorid, departmentid, credid, "
        "printtmpltid, closed, amount, referamt, refercount, userdef1, userdef2, userdef3, userdef4, userdef5, "
        "updatetime, remark, sflag, check1, check1time, check2, check2time, check3, check3time, check4, "
        "check4time, check5, check5time, check6, check6time");
}

std::vector<std::string> RequestLineColumns()
{
    return BillRows::ColumnList(
        "billid, itemno, storeid, goodsid, aprice, price, quantity, amount, unitid, unitquantity, unitprice, "
        "unitqty1, unitqty2, unitqty3, extqty, referextqty, batchcode, productdate, validdate, refercount, "
        "referbilltype, referbillid, referitemno, referqty, userdef1, userdef2, userdef3, remark, chargedate, "
        "closed, greferqty, greferextqty");
}

}  // namespace mfg::purchase
