-- Bills of material: component lines, process lines, substitutes, and the assembly table.

-- MasterQty, UseTime, PreTime, WorkLineID, State and Checkorid are the same on every line of a parent.
-- MnfQty is the component quantity for MasterQty parents; Quantity the quantity for one parent.
-- Edits write every column but State, NULL where unset; State must default to 0 (not audited).
create table L_GoodsBom (
  GoodsID int not null,
  ElemGID int not null,
  ItemNo int not null,
  Quantity float default 1,
  MnfQty float default 1,
  MasterQty float default 1,
  UseTime float default 0,
  PreTime float default 0,
  WasteRate float default 0,
  Memo nvarchar(64),
  Orderno varchar(32),
  WorkLineID int,
  COUNTWAGEITEMID int,
  UserDef1 nvarchar(64),
  UserDef2 nvarchar(64),
  UserDef3 nvarchar(64),
  UserDef4 nvarchar(64),
  UserDef5 nvarchar(64),
  OPID int,
  Checkorid int,
  State int not null default 0,
  primary key (GoodsID, ElemGID, ItemNo)
);
create index IX_L_GoodsBom_ElemGID on L_GoodsBom (ElemGID);

create table L_GoodsBomProc (
  GoodsID int not null,
  ItemNo int not null,
  Orderno varchar(32),
  COUNTWAGEITEMID int,
  WorkShopID int,
  WorkCenterID int,
  UseTime float default 0,
  PreTime float default 0,
  Memo nvarchar(255),
  primary key (GoodsID, ItemNo)
);

-- GoodsItemNO is the ItemNo of the L_GoodsBom line; ItemNo the substitute's place in that line.
create table L_GoodsBomsub (
  GoodsID int not null,
  ElemGID int not null,
  GoodsItemNO int not null,
  ItemNo varchar(18),
  SubGoodsID int not null,
  Rate float default 1,
  Memo nvarchar(50),
  primary key (GoodsID, ElemGID, SubGoodsID, GoodsItemNO)
);

-- Filled by "insert into l_goodscombin select goodsid,elemgid,quantity,wasterate from l_goodsbom":
-- exactly these four columns in this order, and duplicates of a component are allowed.
create table l_goodscombin (
  GoodsID int not null,
  ElemGID int not null,
  Quantity float,
  WasteRate float
);
create index IX_l_goodscombin_GoodsID on l_goodscombin (GoodsID);
