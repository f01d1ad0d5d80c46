-- Manufacture orders (bill type 42) with component, substitute and process lines,
-- and material drawings (i_draw) against them.

-- PlanDate is the planned start, FinishedDate the planned finish; UseTime the working hours of the order.
-- ReferBillType 12 or 43 with ReferBillID/ReferItemNo: the sales order or schedule line it was made for.
create table MNF_MANUORDER (
  BillID int not null primary key,
  BillKind int default 1,
  BillState int default 0,
  BillCode varchar(32),
  BillDate datetime not null,
  WorkShopID int,
  StoreID int,
  GoodsID int not null,
  ShopID int,
  EmpID int,
  DepartmentID int,
  OPID int,
  CheckorID int,
  PrintTmpltID int,
  CredID int,
  PlanDate datetime,
  FinishedDate datetime,
  Amount money default 0,
  Quantity float default 0,
  FinishedQty float default 0,
  ReferCount int default 0,
  UseTime float default 0,
  ReferItemNo int,
  ReferBillType int,
  ReferBillID int,
  Closed int default 0,
  UserDef1 nvarchar(64),
  UserDef2 nvarchar(64),
  UserDef3 nvarchar(64),
  UserDef4 nvarchar(64),
  UserDef5 nvarchar(64),
  UpdateTime datetime default getdate(),
  Remark nvarchar(255),
  SFlag int default 0,
  ExtQty float default 0
);
-- Two users numbering bills of the same period at once: the second is refused and takes the next serial.
create unique index UX_MNF_MANUORDER_BillCode on MNF_MANUORDER (BillCode);
create index IX_MNF_MANUORDER_Goods on MNF_MANUORDER (GoodsID, FinishedDate);

-- Component lines; TokenQty is the quantity already drawn from stock.
create table MNF_MANUORDERDETAIL (
  BillID int not null,
  ItemNo int not null,
  GoodsID int not null,
  APrice float default 0,
  Price float default 0,
  Quantity float default 0,
  Amount money default 0,
  UnitID int,
  UnitQuantity float default 0,
  UnitPrice float default 0,
  UnitQty1 float default 0,
  UnitQty2 float default 0,
  UnitQty3 float default 0,
  ExtQty float default 0,
  ReferExtQty float default 0,
  BatchCode varchar(32),
  ProductDate datetime,
  ValidDate datetime,
  TokenQty float default 0,
  TokenAmt money default 0,
  WastedQty float default 0,
  WastedAmt money default 0,
  ReferCount int default 0,
  ReferBillType int,
  ReferBillID int,
  ReferItemNo int,
  BReferID int,
  ReferQty float default 0,
  IOQty float default 0,
  UserDef1 nvarchar(64),
  UserDef2 nvarchar(64),
  UserDef3 nvarchar(64),
  Remark nvarchar(255),
  COUNTWAGEITEMID int,
  primary key (BillID, ItemNo)
);

-- Substitutes of a component line (ItemNo); Orderno is the substitute's place in the BOM line.
-- A component used on several BOM lines can bring the same substitute twice, so there is no unique key.
create table MNF_MANUORDERSUB (
  BillID int not null,
  ItemNo int not null,
  SubGoodsID int not null,
  Orderno varchar(18),
  Rate float default 1,
  Quantity float default 0,
  TokenQty float default 0,
  WastedQty float default 0,
  ExtQty float default 0,
  Memo nvarchar(50)
);
create index IX_MNF_MANUORDERSUB_Bill on MNF_MANUORDERSUB (BillID, ItemNo);

create table MNF_MANUORDERPROC (
  BillID int not null,
  ItemNo int not null,
  Orderno varchar(32),
  Remark nvarchar(255),
  COUNTWAGEITEMID int,
  WorkShopID int,
  WorkCenterID int,
  UseTime float default 0,
  FinishedQty float default 0,
  primary key (BillID, ItemNo)
);

create table i_draw (
  BillID int not null primary key,
  BillKind int default 1,
  BillState int default 0,
  BillCode varchar(32),
  BillDate datetime not null,
  ShopID int,
  StoreID int,
  WorkShopID int,
  DepartmentID int,
  EmpID int,
  OPID int,
  CheckorID int,
  ReferBillType int,
  ReferBillID int,
  Closed int default 0,
  Amount money default 0,
  UpdateTime datetime default getdate(),
  Remark nvarchar(255),
  SFlag int default 0
);

-- ReferBillID/ReferItemNo: the manufacture order line the material is drawn for.
create table i_drawdetail (
  BillID int not null,
  ItemNo int not null,
  GoodsID int not null,
  StoreID int,
  UnitID int,
  UnitQuantity float default 0,
  Quantity float default 0,
  Price float default 0,
  Amount money default 0,
  ExtQty float default 0,
  BatchCode varchar(32),
  ReferBillType int,
  ReferBillID int,
  ReferItemNo int,
  ReferQty float default 0,
  Remark nvarchar(255),
  primary key (BillID, ItemNo)
);
create index IX_i_drawdetail_Refer on i_drawdetail (ReferBillID, ReferItemNo);
