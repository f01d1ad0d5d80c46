// Accounts under attack: what a non-administrator's statements may read of m_operator, where a new
// password comes from, how locks end, what a failed proof tells, the branches an operator may act
// in, and that a login leaves the database as it found it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include "ConsoleFixture.h"
#include "Database.h"
#include "host/Users.h"

namespace mfg::test {
namespace {

class Accounts : public ConsoleTest {
protected:
    ConsoleResult As(const std::string& code, const std::string& password, std::vector<std::string> arguments,
                     const std::string& input = {})
    {
        arguments.insert(arguments.begin(), {"--user", code});
        return Mfg(arguments, input, {"MFG_PASSWORD=" + password});
    }

    //! Locks an operator the way guessing does, without the pauses.
    void Lock(const std::string& code)
    {
        auto db = OpenDatabase(url);
        Users users(*db);
        users.SetRefusalPause({});
        for (int i = 0; i < DefaultLoginAttempts; ++i) EXPECT_FALSE(users.Login(code, "guess" + std::to_string(i)));
    }

    void SetPassword(int id, const std::string& password)
    {
        auto db = OpenDatabase(url);
        Users(*db).SetPassword(id, password);
    }
};

TEST_F(Accounts, NoStatementOfANonAdministratorReadsHashesOrFailureCounts)
{
    AddOperator("qian", "Qian#Pw1");
    EXPECT_NE(Mfg({"login", "qian"}, "wrong\n").exitCode, 0) << "a failure to count";

    std::vector<std::string> statements{
        "select Code, PasswordHash from m_operator",
        "select * from m_operator",
        "select o.* from m_operator o",
        "select PASSWORDHASH from M_OPERATOR",
        "select [PasswordHash] from m_operator",
        "select \"passwordhash\" from \"m_operator\"",
        "select x.h from (select PasswordHash h from m_operator) x",
        "select (select max(PasswordHash) from m_operator) as h",
        "select * from (select * from m_operator) t",
        "with t as (select * from m_operator) select * from t",
        "select Code, case when LoginFailures > 0 then 'failed' else 'clean' end as f from m_operator",
        "select Code from m_operator where PasswordHash like '$argon2id$%'",
        "select Password from m_operator",
    };
    if (OnPostgres()) {
        for (const char* statement :
             {"select o from m_operator o", "select row_to_json(o) as r from m_operator o",
              "select query_to_xml('select * from m_' || 'operator', true, false, '') as x",
              "select table_to_xml(('m_op' || 'erator')::regclass, true, false, '') as x"})
            statements.push_back(statement);
    } else {
        statements.push_back("select o.'PasswordHash' from m_operator o");
    }
    for (const auto& statement : statements) {
        auto shown = As("qian", "Qian#Pw1", {"sql", statement, "--json"});
        EXPECT_NE(shown.exitCode, 0) << statement << "\n" << shown.out;
        EXPECT_EQ(shown.out.find("argon2id"), std::string::npos) << statement;
        EXPECT_EQ(shown.out.find("failed"), std::string::npos) << statement;
    }

    auto names = As("qian", "Qian#Pw1", {"sql", "select Code, OPName from m_operator order by OPID", "--json"});
    EXPECT_EQ(names.exitCode, 0) << names.err;
    EXPECT_NE(names.out.find("qian"), std::string::npos) << "the other columns stay readable";
    auto admin = Mfg({"sql", "select PasswordHash from m_operator where Code = 'qian'", "--json"});
    EXPECT_NE(admin.out.find("argon2id"), std::string::npos) << "the administrator still reads them: " << admin.err;
}

TEST_F(Accounts, UserAddTakesTheNewPasswordFromInputAndTheProofFromTheEnvironment)
{
    SetPassword(1, "Admin#Pw1");
    auto added = Mfg({"user", "add", "viaenv"}, "Fresh#Pw1\n", {"MFG_PASSWORD=Admin#Pw1"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(Mfg({"login", "viaenv"}, "Fresh#Pw1\n").exitCode, 0) << "the password on standard input";

    auto empty = Mfg({"user", "add", "empty"}, "", {"MFG_PASSWORD=Admin#Pw1"});
    EXPECT_NE(empty.exitCode, 0);
    EXPECT_NE(empty.err.find("新口令不能为空"), std::string::npos) << empty.err;
    // Both on standard input: which line proves the administrator and which is the new password
    // is not for the program to guess.
    auto both = Mfg({"user", "add", "both"}, "Admin#Pw1\nFresh#Pw1\n");
    EXPECT_NE(both.exitCode, 0);
    EXPECT_NE(both.err.find("MFG_PASSWORD"), std::string::npos) << both.err;
    auto count = Mfg({"sql", "select count(*) as n from m_operator where Code in ('empty', 'both')", "--json"}, "",
                     {"MFG_PASSWORD=Admin#Pw1"});
    EXPECT_NE(count.out.find("\"n\": 0"), std::string::npos) << count.out << count.err;

    EXPECT_NE(Mfg({"login", "viaenv"}, "Admin#Pw1\n").exitCode, 0) << "the administrator's password is not the new one's";
}

TEST_F(Accounts, AdministratorsSetPasswordsAndUnlockWhileOthersMayNot)
{
    AddOperator("zhou", "Zhou#Pw1", {2047});
    Lock("zhou");
    EXPECT_NE(Mfg({"login", "zhou"}, "Zhou#Pw1\n").exitCode, 0) << "locked: the right password does not pass";

    auto byOperator = As("jhy", "", {"user", "unlock", "zhou"});
    EXPECT_NE(byOperator.exitCode, 0);
    EXPECT_NE(byOperator.err.find("管理员"), std::string::npos) << byOperator.err;
    EXPECT_NE(As("jhy", "", {"user", "password", "zhou"}, "Mine#Pw1\n").exitCode, 0);

    auto unlocked = Mfg({"user", "unlock", "zhou"});
    EXPECT_EQ(unlocked.exitCode, 0) << unlocked.err;
    EXPECT_EQ(Mfg({"login", "zhou"}, "Zhou#Pw1\n").exitCode, 0);

    Lock("zhou");
    auto reset = Mfg({"user", "password", "zhou"}, "Zhou#Pw2\n");
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(Mfg({"login", "zhou"}, "Zhou#Pw2\n").exitCode, 0) << "a new password also unlocks";
    EXPECT_NE(Mfg({"user", "password", "zhou"}, "\n").exitCode, 0) << "an empty new password";
    EXPECT_NE(Mfg({"login", "zhou"}, "Zhou#Pw1\n").exitCode, 0);
}

TEST_F(Accounts, LocksCoolOffForATimeThatGrows)
{
    AddOperator("wu", "Wu#Pw1");
    auto db = OpenDatabase(url);
    Users users(*db);
    users.SetRefusalPause({});
    DateTime now = DateTime::FromYmdHms(2026, 12, 6, 9, 0, 0);
    users.SetClock([&now] { return now; });
    auto later = [&now](int seconds) { now = now.AddDays(seconds / 86400.0); };

    for (int i = 0; i < DefaultLoginAttempts; ++i) EXPECT_FALSE(users.Login("wu", "guess"));
    EXPECT_FALSE(users.Login("wu", "Wu#Pw1")) << "locked";
    later(61);
    EXPECT_FALSE(users.Login("wu", "guess")) << "a guess after the first lock locks again, longer";
    later(61);
    EXPECT_FALSE(users.Login("wu", "Wu#Pw1")) << "the second lock lasts longer than a minute";
    later(61);
    EXPECT_TRUE(users.Login("wu", "Wu#Pw1")) << "and ends";
    EXPECT_FALSE(users.Login("wu", "guess"));
    EXPECT_TRUE(users.Login("wu", "Wu#Pw1")) << "a good password starts the count afresh";

    EXPECT_EQ(CoolingOffAfter(0), std::chrono::minutes(1));
    EXPECT_EQ(CoolingOffAfter(3), std::chrono::minutes(8));
    EXPECT_EQ(CoolingOffAfter(1000), std::chrono::hours(24)) << "never for ever";
}

TEST_F(Accounts, TheOwnerOfTheDatabaseRecoversALockedAdministrator)
{
    SetPassword(1, "Admin#Pw1");
    Lock("admin");
    EXPECT_NE(Mfg({"sql", "select 1 as one"}, "", {"MFG_PASSWORD=Admin#Pw1"}).exitCode, 0) << "locked";

    EXPECT_NE(Mfg({"user", "recover", "jhy"}, "Back#Pw1\n").exitCode, 0) << "only an administrator is recovered";
    if (OnPostgres()) {
        // The desktops' role: it reads and writes the tables, but owns none of them.
        std::string role = fmt::format("desk_{}", ::getpid());
        const auto user = url.find("://") + 3, at = url.find('@'), slash = url.find('/', user);
        const std::string database = url.substr(slash + 1, url.find('?', slash) - slash - 1);
        auto owner = OpenDatabase(url);
        owner->ExecuteNative(fmt::format("create role {0} login; grant create on database {1} to {0}; grant usage on "
                                         "schema dbo to {0}; grant all on all tables in schema dbo to {0}",
                                         role, database));
        std::string desk = url;
        desk.replace(user, at - user, role);
        auto refused = RunConsole({"--db", desk, "user", "recover", "admin"}, "Back#Pw1\n");
        EXPECT_EQ(refused.exitCode, 3) << refused.err;
        EXPECT_NE(refused.err.find("所有者"), std::string::npos) << refused.err;
    } else if (::geteuid() == 0) {
        ASSERT_EQ(::chown(url.c_str(), 65534, 65534), 0);
        auto refused = Mfg({"user", "recover", "admin"}, "Back#Pw1\n");
        EXPECT_EQ(refused.exitCode, 3) << refused.err;
        EXPECT_NE(refused.err.find("所有者"), std::string::npos) << refused.err;
        ASSERT_EQ(::chown(url.c_str(), 0, 0), 0);
    }
    EXPECT_NE(Mfg({"sql", "select 1 as one"}, "", {"MFG_PASSWORD=Back#Pw1"}).exitCode, 0) << "nothing changed yet";

    auto recovered = Mfg({"user", "recover", "admin"}, "Back#Pw1\n");
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err;
    auto proven = Mfg({"sql", "select 1 as one"}, "", {"MFG_PASSWORD=Back#Pw1"});
    EXPECT_EQ(proven.exitCode, 0) << proven.err;
}

TEST_F(Accounts, EveryFailedProofSaysTheSame)
{
    AddOperator("zheng", "Zheng#Pw1", {2047});
    AddOperator("closed", "Closed#Pw1", {2047});
    AddOperator("locked", "Locked#Pw1", {2047});
    Mfg({"sql", "update m_operator set Closed = 1 where Code = 'closed'"});
    Lock("locked");

    const std::vector<std::pair<std::string, std::string>> failures{
        {"nosuchop", "Zheng#Pw1"}, {"zheng", "wrong"}, {"closed", "wrong"}, {"locked", "Locked#Pw1"}};
    std::vector<std::string> said;
    for (const auto& [code, password] : failures) {
        auto refused = As(code, password, {"bom", "tree", "3001"});
        EXPECT_NE(refused.exitCode, 0) << code;
        EXPECT_TRUE(refused.out.empty()) << code;
        said.push_back(refused.err);
    }
    for (const auto& err : said) EXPECT_EQ(err, said.front());
    EXPECT_NE(said.front().find("用户名或口令不正确"), std::string::npos) << said.front();

    // Each refusal waits once, for the time left until the same answer time.
    auto db = OpenDatabase(url);
    Users users(*db);
    int pauses = 0;
    users.SetRefusalPause([&pauses](std::chrono::milliseconds left) {
        EXPECT_LE(left, RefusalTime);
        ++pauses;
    });
    for (const auto& [code, password] : failures) EXPECT_EQ(users.Login(code, password).message, WrongLogin) << code;
    EXPECT_EQ(pauses, static_cast<int>(failures.size()));
}

TEST_F(Accounts, OperatorsActOnlyInTheBranchesTheLoginOffers)
{
    const std::vector<std::string> tree{"bom", "tree", "3001"};
    struct Case {
        std::string user;
        std::vector<std::string> shop;
        bool allowed;
    };
    const std::vector<Case> cases{
        {"jhy", {}, true},   {"jhy", {"--shop", "1"}, true},    {"jhy", {"--shop", "2"}, false},
        {"jhy", {"--shop", "99"}, false}, {"admin", {"--shop", "2"}, true}, {"admin", {"--shop", "99"}, false},
    };
    for (const auto& [user, shop, allowed] : cases) {
        std::vector<std::string> arguments{"--user", user};
        arguments.insert(arguments.end(), shop.begin(), shop.end());
        arguments.insert(arguments.end(), tree.begin(), tree.end());
        auto run = Mfg(arguments);
        EXPECT_EQ(run.exitCode == 0, allowed) << user << " " << (shop.empty() ? "" : shop[1]) << ": " << run.err;
        if (!allowed) EXPECT_NE(run.err.find("分支机构 " + shop[1]), std::string::npos) << run.err;
    }
}

TEST_F(Accounts, ALoginWritesNothingAndWaitsForNoWriter)
{
    AddOperator("feng", "Feng#Pw1", {2047});
    const TableHashes before = HashTables(url);
    auto failures = [this] {
        return Mfg({"sql", "select LoginFailures as n from m_operator where Code = 'feng'", "--json"}).out;
    };
    const std::string clean = failures();

    auto writer = OpenDatabase(url);
    writer->BeginTran();
    writer->Execute("update m_operator set Memo = 'busy' where Code = 'feng'");
    // A login that waited for the writer would wait until the writer ends; the watchdog ends it first.
    auto read = RunConsole({"--db", url, "--user", "feng", "bom", "tree", "3001"}, "", {"MFG_PASSWORD=Feng#Pw1"},
                           [](const std::string&, std::chrono::milliseconds elapsed) {
                               return elapsed > std::chrono::seconds(60);
                           });
    EXPECT_FALSE(read.killed) << "the reading command waited for the writer";
    EXPECT_EQ(read.exitCode, 0) << read.err;
    writer->RollbackTran();

    EXPECT_TRUE(ChangedTables(before, HashTables(url)).empty());
    EXPECT_EQ(failures(), clean) << "a good password leaves a zero count alone";
}

}  // namespace
}  // namespace mfg::test
