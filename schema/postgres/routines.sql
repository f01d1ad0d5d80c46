-- The schema's routines on PostgreSQL, in the dbo schema the module's SQL names them by.
-- Table names inside resolve through the session's search path: the tables of the connection's
-- schema first, then dbo.
create extension if not exists citext schema dbo;

create or replace function dbo.getdate() returns timestamp language sql stable as $body$
  select coalesce(nullif(current_setting('mfg.now', true), '')::timestamp, localtimestamp(3))
$body$;

create or replace function dbo.year(value timestamp) returns integer language sql immutable as
  $body$ select extract(year from value)::integer $body$;
create or replace function dbo.month(value timestamp) returns integer language sql immutable as
  $body$ select extract(month from value)::integer $body$;
create or replace function dbo.day(value timestamp) returns integer language sql immutable as
  $body$ select extract(day from value)::integer $body$;

-- Half away from zero, as the server rounds, for floats as well as numerics.
create or replace function dbo.round(value double precision, digits bigint) returns double precision
  language sql immutable as $body$ select round(value::numeric, digits::integer)::double precision $body$;

-- LEN does not count trailing blanks.
create or replace function dbo.len(value text) returns integer language sql immutable as
  $body$ select length(rtrim(value)) $body$;

-- A date plus or minus a number of days, as the module writes "BillDate + 7".
create or replace function dbo.add_days(value timestamp, days double precision) returns timestamp
  language sql immutable as $body$ select value + days * interval '1 day' $body$;
create or replace function dbo.sub_days(value timestamp, days double precision) returns timestamp
  language sql immutable as $body$ select value - days * interval '1 day' $body$;
do $body$
begin
  if not exists (select 1 from pg_operator o where o.oprname = '+' and o.oprnamespace = 'dbo'::regnamespace) then
    create operator dbo.+ (leftarg = timestamp, rightarg = double precision, function = dbo.add_days);
    create operator dbo.- (leftarg = timestamp, rightarg = double precision, function = dbo.sub_days);
  end if;
end
$body$;

-- sysobjects as the server has it: the tables of the session's schema and its own temporary tables.
create or replace view dbo.sysobjects as
  select c.relname::dbo.citext as name,
         case c.relkind when 'r' then 'U' when 'v' then 'V' when 'i' then 'K' else 'TR' end::dbo.citext as xtype
  from pg_class c
  where c.relnamespace = current_schema()::regnamespace or c.relnamespace = pg_my_temp_schema();

-- The numeric serial at the end of a bill code: its last `width` characters (at most 15) when all digits.
create or replace function dbo.fn_codetoserialno(code text, width bigint) returns bigint language sql immutable as $body$
  select case when w.n > 0 and length(t.c) >= w.n and right(t.c, w.n) ~ '^[0-9]+$' then right(t.c, w.n)::bigint end
  from (select btrim(code) as c) t, (select least(greatest(width, 0), 15)::integer as n) w
$body$;

-- The next key of a table. The key row stays locked until the caller's transaction ends, so two
-- sessions never hand out the same key; a key that a row already holds is never handed out either.
create or replace function dbo.ag_getnewkey(tablename text, inout newkey bigint default null)
language plpgsql as $body$
declare
  upperName text := upper(btrim(tablename));
  keyColumn text;
  last bigint;
  highest bigint;
begin
  if tablename is null then
    raise exception 'AG_GETNEWKEY 缺少表名';
  end if;
  insert into ag_keys (tablename, lastkey) values (upperName, 0) on conflict do nothing;
  select k.lastkey into last from ag_keys k where k.tablename = upperName for update;
  -- The first key column, or the first column of a table without a key; none means no such table.
  select a.attname into keyColumn
  from pg_attribute a
  join pg_class c on c.oid = a.attrelid
  left join pg_index i on i.indrelid = c.oid and i.indisprimary
  where c.relname = lower(upperName) and c.relnamespace = current_schema()::regnamespace
    and a.attnum > 0 and not a.attisdropped
  order by case when a.attnum = any(i.indkey) then array_position(i.indkey::int2[], a.attnum) else 99 end, a.attnum
  limit 1;
  if keyColumn is not null then
    execute format('select max(%I)::bigint from %I', keyColumn, lower(upperName)) into highest;
    last := greatest(last, coalesce(highest, last));
  end if;
  newkey := last + 1;
  update ag_keys set lastkey = newkey where ag_keys.tablename = upperName;
end
$body$;

-- Holds a BOM parent until the caller's transaction ends: every write of a parent's lines (save,
-- import, audit, un-audit) calls it before it reads what it checks, so two writers of one parent
-- run one after the other and neither writes over what the other checked.
create or replace function dbo.mnf_holdbom(parent bigint) returns void language plpgsql as $body$
begin
  perform 1 from l_goods g where g.goodsid = parent for update;
end
$body$;

