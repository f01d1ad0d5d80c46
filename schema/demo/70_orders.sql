-- Demo factory: open documents around December 2026 (today 2026-12-06).

-- Sales orders (bill type 12): 4 is not audited, 5 has no delivery date, 6 belongs to 二分厂,
-- 3 is fully delivered.
insert into S_ORDER (BillID, BillKind, BillState, BillCode, BillDate, TraderID, ShopID, EmpID, OPID, CheckorID, DepartmentID, PayMethodID, RevDate, ValidDate, Closed, Amount, MoneyID, ExRate, Remark, lcAmount) values
  (1, 1, 1, 'XS-2026-12-01-0001', '2026-12-01', 5, 1, 6, 1, 1, 5, 2, '2026-12-25', '2027-03-31', 0, 207090, 1, 1, '年底订货', 207090),
  (2, 1, 1, 'XS-2026-12-03-0001', '2026-12-03', 6, 1, 6, 1, 1, 5, 3, '2027-01-15', null, 0, 108576, 1, 1, '春节备货', 108576),
  (3, 1, 1, 'XS-2026-11-20-0001', '2026-11-20', 5, 1, 6, 1, 1, 5, 2, '2026-12-10', null, 0, 45864, 1, 1, '已全部发货', 45864),
  (4, 1, 0, 'XS-2026-12-05-0001', '2026-12-05', 8, 1, 6, 1, null, 5, 2, '2027-01-20', null, 0, 44928, 1, 1, '未审核', 44928),
  (5, 1, 1, 'XS-2026-12-04-0001', '2026-12-04', 6, 1, 6, 1, 1, 5, 3, null, null, 0, 22464, 1, 1, '交货日期待定', 22464),
  (6, 1, 1, 'XS-2026-12-02-0001', '2026-12-02', 5, 2, null, 1, 1, 5, 2, '2026-12-30', null, 0, 22464, 1, 1, '二分厂订单', 22464);

insert into S_OrderDetail (BillID, ItemNo, StoreID, GoodsID, UnitID, UnitQuantity, Quantity, UnitPrice, Price, TaxRate, TaxPrice, GoodsAmt, TaxAmt, Amount, ReferQty, Closed, ChargeDate, UnitQty1, UnitQty2, UnitQty3, OrigPrice, OrigTaxPrice, lcPrice, lcTaxPrice, lcUnitPrice, lcGoodsAmt, lcTaxAmt, lcAmount, MPSREFERED) values
  (1, 1, 2, 1, 11, 100, 100, 1280, 1280, 17, 1497.6, 128000, 21760, 149760, 0, 0, '2026-12-25', 100, 0, 0, 1280, 1497.6, 1280, 1497.6, 1280, 128000, 21760, 149760, 0),
  (1, 2, 2, 2, 21, 50, 50, 980, 980, 17, 1146.6, 49000, 8330, 57330, 10, 0, '2026-12-28', 50, 0, 0, 980, 1146.6, 980, 1146.6, 980, 49000, 8330, 57330, 1),
  (2, 1, 2, 1, 11, 60, 60, 1250, 1250, 17, 1462.5, 75000, 12750, 87750, 0, 0, '2027-01-15', 60, 0, 0, 1250, 1462.5, 1250, 1462.5, 1250, 75000, 12750, 87750, 0),
  (2, 2, 2, 3, 31, 30, 30, 560, 560, 17, 655.2, 16800, 2856, 19656, 0, 0, '2027-01-15', 30, 0, 0, 560, 655.2, 560, 655.2, 560, 16800, 2856, 19656, 0),
  (2, 3, 2, 133, 1331, 200, 200, 5, 5, 17, 5.85, 1000, 170, 1170, 0, 0, '2027-01-10', 200, 0, 0, 5, 5.85, 5, 5.85, 5, 1000, 170, 1170, 0),
  (3, 1, 2, 2, 21, 40, 40, 980, 980, 17, 1146.6, 39200, 6664, 45864, 40, 0, '2026-12-10', 40, 0, 0, 980, 1146.6, 980, 1146.6, 980, 39200, 6664, 45864, 0),
  (4, 1, 2, 1, 11, 30, 30, 1280, 1280, 17, 1497.6, 38400, 6528, 44928, 0, 0, '2027-01-20', 30, 0, 0, 1280, 1497.6, 1280, 1497.6, 1280, 38400, 6528, 44928, 0),
  (5, 1, 2, 2, 21, 20, 20, 960, 960, 17, 1123.2, 19200, 3264, 22464, 0, 0, '2027-01-10', 20, 0, 0, 960, 1123.2, 960, 1123.2, 960, 19200, 3264, 22464, 0),
  (6, 1, 2, 1, 11, 15, 15, 1280, 1280, 17, 1497.6, 19200, 3264, 22464, 0, 0, '2026-12-30', 15, 0, 0, 1280, 1497.6, 1280, 1497.6, 1280, 19200, 3264, 22464, 0);

