#pragma once

namespace mfg {

class PgConnection;

//! Puts the schema's routines (schema/postgres/*.sql) into the database's "dbo" schema unless the
//! same version is there already; safe when several sessions open the database at once.
void InstallPgRoutines(PgConnection& db);

//! Creates the schema's triggers on the tables InstallSchema made in the connection's schema: a
//! sales-order line is marked as taken into the schedule (s_orderdetail.mpsrefered) while a schedule
//! line refers to it.
void InstallPgTriggers(PgConnection& db);

}  // namespace mfg
