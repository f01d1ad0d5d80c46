-- Goods master, goods types, units and default substitutes.
-- Kind: 1 purchased material, 2 semi-finished, 3 finished product, 9 virtual item.

create table L_GoodsType (
  GdTypeID int not null primary key,
  LCode varchar(32) not null,
  Name nvarchar(64) not null,
  ParentID int,
  Closed bit not null default 0,
  Memo nvarchar(128)
);
create unique index IX_L_GoodsType_LCode on L_GoodsType (LCode);

create table L_Goods (
  GoodsID int not null primary key,
  Code varchar(32) not null,
  Name nvarchar(64) not null,
  Specs nvarchar(64),
  PYCode varchar(32),
  BarCode varchar(32),
  Kind smallint not null default 1,
  GdTypeID int,
  UnitID int,
  StoreID int,
  TraderID int,
  EmpID int,
  WorkShopID int,
  IsMrp smallint not null default 1,
  MinPurchaseQty float not null default 0,
  OrderAddQty float not null default 0,
  LeadTime int not null default 0,
  APrice float not null default 0,
  SalePrice float not null default 0,
  TaxRate float not null default 17,
  CANCMB bit not null default 0,
  Closed bit not null default 0,
  GUserDef1 nvarchar(32),
  GUserDef2 nvarchar(32),
  GUserDef3 nvarchar(32),
  GUserDef4 nvarchar(32),
  GUserDef5 nvarchar(32),
  ShopID int,
  OPID int,
  CreateDate datetime default getdate(),
  UpdateTime datetime,
  Memo nvarchar(128)
);
create unique index IX_L_Goods_Code on L_Goods (Code);
create index IX_L_Goods_Kind on L_Goods (Kind);

-- UnitID is unique over all goods: documents refer to a goods unit by UnitID alone.
-- The base unit (IsBase = 1, Rate 1, Sequence 1) is the unit of every quantity the MRP counts;
-- UnitType 0 units are offered on documents, the UnitType 1 unit carries the auxiliary quantity (extqty).
create table L_GoodsUnit (
  UnitID int not null primary key,
  GoodsID int not null,
  UnitName nvarchar(24) not null,
  Rate float not null default 1,
  IsBase bit not null default 0,
  UnitType smallint not null default 0,
  Sequence smallint not null default 1,
  PPrice float not null default 0,
  SPrice float not null default 0,
  BarCode varchar(32),
  Memo nvarchar(64)
);
create index IX_L_GoodsUnit_GoodsID on L_GoodsUnit (GoodsID, IsBase);

-- The unit register under the same ids as L_GoodsUnit (L_Goods.UnitID names a row of both).
create table L_Unit (
  UnitID int not null primary key,
  Code varchar(16),
  Name nvarchar(24) not null,
  Memo nvarchar(64)
);

-- Default substitutes of a goods, copied into a BOM line when the goods becomes its component.
create table l_goodssub (
  GoodsID int not null,
  SubGoodsID int not null,
  Rate float not null default 1,
  Memo nvarchar(50),
  primary key (GoodsID, SubGoodsID)
);
