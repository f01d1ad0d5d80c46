-- Outsourcing orders (bill type 54): goods made by an outside processor from our materials.

create table CM_MACHINING (
  BillID int not null primary key,
  BillKind int default 1,
  BillState int default 0,
  BillCode varchar(32),
  BillDate datetime not null,
  TraderID int,
  GoodsID int not null,
  ShopID int,
  EmpID int,
  DepartmentID int,
  OPID int,
  CheckorID int,
  PrintTmpltID int,
  CredID int,
  Quantity float default 0,
  FinishedQty float default 0,
  DeliveryDate datetime,
  ReferCount int default 0,
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
create unique index UX_CM_MACHINING_BillCode on CM_MACHINING (BillCode);
create index IX_CM_MACHINING_Goods on CM_MACHINING (GoodsID, DeliveryDate);

create table CM_MACHININGDETAIL (
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
  primary key (BillID, ItemNo)
);

create table CM_MACHININGSUB (
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
create index IX_CM_MACHININGSUB_Bill on CM_MACHININGSUB (BillID, ItemNo);
