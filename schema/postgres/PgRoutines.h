#pragma once

namespace mfg {

class PgConnection;

//! Puts the schema's routines (schema/postgres/*.sql) into the database's "dbo" schema unless the
//! same version is there already; safe when several sessions open the database at once.
void InstallPgRoutines(PgConnection& db);

}  // namespace mfg
