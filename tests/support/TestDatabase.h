#pragma once

#include <memory>
#include <string>

#include "db/Connection.h"

namespace mfg::test {

//! Today in every test: the demo factory's dates are laid around it.
DateTime TestToday();

//! A private in-memory database with the schema (and the demo factory when asked), today fixed.
std::unique_ptr<Connection> OpenTestDatabase(bool withDemo);

//! A file database with the schema and the demo factory, built once per test program and copied
//! for each caller, so tests start from the same data without paying for the load each time.
std::string CopyOfDemoDatabase(const std::string& name);

}  // namespace mfg::test
