-- Suppliers and customers (IsVendor / isclient; acctrader both), and payment methods.

create table l_trader (
  TraderID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(128) not null,
  ShortName nvarchar(32),
  PYCode varchar(32),
  IsVendor bit not null default 0,
  isclient bit not null default 0,
  acctrader bit not null default 0,
  ShopID int,
  EmpID int,
  ShipType nvarchar(32),
  Contactor nvarchar(32),
  Tel1 varchar(32),
  Tel2 varchar(32),
  Fax varchar(32),
  Email varchar(64),
  Address nvarchar(128),
  ShipTo nvarchar(128),
  ZipCode varchar(10),
  PayMethodID int,
  MoneyID int,
  TaxRate float not null default 17,
  TaxNo varchar(32),
  Bank nvarchar(64),
  BankNo varchar(32),
  CreditDays int not null default 0,
  CreditAmt money not null default 0,
  Closed bit not null default 0,
  Memo nvarchar(128)
);
create unique index IX_l_trader_Code on l_trader (Code);

create table L_PayMethod (
  PayMethodID int not null primary key,
  Code varchar(8),
  Name nvarchar(32) not null,
  Days int not null default 0,
  Closed bit not null default 0
);
