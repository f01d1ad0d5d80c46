-- Distribution between branches: requests of a branch (d_request) and distributions
-- from SrcShopID to DstShopID (d_distribute).

-- ShopID is the requesting branch, DstShopID the branch asked to deliver.
create table d_request (
  BillID int not null primary key,
  BillKind int default 1,
  BillState int default 0,
  BillCode varchar(32),
  BillDate datetime not null,
  ShopID int,
  DstShopID int,
  StoreID int,
  ArriveDate datetime,
  EmpID int,
  OPID int,
  CheckorID int,
  Closed int default 0,
  Amount money default 0,
  ReferCount int default 0,
  UpdateTime datetime default getdate(),
  Remark nvarchar(255),
  SFlag int default 0
);

create table d_requestdetail (
  BillID int not null,
  ItemNo int not null,
  GoodsID int not null,
  UnitID int,
  UnitQuantity float default 0,
  Quantity float default 0,
  Price float default 0,
  Amount money default 0,
  ReferQty float default 0,
  ReferBillType int,
  ReferBillID int,
  ReferItemNo int,
  Closed int default 0,
  Remark nvarchar(255),
  primary key (BillID, ItemNo)
);

create table d_distribute (
  BillID int not null primary key,
  BillKind int default 1,
  BillState int default 0,
  BillCode varchar(32),
  BillDate datetime not null,
  ShopID int,
  SrcShopID int,
  DstShopID int,
  SrcStoreID int,
  DstStoreID int,
  ArriveDate datetime,
  ReferBillType int,
  ReferBillID int,
  EmpID int,
  OPID int,
  CheckorID int,
  Closed int default 0,
  Amount money default 0,
  ReferCount int default 0,
  UpdateTime datetime default getdate(),
  Remark nvarchar(255),
  SFlag int default 0
);

create table d_distributedetail (
  BillID int not null,
  ItemNo int not null,
  GoodsID int not null,
  UnitID int,
  UnitQuantity float default 0,
  Quantity float default 0,
  Price float default 0,
  Amount money default 0,
  ReferQty float default 0,
  ReferBillType int,
  ReferBillID int,
  ReferItemNo int,
  Closed int default 0,
  Remark nvarchar(255),
  primary key (BillID, ItemNo)
);