-- A (goods, null) row for each scope goods of "12,34,56", so that a demanded goods without a BOM of
-- its own is planned with its stock too; the (parent, component) links of the audited BOM reachable
-- from the scope goods; and (parent, substitute) pairs so that substitutes and their own BOMs are
-- planned too.
-- Each goods reached looks up its own lines by the BOM's key: a walk over a common table of all
-- links sorted or hashed the whole BOM once per level. The planner guesses a recursive scope
-- thousands of times too large and would spend longer compiling the query than running it.
create or replace function dbo.getmrpgoodsid(scope text) returns table (goodsid bigint, elemgid bigint)
language sql stable set jit = off as $body$
  with recursive demanded(goods) as (
    select btrim(part)::bigint from unnest(string_to_array(scope, ',')) part where btrim(part) <> ''
  ), reached(goods) as (
    select goods from demanded
    union
    select c.child from reached r cross join lateral (
      select b.elemgid as child from l_goodsbom b where b.goodsid = r.goods and b.state = 1
      union all
      select s.subgoodsid from l_goodsbomsub s
      join l_goodsbom b on b.goodsid = s.goodsid and b.elemgid = s.elemgid and b.state = 1
      where s.goodsid = r.goods
    ) c
  )
  select goods, null::bigint from demanded
  union
  select b.goodsid, b.elemgid from l_goodsbom b where b.state = 1 and b.goodsid in (select goods from reached)
  union
  select s.goodsid, s.subgoodsid from l_goodsbomsub s
  join l_goodsbom b on b.goodsid = s.goodsid and b.elemgid = s.elemgid and b.state = 1
  where s.goodsid in (select goods from reached)
  order by 1, 2
$body$;

-- Keeps s_orderdetail.mpsrefered: a sales-order line is taken into the schedule while a schedule
-- line refers to it, and free again when none does. The tables are those of the schedule line's
-- own schema, whatever the session's search path.
create or replace function dbo.mnf_manuplan_refer() returns trigger language plpgsql as $body$
begin
  if tg_op in ('UPDATE', 'DELETE') and old.referbillid is not null then
    execute format('update %1$I.s_orderdetail d set mpsrefered = 0 where d.billid = $1 and d.itemno = $2 and not exists '
                   '(select 1 from %1$I.mnf_manuplan p where p.referbillid = $1 and p.referitemno = $2)', tg_table_schema)
      using old.referbillid, old.referitemno;
  end if;
  if tg_op in ('UPDATE', 'INSERT') and new.referbillid is not null then
    execute format('update %I.s_orderdetail d set mpsrefered = 1 where d.billid = $1 and d.itemno = $2', tg_table_schema)
      using new.referbillid, new.referitemno;
  end if;
  return null;
end
$body$;

-- Component quantity still to be drawn by the open manufacture orders of a shop, per goods.
create or replace function dbo.getmanuorderqty(since timestamp, shop bigint, unaudited bigint)
returns table (goodsid bigint, manuorderqty double precision) language sql stable as $body$
  select d.goodsid, sum(d.quantity - d.referqty)::double precision
  from mnf_manuorder m join mnf_manuorderdetail d on m.billid = d.billid
  where m.closed = 0 and m.shopid = shop and m.finishedqty < m.quantity
    and (case when unaudited <> 0 then m.billstate <> 2 else m.billstate = 1 end)
    and d.quantity > d.referqty and (m.plandate is null or m.plandate >= since - interval '366 days')
  group by d.goodsid
$body$;

-- Open receivables and payables of a shop by due date.
create or replace function dbo.getduecharge(shop bigint) returns table (paydate timestamp, amount double precision)
language sql stable as $body$
  select c.paydate, (c.amount - c.paidamt)::double precision from ac_duecharge c
  where c.shopid = shop and c.closed = 0 and c.amount <> c.paidamt order by c.paydate
$body$;
create or replace function dbo.getduepay(shop bigint) returns table (paydate timestamp, amount double precision)
language sql stable as $body$
  select c.paydate, (c.amount - c.paidamt)::double precision from ac_duepay c
  where c.shopid = shop and c.closed = 0 and c.amount <> c.paidamt order by c.paydate
$body$;

-- sp_getapplock 'name', 'Exclusive': holds the named lock to the end of the caller's transaction,
-- waiting for the session that holds it, so that read-decide-write sequences over the same rows
-- run one after the other.
create or replace function dbo.sp_getapplock(resource text, lockmode text) returns void
language plpgsql as $body$
begin
  if lockmode is distinct from 'Exclusive' then
    raise exception 'sp_getapplock: 只支持 Exclusive 锁';
  end if;
  perform pg_advisory_xact_lock(hashtext(resource));
end
$body$;

-- The print record of a new bill.
create or replace function dbo.up_ab_billprint_insert(billtype bigint, billid bigint, billcode text, billdate timestamp,
                                                      opid bigint, shopid bigint) returns void