insert into f_exportorder (BillID, BillKind, BillState, BillCode, BillDate, TraderID, ShopID, EmpID, OPID, CheckorID, DepartmentID, PayMethodID, RevDate, ValidDate, Closed, Amount, MoneyID, ExRate, Remark, lcAmount) values
  (1, 1, 1, 'CK-2026-12-0001', '2026-12-02', 6, 1, 6, 1, 1, 5, 2, '2027-01-08', null, 0, 13500, 1, 1, '出口订单', 13500);

insert into f_exportorderdetail (BillID, ItemNo, StoreID, GoodsID, UnitID, UnitQuantity, Quantity, UnitPrice, Price, TaxRate, TaxPrice, GoodsAmt, TaxAmt, Amount, ReferQty, Closed, ChargeDate, UnitQty1, UnitQty2, UnitQty3, OrigPrice, OrigTaxPrice, lcPrice, lcTaxPrice, lcUnitPrice, lcGoodsAmt, lcTaxAmt, lcAmount) values
  (1, 1, 2, 1, 11, 10, 10, 1350, 1350, 0, 1350, 13500, 0, 13500, 0, 0, '2027-01-08', 10, 0, 0, 1350, 1350, 1350, 1350, 1350, 13500, 0, 13500);

-- Purchase orders (bill type 2): 3 is overdue, 4 not audited, 5 expired; order 2 buys spokes in 盒 (12) and tyres in 箱 (10).
insert into P_ORDER (BillID, BillKind, BillState, BillCode, BillDate, TraderID, ShopID, EmpID, OPID, CheckorID, DepartmentID, PayMethodID, RevDate, ValidDate, Closed, Amount, MoneyID, ExRate, Remark, lcAmount, cTraderID) values
  (1, 1, 1, 'CG-2026-12-0001', '2026-12-02', 1, 1, 5, 1, 1, 4, 2, '2026-12-15', '2050-12-31', 0, 10530, 1, 1, '钢管备料', 10530, 1),
  (2, 1, 1, 'CG-2026-12-0002', '2026-12-03', 2, 1, 5, 1, 1, 4, 2, '2026-12-20', null, 0, 11278.8, 1, 1, '车轮配件', 11278.8, 2),
  (3, 1, 1, 'CG-2026-11-0001', '2026-11-25', 8, 1, 5, 1, 1, 4, 2, '2026-12-01', '2050-12-31', 0, 702, 1, 1, '超期未到货', 702, 8),
  (4, 1, 0, 'CG-2026-12-0003', '2026-12-05', 8, 1, 5, 1, null, 4, 2, '2026-12-18', '2050-12-31', 0, 2925, 1, 1, '未审核', 2925, 8),
  (5, 1, 1, 'CG-2026-10-0001', '2026-10-20', 1, 1, 5, 1, 1, 4, 2, '2026-11-15', '2026-11-30', 0, 1170, 1, 1, '已过有效期', 1170, 1);

