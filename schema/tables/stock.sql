-- Stores, stock on hand and the stock movement journal.

create table l_store (
  StoreID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  ShopID int,
  mrpcanuse smallint not null default 1,
  EmpID int,
  Address nvarchar(128),
  Closed bit not null default 0,
  Memo nvarchar(128)
);

-- Quantity is book stock, RealQty real stock; DownQty/UpQty the stock limits, UsedQty reserved stock.
create table aa_onhand (
  StoreID int not null,
  GoodsID int not null,
  Quantity float not null default 0,
  RealQty float not null default 0,
  DownQty float not null default 0,
  UpQty float not null default 0,
  UsedQty float not null default 0,
  APrice float not null default 0,
  Amount money not null default 0,
  UpdateTime datetime,
  primary key (StoreID, GoodsID)
);
create index IX_aa_onhand_GoodsID on aa_onhand (GoodsID);

-- One row per posted document line that moved stock; BillType 4 BillKind 1/3 are purchase receipts.
create table AA_BillFlow (
  FlowID int not null primary key,
  BillType int not null,
  BillKind int not null default 1,
  BillID int not null,
  ItemNo int not null default 1,
  BillCode varchar(32),
  BillDate datetime not null,
  ShopID int,
  StoreID int,
  TraderID int,
  GoodsID int not null,
  UnitID int,
  Quantity float not null default 0,
  Price float not null default 0,
  Amount money not null default 0,
  CostPrice float not null default 0,
  CostAmt money not null default 0,
  OPID int,
  UpdateTime datetime default getdate()
);
create index IX_AA_BillFlow_Goods on AA_BillFlow (GoodsID, BillType, BillDate);
