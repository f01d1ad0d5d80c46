-- Stored MRP results, each set keyed by (BILLID, ITEMNO).

create table mnf_mrpwarning (
  BILLID int not null,
  ITEMNO int not null,
  GOODSID int,
  MSGTYPEID int,
  MSG nvarchar(255),
  primary key (BILLID, ITEMNO)
);

-- QBILLNAME, QBILLCODE, QWORKDATE: the document that causes the quantity.
create table mnf_mrpdetail (
  BILLID int not null,
  ITEMNO int not null,
  GOODSID int,
  QUANTITY float,
  QBILLNAME nvarchar(32),
  QBILLCODE varchar(32),
  QWORKDATE datetime,
  primary key (BILLID, ITEMNO)
);

create table MNF_MRPPURCHASE (
  BILLID int not null,
  ITEMNO int not null,
  TRADERID int,
  GOODSID int,
  APRICE float,
  PRICE float,
  QUANTITY float,
  AMOUNT money,
  BATCHCODE varchar(32),
  PRODUCTDATE datetime,
  VALIDDATE datetime,
  SUGGESTDATE datetime,
  FINISHEDDATE datetime,
  RELEASED int default 0,
  USERDEF1 nvarchar(64),
  USERDEF2 nvarchar(64),
  USERDEF3 nvarchar(64),
  REFERCOUNT int default 0,
  REFERBILLTYPE int,
  REFERBILLID int,
  REFERITEMNO int,
  REMARK nvarchar(255),
  BREFERID int,
  REFERQTY float default 0,
  IOQTY float default 0,
  primary key (BILLID, ITEMNO)
);

create table MNF_MRPMANUFACTURE (
  BILLID int not null,
  ITEMNO int not null,
  WORKSHOPID int,
  GOODSID int,
  APRICE float,
  PRICE float,
  QUANTITY float,
  AMOUNT money,
  BATCHCODE varchar(32),
  PRODUCTDATE datetime,
  VALIDDATE datetime,
  SUGGESTDATE datetime,
  FINISHEDDATE datetime,
  RELEASED int default 0,
  MANUPLANID int,
  USERDEF1 nvarchar(64),
  USERDEF2 nvarchar(64),
  USERDEF3 nvarchar(64),
  REFERCOUNT int default 0,
  REFERBILLTYPE int,
  REFERBILLID int,
  REFERITEMNO int,
  REMARK nvarchar(255),
  BREFERID int,
  REFERQTY float default 0,
  IOQTY float default 0,
  primary key (BILLID, ITEMNO)
);