insert into P_ORDERDETAIL (BillID, ItemNo, StoreID, GoodsID, UnitID, UnitQuantity, Quantity, UnitPrice, Price, TaxRate, TaxPrice, GoodsAmt, TaxAmt, Amount, ReferQty, Closed, ChargeDate, UnitQty1, UnitQty2, UnitQty3, OrigPrice, OrigTaxPrice, lcPrice, lcTaxPrice, lcUnitPrice, lcGoodsAmt, lcTaxAmt, lcAmount) values
  (1, 1, 1, 101, 1011, 500, 500, 12, 12, 17, 14.04, 6000, 1020, 7020, 100, 0, '2026-12-15', 500, 0, 0, 12, 14.04, 12, 14.04, 12, 6000, 1020, 7020),
  (1, 2, 1, 102, 1021, 200, 200, 15, 15, 17, 17.55, 3000, 510, 3510, 0, 0, '2026-12-15', 200, 0, 0, 15, 17.55, 15, 17.55, 15, 3000, 510, 3510),
  (2, 1, 1, 104, 1042, 100, 1200, 5.4, 0.45, 17, 0.5265, 540, 91.8, 631.8, 0, 0, '2026-12-20', 0, 100, 0, 0.45, 0.5265, 0.45, 0.5265, 5.4, 540, 91.8, 631.8),
  (2, 2, 1, 106, 1061, 200, 200, 28, 28, 17, 32.76, 5600, 952, 6552, 0, 0, '2026-12-20', 200, 0, 0, 28, 32.76, 28, 32.76, 28, 5600, 952, 6552),
  (2, 3, 1, 111, 1112, 10, 100, 350, 35, 17, 40.95, 3500, 595, 4095, 0, 0, '2026-12-22', 0, 10, 0, 35, 40.95, 35, 40.95, 350, 3500, 595, 4095),
  (3, 1, 1, 127, 1271, 5000, 5000, 0.12, 0.12, 17, 0.1404, 600, 102, 702, 0, 0, '2026-12-01', 5000, 0, 0, 0.12, 0.1404, 0.12, 0.1404, 0.12, 600, 102, 702),
  (4, 1, 1, 120, 1201, 100, 100, 25, 25, 17, 29.25, 2500, 425, 2925, 0, 0, '2026-12-18', 100, 0, 0, 25, 29.25, 25, 29.25, 25, 2500, 425, 2925),
  (5, 1, 1, 122, 1221, 50, 50, 20, 20, 17, 23.4, 1000, 170, 1170, 0, 0, '2026-11-15', 50, 0, 0, 20, 23.4, 20, 23.4, 20, 1000, 170, 1170);

insert into P_REQUEST (BillID, BillKind, BillState, BillCode, BillDate, ShopID, EmpID, OPID, CheckorID, DepartmentID, Closed, Remark) values
  (1, 1, 1, 'QG-2026-12-0001', '2026-12-04', 1, 5, 1, 1, 4, 0, '传动配件请购');

insert into P_REQUESTDETAIL (BillID, ItemNo, StoreID, GoodsID, UnitID, UnitQuantity, Quantity, UnitPrice, Price, Amount, ReferQty, Closed, ChargeDate, UnitQty1) values
  (1, 1, 1, 118, 1181, 100, 100, 65, 65, 6500, 0, 0, '2026-12-22', 100),
  (1, 2, 1, 119, 1191, 100, 100, 18, 18, 1800, 0, 0, '2026-12-22', 100);

-- Import order in 美元.
insert into f_importorder (BillID, BillKind, BillState, BillCode, BillDate, TraderID, ShopID, EmpID, OPID, CheckorID, DepartmentID, PayMethodID, RevDate, ValidDate, Closed, Amount, MoneyID, ExRate, Remark, lcAmount) values
  (1, 1, 1, 'JK-2026-12-0001', '2026-12-01', 4, 1, 5, 1, 1, 4, 2, '2027-01-05', '2027-06-30', 0, 660, 2, 7.2, '进口V刹', 4752);

insert into f_importorderdetail (BillID, ItemNo, StoreID, GoodsID, UnitID, UnitQuantity, Quantity, UnitPrice, Price, TaxRate, TaxPrice, GoodsAmt, TaxAmt, Amount, ReferQty, Closed, ChargeDate, UnitQty1, UnitQty2, UnitQty3, OrigPrice, OrigTaxPrice, lcPrice, lcTaxPrice, lcUnitPrice, lcGoodsAmt, lcTaxAmt, lcAmount) values
  (1, 1, 1, 125, 1251, 300, 300, 2.2, 2.2, 0, 2.2, 660, 0, 660, 0, 0, '2027-01-05', 300, 0, 0, 2.2, 2.2, 15.84, 15.84, 15.84, 4752, 0, 4752);

