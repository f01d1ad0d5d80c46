-- Keys, system parameters, bill numbering rules, print templates, currencies,
-- posting periods and the bill print record.

-- AG_GETNEWKEY hands out LastKey + 1 for a table name in upper case.
create table AG_KEYS (TableName varchar(64) primary key, LastKey int not null);

-- Database upgrades that have been applied ("3.40", ...).
create table AG_VERSION (
  Version varchar(16) not null primary key,
  UpgradeDate datetime default getdate(),
  Memo nvarchar(128)
);

-- One row per host parameter: CompanyName, Address, Tel, TaxNo, Bank, BankNo,
-- ShopBillCode, StartYear, IsBand, MultiMRP, ShopTrader, ShopAccount and the decimals.
create table L_SysParam (
  ParamName varchar(64) not null primary key,
  ParamValue nvarchar(255),
  Memo nvarchar(128)
);

-- Wrong passwords in a row after which an operator is locked until an administrator sets a new one.
insert into L_SysParam (ParamName, ParamValue, Memo) values ('LoginAttempts', '5', '口令连续错误几次后锁定操作员');

-- Bill code rule per bill type: Head + Sepa + date in Mode + Sepa + serial of len(Code) digits.
create table L_BillType (
  ID int not null primary key,
  Name nvarchar(32) not null,
  Head varchar(8),
  Sepa varchar(4),
  Mode nvarchar(8),
  Code varchar(16),
  TableName varchar(64),
  Closed bit not null default 0,
  Memo nvarchar(128)
);

create table L_PRINTTMPLT (
  PRINTTMPLTID int not null primary key,
  TypeID int not null,
  Name nvarchar(64) not null,
  DATA image,
  IsDefault bit not null default 0,
  OPID int,
  UpdateTime datetime default getdate(),
  Memo nvarchar(128)
);
create index IX_L_PRINTTMPLT_TypeID on L_PRINTTMPLT (TypeID);

-- Calctype 0: foreign = local / Rate; 1: foreign = local * Rate.
create table L_Money (
  MoneyID int not null primary key,
  Code varchar(8) not null,
  Name nvarchar(32) not null,
  Rate float not null default 1,
  Calctype smallint not null default 0,
  IsLocal bit not null default 0,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

-- Posting months; the open posting month is the earliest one not closed.
create table AG_ACCPERIOD (
  PeriodYear int not null,
  PeriodMonth int not null,
  BegDate datetime not null,
  EndDate datetime not null,
  Closed bit not null default 0,
  primary key (PeriodYear, PeriodMonth)
);

-- Written by up_ab_billprint_insert when a bill is created, counted up by each print.
create table AB_BILLPRINT (
  BillType int not null,
  BillID int not null,
  BillCode varchar(32),
  BillDate datetime,
  OPID int,
  ShopID int,
  PrintTimes int not null default 0,
  LastPrintTime datetime,
  CreateTime datetime default getdate(),
  primary key (BillType, BillID)
);
-- A code is spent once it has a print record: two releases numbering at once meet here.
create unique index UX_AB_BILLPRINT_Code on AB_BILLPRINT (BillType, BillCode);
