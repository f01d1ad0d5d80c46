#pragma once

#include <string_view>

#include "types/Variant.h"

namespace mfg {

class SqliteConnection;

//! Registers the schema's routines (AG_GETNEWKEY, fn_codetoserialno, ...) on a SQLite connection.
void RegisterSqliteRoutines(SqliteConnection& db);

//! Creates the schema's triggers on the tables InstallSchema made: a sales-order line is marked as
//! taken into the schedule (S_OrderDetail.MPSREFERED) while a schedule line refers to it.
void InstallSqliteTriggers(SqliteConnection& db);

//! The numeric serial at the end of a bill code: its last `width` characters (at most 15) when
//! they are all digits; null otherwise.
Variant CodeToSerialNo(const Variant& code, const Variant& width);

}  // namespace mfg