language sql as $body$
  insert into ab_billprint (billtype, billid, billcode, billdate, opid, shopid, createtime)
  values (billtype, billid, billcode, billdate, opid, shopid, dbo.getdate())
  on conflict (billtype, billid) do update set billcode = excluded.billcode, billdate = excluded.billdate,
    opid = excluded.opid, shopid = excluded.shopid
$body$;

-- The product's BOM tree, one pass per goods: every sub-assembly reached comes once with flag 0 and
-- the quantity one product needs (its own waste raising what its lines need); every leaf material
-- once with flag 1, its quantity and its quantity-weighted waste rate; level is the deepest path.
-- Parents come before their components in the reverse post-order of a depth-first walk, and a
-- line that leads back up that order is a cycle and is not followed. Arrays are indexed by goods
-- id, so each step is constant time however large the tree.
create or replace function dbo.getbomlastgoodsid(product bigint)
returns table (goodsid bigint, elemgid bigint, quantity double precision, wasterate double precision, flag integer, level integer)
language plpgsql stable as $body$
declare
  lineOwner bigint[]; lineElem bigint[]; lineQty double precision[]; lineWaste double precision[];
  firstLine int[] := '{}'; lastLine int[] := '{}';
  visit int[] := '{}'; rankOf int[] := '{}';
  stackGoods bigint[] := '{}'; stackNext int[] := '{}'; depth int;
  ordered bigint[] := '{}'; leafList bigint[] := '{}';
  asmQty double precision[] := '{}'; leafQty double precision[] := '{}'; leafWaste double precision[] := '{}';
  lvl int[] := '{}';
  g bigint; e bigint; i int; k int; n int; q double precision;
begin
  with recursive reach(id) as (
    select product union select b.elemgid::bigint from l_goodsbom b join reach r on b.goodsid = r.id
  )
  select array_agg(b.goodsid::bigint order by b.goodsid, b.itemno), array_agg(b.elemgid::bigint order by b.goodsid, b.itemno),
         array_agg(coalesce(b.quantity, 0)::double precision order by b.goodsid, b.itemno),
         array_agg(coalesce(b.wasterate, 0)::double precision order by b.goodsid, b.itemno)
    into lineOwner, lineElem, lineQty, lineWaste
  from l_goodsbom b where b.goodsid in (select id from reach);
  if lineOwner is null then return; end if;
  for i in 1 .. array_length(lineOwner, 1) loop
    if firstLine[lineOwner[i]] is null then firstLine[lineOwner[i]] := i; end if;
    lastLine[lineOwner[i]] := i;
  end loop;

  depth := 1; stackGoods[1] := product; stackNext[1] := firstLine[product]; visit[product] := 1;
  while depth > 0 loop
    g := stackGoods[depth]; i := stackNext[depth];
    if i is not null and i <= lastLine[g] then
      stackNext[depth] := i + 1;
      e := lineElem[i];
      if firstLine[e] is not null and visit[e] is null then
        visit[e] := 1; depth := depth + 1; stackGoods[depth] := e; stackNext[depth] := firstLine[e];
      end if;
    else
      ordered := ordered || g; depth := depth - 1;
    end if;
  end loop;
  n := array_length(ordered, 1);
  for k in 1 .. n loop rankOf[ordered[k]] := n - k + 1; end loop;

  asmQty[product] := 1; lvl[product] := 0;
  for k in reverse n .. 1 loop
    g := ordered[k];
    continue when firstLine[g] is null;
    for i in firstLine[g] .. lastLine[g] loop
      e := lineElem[i];
      q := coalesce(asmQty[g], 0) * lineQty[i];
      if firstLine[e] is not null and rankOf[e] <= rankOf[g] then continue; end if;
      lvl[e] := greatest(coalesce(lvl[e], 0), lvl[g] + 1);
      if firstLine[e] is null then
        if leafQty[e] is null then leafList := leafList || e; leafQty[e] := 0; leafWaste[e] := 0; end if;
        leafQty[e] := leafQty[e] + q;
        leafWaste[e] := leafWaste[e] + q * lineWaste[i] / 100;
      else
        asmQty[e] := coalesce(asmQty[e], 0) + q * (1 + lineWaste[i] / 100);
      end if;
    end loop;
  end loop;

  for g in select x from unnest(ordered) x where x <> product order by x loop
    return query select product, g, asmQty[g], 0::double precision, 0, lvl[g];
  end loop;
  for g in select x from unnest(leafList) x order by x loop
    return query select product, g, leafQty[g],
      case when leafQty[g] <> 0 then leafWaste[g] / leafQty[g] * 100 else 0 end, 1, lvl[g];
  end loop;
end
$body$;

create or replace function dbo.getaccountbalance(account bigint) returns double precision language sql stable as
  $body$ select a.balance::double precision from ac_account a where a.accountid = account $body$;
