-- Workshops, work centres, process steps and work lines (routings).

-- Capacity per day: machines * machehours + workers * daymanhaur hours.
create table mnf_workshop (
  WorkShopID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  DepartmentID int,
  ShopID int,
  Machines int not null default 0,
  MacheHours float not null default 0,
  Workers int not null default 0,
  DayManHaur float not null default 0,
  EmpID int,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

create table mnf_workcenter (
  WorkCenterID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  WorkShopID int,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

-- Process steps, paid by piece (Price per unit done).
create table al_wgcountitem (
  COUNTWAGEITEMID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  WorkShopID int,
  Price float not null default 0,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

create table mnf_workline (
  WorkLineID int not null primary key,
  Code varchar(16) not null,
  Name nvarchar(64) not null,
  Closed bit not null default 0,
  Memo nvarchar(128)
);

create table mnf_worklined (
  WorkLineID int not null,
  ItemNo int not null,
  Orderno varchar(32),
  COUNTWAGEITEMID int not null,
  WorkShopID int,
  WorkCenterID int,
  UseTime float not null default 0,
  Memo nvarchar(128),
  primary key (WorkLineID, ItemNo)
);
