#include "ConsoleFixture.h"

#include <algorithm>
#include <functional>

#include "Database.h"
#include "host/Users.h"
#include "types/TextUtil.h"

namespace mfg::test {

namespace {

//! A login records its time and counts wrong passwords; the rest of an account is what no refused
//! command may change.
std::string RowsOf(const std::string& table)
{
    if (EqualsNoCase(table, "m_operator"))
        return "select OPID, Code, OPName, Password, PasswordHash, EmpID, ShopID, IsAdmin, Closed, Memo from "
               "m_operator";
    return "select * from " + table;
}

}  // namespace

TableHashes HashTables(const std::string& url)
{
    auto db = OpenDatabase(url);
    TableHashes hashes;
    for (const auto& table : db->TableNames()) {
        std::vector<std::string> rows;
        for (const auto& row : db->Query(RowsOf(table)).rows) {
            std::string text;
            for (const auto& value : row) text += (value.IsNull() ? std::string("\x01") : value.AsString()) + '\x1f';
            rows.push_back(std::move(text));
        }
        std::sort(rows.begin(), rows.end());
        std::string all;
        for (const auto& row : rows) all += row + '\x1e';
        hashes[table] = std::hash<std::string>{}(all);
    }
    return hashes;
}

std::vector<std::string> ChangedTables(const TableHashes& before, const TableHashes& after)
{
    std::vector<std::string> changed;
    for (const auto& [table, hash] : after) {
        auto found = before.find(table);
        if (found == before.end() || found->second != hash) changed.push_back(table);
    }
    for (const auto& [table, hash] : before)
        if (!after.contains(table)) changed.push_back(table);
    return changed;
}

namespace {

std::string TestName()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("console-") + test->test_suite_name() + "-" + test->name();
    // Parameterised tests carry '/' in their names: one file name all the same.
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

}  // namespace

ConsoleTest::ConsoleTest()
    : url(CopyOfDemoDatabase(TestName())),
      temporary(std::filesystem::temp_directory_path() / (TestName() + "-" + std::to_string(::getpid())))
{
    std::filesystem::remove_all(temporary);
    std::filesystem::create_directories(temporary);
}

ConsoleTest::~ConsoleTest()
{
    std::error_code ignored;
    std::filesystem::remove_all(temporary, ignored);
}

ConsoleResult ConsoleTest::Mfg(const std::vector<std::string>& arguments, const std::string& input,
                               std::vector<std::string> environment)
{
    std::vector<std::string> all{"--db", url, "--today", "2026-12-06"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    environment.push_back("TMPDIR=" + temporary.string());
    return RunConsole(all, input, environment);
}

void ConsoleTest::AddOperator(const std::string& code, const std::string& password, const std::vector<int>& grants)
{
    auto db = OpenDatabase(url);
    Users users(*db);
    int id = users.AddUser({code, code, password, 1});
    for (int number : grants) users.GrantAllKinds(id, number);
}

}  // namespace mfg::test
