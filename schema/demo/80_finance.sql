-- Demo factory: accounts, receivables and payables falling due, and last month's wages.

-- 应收票据 (IsCash 2) is not counted as cash; shop 1 holds 1608000 in cash and bank with a reserve of 105000.
insert into ac_account (AccountID, Code, Name, ShopID, IsCash, MoneyID, InitAmt, Balance, DownAmt) values
  (1, '1001', '现金', 1, 1, 1, 38000, 38000, 5000),
  (2, '1002', '工商银行基本户', 1, 0, 1, 1250000, 1250000, 100000),
  (3, '1003', '建设银行一般户', 1, 0, 1, 320000, 320000, 0),
  (4, '1004', '应收票据', 1, 2, 1, 150000, 150000, 0),
  (5, '2001', '二分厂现金', 2, 1, 1, 12000, 12000, 2000);

insert into ac_duecharge (BillID, ItemNo, ShopID, TraderID, BillType, BillCode, BillDate, PayDate, Amount, PaidAmt) values
  (1, 1, 1, 5, 12, 'XS-2026-11-20-0001', '2026-11-20', '2026-12-20', 150000, 0),
  (2, 1, 1, 6, 12, 'XS-2026-12-03-0001', '2026-12-03', '2027-01-10', 96000, 16000),
  (3, 1, 1, 5, 12, 'XS-2026-10-08-0001', '2026-10-08', '2026-11-30', 30000, 0);

insert into ac_duepay (BillID, ItemNo, ShopID, TraderID, BillType, BillCode, BillDate, PayDate, Amount, PaidAmt) values
  (1, 1, 1, 1, 2, 'CG-2026-11-0001', '2026-11-25', '2026-12-15', 58500, 0),
  (2, 1, 1, 2, 2, 'CG-2026-12-0002', '2026-12-03', '2026-12-31', 42000, 0),
  (3, 1, 1, 8, 2, 'CG-2026-12-0003', '2026-12-05', '2027-01-20', 8000, 0);

-- Shop 1 paid 40700 on 2026-11-10 and 4000 on 2026-11-30.
insert into aw_monthwagedatam (BillID, BillCode, BillDate, BillState, ShopID, WageYear, WageMonth, Remark, Amount) values
  (1, 'GZ-2026-11-0001', '2026-11-10', 1, 1, 2026, 10, '十月工资', 40700),
  (2, 'GZ-2026-11-0002', '2026-11-30', 1, 1, 2026, 11, '十一月奖金', 4000),
  (3, 'GZ-2026-11-0003', '2026-11-10', 1, 2, 2026, 10, '二分厂十月工资', 4000);

insert into aw_monthwagefix (BillID, ItemNo, EmpID, BaseAmt, PayAmt) values
  (1, 1, 1, 6800, 6800),
  (1, 2, 2, 5600, 5600),
  (1, 3, 3, 6200, 6200),
  (1, 4, 4, 6500, 6500),
  (1, 5, 5, 5200, 5200),
  (1, 6, 6, 5400, 5400),
  (1, 7, 8, 5000, 5000),
  (2, 1, 1, 1000, 1000),
  (2, 2, 2, 1000, 1000),
  (2, 3, 3, 1000, 1000),
  (2, 4, 4, 1000, 1000),
  (3, 1, 2, 4000, 4000);
