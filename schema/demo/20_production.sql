-- Demo factory: workshops, work centres, process steps and routings.

-- Daily capacity: 焊接 123 h, 涂装 91 h, 车轮 128 h, 总装 160 h, 备用 0 h.
insert into mnf_workshop (WorkShopID, Code, Name, DepartmentID, ShopID, Machines, MacheHours, Workers, DayManHaur, EmpID, Closed) values
  (1, 'CJ01', '焊接车间', 2, 1, 6, 8, 10, 7.5, 1, 0),
  (2, 'CJ02', '涂装车间', 2, 1, 2, 8, 10, 7.5, 2, 0),
  (3, 'CJ03', '车轮车间', 2, 1, 4, 8, 12, 8, 3, 0),
  (4, 'CJ04', '总装车间', 2, 1, 0, 0, 20, 8, 4, 0),
  (5, 'CJ05', '备用车间', 2, 1, 0, 0, 0, 0, null, 0);

insert into mnf_workcenter (WorkCenterID, Code, Name, WorkShopID, Closed) values
  (1, 'WC01', '切管中心', 1, 0),
  (2, 'WC02', '焊接中心', 1, 0),
  (3, 'WC03', '喷涂线', 2, 0),
  (4, 'WC04', '编圈中心', 3, 0),
  (5, 'WC05', '总装一线', 4, 0),
  (6, 'WC06', '总装二线', 4, 0),
  (7, 'WC07', '旧检测台', 4, 1);

insert into al_wgcountitem (COUNTWAGEITEMID, Code, Name, WorkShopID, Price, Closed) values
  (1, 'GX01', '下料切管', 1, 0.8, 0),
  (2, 'GX02', '焊接', 1, 2.5, 0),
  (3, 'GX03', '喷漆', 2, 1.5, 0),
  (4, 'GX04', '编圈', 3, 1.2, 0),
  (5, 'GX05', '装胎', 3, 0.6, 0),
  (6, 'GX06', '总装', 4, 6, 0),
  (7, 'GX07', '检验', 4, 1, 0),
  (8, 'GX08', '包装', 4, 0.8, 0),
  (9, 'GX09', '手工抛光', 1, 1, 1);

insert into mnf_workline (WorkLineID, Code, Name, Closed) values
  (1, 'GY01', '整车装配流程', 0),
  (2, 'GY02', '车架制造流程', 0),
  (3, 'GY03', '车轮制造流程', 0),
  (4, 'GY04', '旧抛光流程', 1);

insert into mnf_worklined (WorkLineID, ItemNo, Orderno, COUNTWAGEITEMID, WorkShopID, WorkCenterID) values
  (1, 1, '001', 6, 4, 5),
  (1, 2, '002', 7, 4, 5),
  (1, 3, '003', 8, 4, 6),
  (2, 1, '001', 1, 1, 1),
  (2, 2, '002', 2, 1, 2),
  (3, 1, '001', 4, 3, 4),
  (3, 2, '002', 5, 3, 4),
  (4, 1, '001', 9, 1, null);