-- Schedule lines (bill type 43): 3 is not audited, 4 is fully released.
insert into MNF_ManuPlan (BillID, ItemNo, BillKind, BillState, BillDate, ShopID, BillCode, ReferCount, Frozen, GoodsID, Quantity, FinishDate, ReleasedQty, OPID, CheckorID, Closed, SFlag, Remark, ReferBillID, ReferItemNo) values
  (1, 1, 1, 1, '2026-12-02', 1, 'JH-2026-12-0001', 0, 0, 1, 80, '2026-12-30', 0, 1, 1, 0, 0, '年底备货', null, null),
  (2, 1, 1, 1, '2026-12-02', 1, 'JH-2026-12-0002', 0, 0, 2, 40, '2026-12-28', 0, 1, 1, 0, 0, '销售订单直接下达', 1, 2),
  (3, 1, 1, 0, '2026-12-05', 1, 'JH-2026-12-0003', 0, 0, 1, 20, '2027-01-20', 0, 1, null, 0, 0, '未审核', null, null),
  (4, 1, 1, 1, '2026-11-25', 1, 'JH-2026-11-0001', 0, 0, 2, 30, '2026-12-15', 30, 1, 1, 0, 0, '已全部下达', null, null);

-- Manufacture orders (bill type 42): 3 was made for sales order 1 line 1, 4 is not audited,
-- 5 (BillKind 2) repairs 后轮组件 drawn from stock by drawing 1.
insert into MNF_MANUORDER (BillID, BillKind, BillState, BillCode, BillDate, WorkShopID, StoreID, GoodsID, ShopID, EmpID, DepartmentID, OPID, CheckorID, PlanDate, FinishedDate, Quantity, FinishedQty, UseTime, ReferBillType, ReferBillID, ReferItemNo, Closed, Remark) values
  (1, 1, 1, 'SC-2026-12-0001', '2026-12-02', 4, 2, 1, 1, 4, 2, 1, 1, '2026-12-07', '2026-12-18', 50, 10, 125, 43, 1, 1, 0, '年底备货'),
  (2, 1, 1, 'SC-2026-12-0002', '2026-12-03', 3, 2, 13, 1, 3, 2, 1, 1, '2026-12-08', '2026-12-15', 100, 0, 30, null, null, null, 0, '前轮备货'),
  (3, 1, 1, 'SC-2026-12-0003', '2026-12-03', 4, 2, 1, 1, 4, 2, 1, 1, '2026-12-14', '2026-12-22', 20, 0, 50, 12, 1, 1, 0, '按销售订单生产'),
  (4, 1, 0, 'SC-2026-12-0004', '2026-12-05', 1, 2, 21, 1, 1, 2, 1, null, '2026-12-09', '2026-12-16', 60, 0, 72, null, null, null, 0, '未审核'),
  (5, 2, 1, 'SC-2026-12-0005', '2026-12-04', 3, 2, 14, 1, 3, 2, 1, 1, '2026-12-07', '2026-12-11', 10, 0, 3, null, null, null, 0, '返修后轮');

insert into MNF_MANUORDERDETAIL (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, Price, UnitPrice, Amount, TokenQty, UnitQty1, COUNTWAGEITEMID, Remark) values
  (1, 1, 11, 111, 50, 50, 180, 180, 9000, 50, 50, 6, null),
  (1, 2, 13, 131, 50, 50, 85, 85, 4250, 30, 50, 6, null),
  (1, 3, 14, 141, 50, 50, 95, 95, 4750, 30, 50, 6, null),
  (1, 4, 19, 191, 50, 50, 85, 85, 4250, 0, 50, 6, null),
  (1, 5, 20, 201, 50, 50, 35, 35, 1750, 0, 50, 6, null),
  (1, 6, 124, 1241, 100, 100, 8.8, 8.8, 880, 0, 100, 6, null),
  (1, 7, 125, 1251, 100, 100, 15.5, 15.5, 1550, 0, 100, 6, null),
  (1, 8, 126, 1261, 100, 100, 3.4, 3.4, 340, 0, 100, 6, null),
  (1, 9, 120, 1201, 50, 50, 24, 24, 1200, 0, 50, 6, null),
  (1, 10, 117, 1171, 51, 51, 21, 21, 1071, 0, 51, 6, null),
  (2, 1, 18, 181, 100, 100, 40, 40, 4000, 0, 100, 5, null),
  (2, 2, 109, 1091, 100, 100, 17.5, 17.5, 1750, 0, 100, 5, null),
  (2, 3, 111, 1111, 100, 100, 34, 34, 3400, 0, 100, 5, null),
  (2, 4, 114, 1141, 100, 100, 7.8, 7.8, 780, 0, 100, 5, null),
  (3, 1, 11, 111, 20, 20, 180, 180, 3600, 0, 20, 6, null),
  (3, 2, 13, 131, 20, 20, 85, 85, 1700, 0, 20, 6, null),
  (3, 3, 14, 141, 20, 20, 95, 95, 1900, 0, 20, 6, null),
  (4, 1, 101, 1011, 135.96, 135.96, 11.8, 11.8, 1604.33, 0, 135.96, 1, null),
  (4, 2, 102, 1021, 49.44, 49.44, 14.8, 14.8, 731.71, 0, 49.44, 1, null),
  (5, 1, 14, 141, 10, 10, 95, 95, 950, 10, 10, 5, null);

