-- Master production schedule lines (bill type 43).
create table MNF_ManuPlan (
  BillID int not null,
  ItemNo int not null default 1,
  BillKind int default 1,
  BillState int default 0,
  BillDate datetime not null,
  ShopID int,
  BillCode varchar(32),
  ReferCount int default 0,
  Frozen int default 0,
  GoodsID int not null,
  Quantity float default 0,
  FinishDate datetime,
  ReleasedQty float default 0,
  OPID int,
  CheckorID int,
  Closed int default 0,
  SFlag int default 0,
  Remark nvarchar(255),
  ReferBillID int,
  ReferItemNo int,
  UpdateTime datetime default getdate(),
  primary key (BillID, ItemNo)
);
-- Two users numbering bills of the same period at once: the second is refused and takes the next serial.
create unique index UX_MNF_ManuPlan_BillCode on MNF_ManuPlan (BillCode, ItemNo);
create index IX_MNF_ManuPlan_BillDate on MNF_ManuPlan (BillDate, ShopID);
-- A sales-order line becomes one schedule line: two users converting it at once would double its demand.
create unique index UX_MNF_ManuPlan_Refer on MNF_ManuPlan (ReferBillID, ReferItemNo) where ReferBillID is not null;
