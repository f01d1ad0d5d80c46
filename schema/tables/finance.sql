-- Cash and bank accounts, receivables and payables falling due, and monthly wages:
-- the inputs of the funds projection.

-- IsCash: 0 bank, 1 cash, other values are accounts the funds projection leaves out.
-- DownAmt is the least balance to keep; getaccountbalance reads Balance.
create table ac_account (
  AccountID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  ShopID int,
  IsCash smallint not null default 0,
  MoneyID int,
  Bank nvarchar(64),
  BankNo varchar(32),
  InitAmt money not null default 0,
  Balance money not null default 0,
  DownAmt money not null default 0,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

-- Receivables by due date; getduecharge returns PayDate and the open Amount - PaidAmt.
create table ac_duecharge (
  BillID int not null,
  ItemNo int not null,
  ShopID int,
  TraderID int,
  BillType int,
  BillCode varchar(32),
  BillDate datetime,
  PayDate datetime not null,
  Amount money not null default 0,
  PaidAmt money not null default 0,
  Closed int not null default 0,
  Remark nvarchar(255),
  primary key (BillID, ItemNo)
);

-- Payables by due date; read by getduepay like ac_duecharge.
create table ac_duepay (
  BillID int not null,
  ItemNo int not null,
  ShopID int,
  TraderID int,
  BillType int,
  BillCode varchar(32),
  BillDate datetime,
  PayDate datetime not null,
  Amount money not null default 0,
  PaidAmt money not null default 0,
  Closed int not null default 0,
  Remark nvarchar(255),
  primary key (BillID, ItemNo)
);

create table aw_monthwagedatam (
  BillID int not null primary key,
  BillCode varchar(32),
  BillDate datetime not null,
  BillState int not null default 0,
  ShopID int,
  DepartmentID int,
  WageYear int,
  WageMonth int,
  OPID int,
  CheckorID int,
  Amount money not null default 0,
  UpdateTime datetime default getdate(),
  Remark nvarchar(255)
);

-- The wage query names billdate and shopid without an alias, so the lines must not carry them.
create table aw_monthwagefix (
  BillID int not null,
  ItemNo int not null,
  EmpID int,
  BaseAmt money not null default 0,
  PieceAmt money not null default 0,
  BonusAmt money not null default 0,
  DeductAmt money not null default 0,
  PayAmt money not null default 0,
  Remark nvarchar(255),
  primary key (BillID, ItemNo)
);