insert into MNF_MANUORDERSUB (BillID, ItemNo, SubGoodsID, Orderno, Rate, Quantity) values
  (1, 10, 140, '1', 1, 51);

insert into MNF_MANUORDERPROC (BillID, ItemNo, Orderno, COUNTWAGEITEMID, WorkShopID, WorkCenterID) values
  (1, 1, '001', 6, 4, 5),
  (1, 2, '002', 7, 4, 5),
  (1, 3, '003', 8, 4, 6),
  (2, 1, '001', 5, 3, 4),
  (4, 1, '001', 1, 1, 1),
  (4, 2, '002', 2, 1, 2);

insert into i_draw (BillID, BillKind, BillState, BillCode, BillDate, ShopID, StoreID, WorkShopID, OPID, CheckorID, ReferBillType, ReferBillID, Closed, Remark) values
  (1, 1, 1, 'LL-2026-12-0001', '2026-12-04', 1, 2, 3, 1, 1, 42, 5, 0, '返修领用'),
  (2, 1, 1, 'LL-2026-12-0002', '2026-12-05', 1, 2, 4, 1, 1, 42, 1, 0, '总装领料');

insert into i_drawdetail (BillID, ItemNo, GoodsID, StoreID, UnitID, UnitQuantity, Quantity, ReferBillType, ReferBillID, ReferItemNo) values
  (1, 1, 14, 2, 141, 10, 10, 42, 5, 1),
  (2, 1, 11, 2, 111, 50, 50, 42, 1, 1),
  (2, 2, 13, 2, 131, 30, 30, 42, 1, 2),
  (2, 3, 14, 2, 141, 30, 30, 42, 1, 3);

-- Outsourcing order (bill type 54) with 东莞精工车架加工厂.
insert into CM_MACHINING (BillID, BillKind, BillState, BillCode, BillDate, TraderID, GoodsID, ShopID, EmpID, DepartmentID, OPID, CheckorID, Quantity, FinishedQty, DeliveryDate, Closed, Remark) values
  (1, 1, 1, 'WW-2026-12-0001', '2026-12-03', 3, 21, 1, 5, 4, 1, 1, 40, 0, '2026-12-20', 0, '车架焊接外协');

insert into CM_MACHININGDETAIL (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, Price, UnitPrice, Amount, TokenQty, UnitQty1, Remark) values
  (1, 1, 101, 1011, 90.64, 90.64, 11.8, 11.8, 1069.55, 0, 90.64, null),
  (1, 2, 102, 1021, 32.96, 32.96, 14.8, 14.8, 487.81, 0, 32.96, null);

insert into d_request (BillID, BillKind, BillState, BillCode, BillDate, ShopID, DstShopID, StoreID, ArriveDate, OPID, CheckorID, Closed, Remark) values
  (1, 1, 1, 'QP-2026-12-0001', '2026-12-03', 1, 2, 1, '2026-12-16', 1, 1, 0, '向二分厂请配车座');

insert into d_requestdetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, ReferQty, Closed) values
  (1, 1, 120, 1201, 50, 50, 0, 0);

-- Distribution 1 comes in from 二分厂, distribution 2 goes out to it.
insert into d_distribute (BillID, BillKind, BillState, BillCode, BillDate, ShopID, SrcShopID, DstShopID, SrcStoreID, DstStoreID, ArriveDate, OPID, CheckorID, Closed, Remark) values
  (1, 1, 1, 'PS-2026-12-0001', '2026-12-04', 2, 2, 1, 4, 1, '2026-12-12', 1, 1, 0, '二分厂配送把套'),
  (2, 1, 1, 'PS-2026-12-0002', '2026-12-05', 1, 1, 2, 1, 4, '2026-12-14', 1, 1, 0, '配送反光片到二分厂');

insert into d_distributedetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, ReferQty, Closed) values
  (1, 1, 123, 1231, 100, 100, 0, 0),
  (2, 1, 134, 1341, 200, 200, 0, 0);
