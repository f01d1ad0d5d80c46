-- Factory calendar: one row per day. A rest day carries the SEQUENCE of the next working day,
-- so working days in SEQUENCE order are numbered without gaps.
-- The unique WORKDATE is what stops two extensions from writing a day twice.
create table MNF_CALENDAR (
  WORKDATE datetime not null primary key,
  ISHOLIDAY int not null default 0,
  SEQUENCE int not null default 0
);
create index IX_MNF_CALENDAR_SEQUENCE on MNF_CALENDAR (ISHOLIDAY, SEQUENCE);
