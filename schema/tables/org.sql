-- Branches, departments, employees, operators, privileges and the operation log.

create table d_shop (
  ShopID int not null primary key,
  Code varchar(30) not null,
  Name nvarchar(64) not null,
  ShortName nvarchar(32),
  Address nvarchar(128),
  Tel varchar(32),
  Manager nvarchar(32),
  TraderID int,
  IsHead bit not null default 0,
  Closed bit not null default 0,
  Memo nvarchar(128)
);
create unique index IX_d_shop_Code on d_shop (Code);

create table l_department (
  DepartmentID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  ParentID int,
  ShopID int,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

create table l_employ (
  EmpID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(32) not null,
  PYCode varchar(16),
  Sex nvarchar(2),
  DepartmentID int,
  ShopID int,
  Duty nvarchar(32),
  Tel varchar(32),
  Closed bit not null default 0,
  Memo nvarchar(128)
);

create table m_operator (
  OPID int not null primary key,
  Code varchar(16) not null,
  OPName nvarchar(32) not null,
  Password varchar(64),
  PasswordHash varchar(128),
  EmpID int,
  ShopID int,
  IsAdmin bit not null default 0,
  Closed bit not null default 0,
  LastLoginTime datetime,
  -- Wrong passwords since the last good one; from the system parameter LoginAttempts on, each one
  -- locks the account until LockedUntil, for a cooling-off time that doubles with each.
  LoginFailures int not null default 0,
  LockedUntil datetime,
  Memo nvarchar(128)
);

-- One row per granted right. PrivKind: 1 browse, 2 append, 3 modify, 4 delete,
-- 5 run, 6 check, 7 uncheck, 8 print, 9 export. Administrators hold every right.
create table m_privilege (
  OPID int not null,
  PrivilegeID int not null,
  PrivKind smallint not null,
  primary key (OPID, PrivilegeID, PrivKind)
);

-- WriteLog: LogType 'T', EventID 200 opened / 201 closed, ObjType 'T', Caption of the screen.
create table m_oplog (
  LogID int not null primary key,
  OPID int,
  ShopID int,
  LogTime datetime default getdate(),
  LogType char(1),
  EventID int,
  ObjType char(1),
  Caption nvarchar(128),
  Memo nvarchar(255),
  Flag1 int,
  Flag2 int
);
create index IX_m_oplog_LogTime on m_oplog (LogTime);
