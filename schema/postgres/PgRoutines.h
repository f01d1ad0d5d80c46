#pragma once

#include <span>
#include <string_view>

namespace mfg {

class PgConnection;

//! Puts the schema's routines (schema/postgres/*.sql) into the database's "dbo" schema unless the
//! same version is there already; safe when several sessions open the database at once.
void InstallPgRoutines(PgConnection& db);

//! Creates the schema's triggers on the tables InstallSchema made in the connection's schema: a
//! sales-order line is marked as taken into the schedule (s_orderdetail.mpsrefered) while a schedule
//! line refers to it.
void InstallPgTriggers(PgConnection& db);

//! Creates the reader role `role` when it is missing and lets it read every table of the
//! connection's schema but the columns `hidden` of m_operator; the connecting role becomes a member,
//! so that it may SET ROLE to it. A connection without the rights for that leaves it undone: the
//! statements that need the role are refused then.
void InstallPgReaderRole(PgConnection& db, std::string_view role, std::span<const std::string_view> hidden);

}  // namespace mfg
