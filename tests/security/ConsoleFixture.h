#pragma once
// A private copy of the demo factory that the tests reach only through the console program, and
// a fingerprint of every table to tell whether a command wrote anything.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ConsoleRun.h"
#include "TestDatabase.h"
#include "db/Connection.h"

namespace mfg::test {

//! The rows of every table, each table reduced to a hash of its rows in a fixed order.
using TableHashes = std::map<std::string, std::size_t>;

TableHashes HashTables(const std::string& url);

//! The tables whose hashes differ between two fingerprints.
std::vector<std::string> ChangedTables(const TableHashes& before, const TableHashes& after);

class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest();
    ~ConsoleTest() override;

    //! `mfg --db <copy> --today 2026-12-06 <arguments>`, with the test's own temporary folder.
    ConsoleResult Mfg(const std::vector<std::string>& arguments, const std::string& input = {},
                      std::vector<std::string> environment = {});

    //! Adds an operator with a password and the rights given (every kind of each number).
    void AddOperator(const std::string& code, const std::string& password, const std::vector<int>& grants = {});

    std::string url;
    std::filesystem::path temporary;
};

}  // namespace mfg::test
