#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "Database.h"
#include "HostFixture.h"
#include "TestDatabase.h"
#include "host/Users.h"

namespace mfg {
namespace {

//! The demo host with the refusal pause recorded, not slept.
class UsersTest : public test::DemoHostTest {
protected:
    UsersTest()
    {
        users.SetRefusalPause([this](std::chrono::milliseconds pause) { pauses.push_back(pause); });
    }

    std::string StoredHash(int id)
    {
        return host.GetValueOfSql("select PasswordHash from m_operator where OPID = :id", {}, {{"id", id}}).AsString();
    }

    Users users{host.DBStartup()};
    std::vector<std::chrono::milliseconds> pauses;
};

TEST_F(UsersTest, AddUserKeepsOnlyASaltedHashThatALoginVerifies)
{
    int first = users.AddUser({"zhang", "张工", "车间2026!", 1});
    int second = users.AddUser({"wang", "", "车间2026!", 1});
    EXPECT_GT(first, 2) << "a new operator must not take a demo operator's key";
    EXPECT_GT(second, first);

    std::string hash = StoredHash(first);
    EXPECT_TRUE(hash.starts_with("$argon2id$")) << hash;
    EXPECT_EQ(hash.find("车间2026!"), std::string::npos);
    EXPECT_NE(hash, StoredHash(second)) << "the same password must hash differently for two users";
    EXPECT_TRUE(host.GetValueOfSql("select Password from m_operator where OPID = :id", {}, {{"id", first}}).IsNull());
    EXPECT_EQ(users.GetUser(second)->name, "wang") << "a user added without a name goes by the code";

    auto login = users.Login("ZHANG", "车间2026!");
    ASSERT_TRUE(login) << login.message;
    EXPECT_EQ(login.user->id, first);
    EXPECT_EQ(login.user->name, "张工");
    EXPECT_TRUE(pauses.empty());
    EXPECT_TRUE(users.Login("张工", "车间2026!")) << "the name logs in as well as the code";
}

TEST_F(UsersTest, RefusedLoginsWaitAndTellNothingOfThePassword)
{
    int id = users.AddUser({"li", "李工", "正确口令"});

    auto wrong = users.Login("li", "错误口令");
    EXPECT_FALSE(wrong);
    EXPECT_EQ(wrong.message, "用户名或口令不正确。");
    EXPECT_EQ(wrong.message.find("错误口令"), std::string::npos);
    ASSERT_EQ(pauses.size(), 1u);
    EXPECT_LE(pauses[0], RefusalTime);

    EXPECT_EQ(users.Login("nobody", "x").message, wrong.message) << "an unknown user must read like a wrong password";
    EXPECT_FALSE(users.Login("li", "")) << "an empty password must not pass";
    EXPECT_FALSE(users.Login("li", "正确口令 ")) << "no trimming of the password";

    auto noPassword = users.Login("admin", "");
    EXPECT_FALSE(noPassword) << "the demo administrator has no password yet";
    EXPECT_NE(noPassword.message.find("尚未设置口令"), std::string::npos) << noPassword.message;

    host.SqlExecute("update m_operator set Closed = 1 where OPID = :id", {{"id", id}});
    auto closed = users.Login("li", "正确口令");
    EXPECT_FALSE(closed);
    EXPECT_NE(closed.message.find("已停用"), std::string::npos) << closed.message;
    EXPECT_EQ(pauses.size(), 6u) << "every refusal pauses";
}

TEST_F(UsersTest, WrongPasswordsInARowLockTheOperatorUntilAReset)
{
    int id = users.AddUser({"zhao", "赵工", "对的口令"});
    for (int i = 0; i < DefaultLoginAttempts; ++i) EXPECT_FALSE(users.Login("zhao", "猜的"));
    ASSERT_EQ(pauses.size(), static_cast<size_t>(DefaultLoginAttempts));

    auto locked = users.Login("zhao", "对的口令");
    EXPECT_FALSE(locked) << "the right password after the limit";
    EXPECT_EQ(locked.message, WrongLogin) << "a lock reads like any failed proof";
    EXPECT_FALSE(users.ChangePassword(id, "对的口令", "新口令")) << "nor may a change guess past the lock";
    EXPECT_EQ(host.GetValueOfSql("select LoginFailures from m_operator where OPID = :id", {}, {{"id", id}}).AsInteger(),
              DefaultLoginAttempts);

    users.SetPassword(id, "重设的口令");
    EXPECT_TRUE(users.Login("zhao", "重设的口令")) << "the administrator's reset unlocks";

    // A good password clears the count; the limit is the system parameter.
    host.SqlExecute("update L_SysParam set ParamValue = '2' where ParamName = :name", {{"name", LoginAttemptsParam}});
    EXPECT_FALSE(users.Login("zhao", "猜的"));
    EXPECT_TRUE(users.Login("zhao", "重设的口令"));
    EXPECT_FALSE(users.Login("zhao", "猜的"));
    EXPECT_FALSE(users.Login("zhao", "猜的"));
    EXPECT_FALSE(users.Login("zhao", "重设的口令")) << "two wrong in a row reach a limit of 2";
}

TEST(UsersSideBySide, GuessesSentAtOnceAreCountedAgainstOneLimit)
{
    const std::string url = test::CopyOfDemoDatabase("users-side-by-side");
    {
        auto db = OpenDatabase(url);
        Users(*db).AddUser({"sun", "孙工", "对的口令"});
    }
    constexpr int Guessers = 4, Guesses = 4;
    std::vector<std::thread> guessers;
    for (int g = 0; g < Guessers; ++g)
        guessers.emplace_back([&] {
            auto db = OpenDatabase(url);
            Users users(*db);
            users.SetRefusalPause({});
            for (int i = 0; i < Guesses; ++i) EXPECT_FALSE(users.Login("sun", "猜的" + std::to_string(i)));
        });
    for (auto& guesser : guessers) guesser.join();
    auto db = OpenDatabase(url);
    EXPECT_GE(db->Query("select LoginFailures from m_operator where Code = 'sun'").FirstValue().AsInteger(),
              DefaultLoginAttempts)
        << "every guess before the lock counts";
    Users users(*db);
    users.SetRefusalPause({});
    EXPECT_FALSE(users.Login("sun", "对的口令"));
}

TEST_F(UsersTest, PasswordChangesNeedTheOldPasswordUnlessAnAdministratorResets)
{
    int id = users.AddUser({"chen", "陈工", "旧口令"});
    EXPECT_FALSE(users.ChangePassword(id, "猜的", "新口令"));
    EXPECT_EQ(pauses.size(), 1u);
    EXPECT_FALSE(users.ChangePassword(id, "旧口令", "")) << "an empty new password";
    EXPECT_TRUE(users.Login("chen", "旧口令")) << "refused changes keep the old password";

    ASSERT_TRUE(users.ChangePassword(id, "旧口令", "新口令"));
    EXPECT_FALSE(users.Login("chen", "旧口令"));
    EXPECT_TRUE(users.Login("chen", "新口令"));

    users.SetPassword(1, "admin-口令");
    EXPECT_TRUE(users.Login("admin", "admin-口令"));
    EXPECT_THROW(users.SetPassword(99, "x"), UserError);
    EXPECT_THROW(users.SetPassword(id, ""), UserError);
}

TEST_F(UsersTest, AddUserRefusesCodesThatAreTakenEmptyOrTooLong)
{
    EXPECT_THROW(users.AddUser({"ADMIN", "另一个管理员", "x"}), UserError) << "codes compare without case";
    EXPECT_THROW(users.AddUser({"  ", "空", "x"}), UserError);
    EXPECT_THROW(users.AddUser({"a-code-longer-than-16", "长", "x"}), UserError);
    EXPECT_NO_THROW(users.AddUser({"十六个汉字的编码十六个汉字的编码", "", ""})) << "16 characters, more bytes";
    auto added = users.FindUser("十六个汉字的编码十六个汉字的编码");
    ASSERT_TRUE(added);
    EXPECT_FALSE(added->hasPassword);
    EXPECT_EQ(host.GetValueOfSql("select count(*) from m_operator").AsInteger(), 3);
}

TEST_F(UsersTest, GrantsFollowTheDemoAndTheAdministratorPassesEveryCheck)
{
    EXPECT_TRUE(users.HasPrivilege(2, 2044, PrivKind::Run));
    EXPECT_TRUE(users.HasPrivilege(2, 2044, PrivKind::Browse));
    EXPECT_FALSE(users.HasPrivilege(2, 2044, PrivKind::Export));
    EXPECT_FALSE(users.HasPrivilege(2, 2047, PrivKind::Modify));
    EXPECT_FALSE(users.HasPrivilege(2, 2042, PrivKind::Check));

    EXPECT_TRUE(users.IsAdmin(1));
    EXPECT_TRUE(users.HasPrivilege(1, 9999, PrivKind::Delete)) << "an administrator needs no grant rows";
    EXPECT_FALSE(users.HasPrivilege(99, 2044, PrivKind::Browse)) << "an unknown operator holds nothing";

    host.SqlExecute("update m_operator set Closed = 1 where OPID = 2");
    users.Refresh(2);
    EXPECT_FALSE(users.HasPrivilege(2, 2044, PrivKind::Run)) << "a closed operator holds nothing";
}

TEST_F(UsersTest, GrantsAreKeptUntilRefreshedExceptChangesMadeHere)
{
    EXPECT_FALSE(users.HasPrivilege(2, 2049, PrivKind::Print));
    host.SqlExecute("insert into m_privilege (OPID, PrivilegeID, PrivKind) values (2, 2049, 8)");
    EXPECT_FALSE(users.HasPrivilege(2, 2049, PrivKind::Print)) << "read once per operator";
    users.Refresh(2);
    EXPECT_TRUE(users.HasPrivilege(2, 2049, PrivKind::Print));

    users.Grant(2, 2047, 3);
    users.Grant(2, 2047, 3);
    EXPECT_TRUE(users.HasPrivilege(2, 2047, PrivKind::Modify));
    users.Revoke(2, 2044, 5);
    EXPECT_FALSE(users.HasPrivilege(2, 2044, PrivKind::Run));
    users.RefreshAll();
    EXPECT_TRUE(users.HasPrivilege(2, 2047, PrivKind::Modify)) << "Grant wrote to the table";
    EXPECT_FALSE(users.HasPrivilege(2, 2044, PrivKind::Run)) << "Revoke wrote to the table";

    Users other(host.DBStartup());
    other.HasPrivilege(2, 2054, 1);
    users.Grant(2, 2054, 1);
    other.Grant(2, 2054, 1);  // its kept rights are older than the table: the row exists already
    EXPECT_EQ(host.GetValueOfSql("select count(*) from m_privilege where OPID = 2 and PrivilegeID = 2054").AsInteger(), 1);

    int id = users.AddUser({"zhao", "赵工", ""});
    users.GrantAllKinds(id, 2059);
    EXPECT_EQ(users.Grants(id).size(), 9u);
    EXPECT_THROW(users.Grant(id, 2059, 0), UserError);
    EXPECT_THROW(users.Grant(id, 2059, 10), UserError);
    EXPECT_THROW(users.Grant(99, 2059, 1), UserError);
}

TEST_F(UsersTest, HostChecksAskForTheCurrentUserWithOrWithoutACurrentService)
{
    host.SetUser(2, "计划员");
    auto planner = [] {
        EXPECT_TRUE(HasRunPrivilege(2044));
        EXPECT_FALSE(HasExportPrivilege(2044));
        EXPECT_TRUE(HasBrowsePrivilege(2047));
        EXPECT_TRUE(HasPrintPrivilege(2047));
        EXPECT_FALSE(HasAppendPrivilege(2047));
        EXPECT_FALSE(HasModifyPrivilege(2047));
        EXPECT_FALSE(HasDeletePrivilege(2047));
        EXPECT_FALSE(HasCheckPrivilege(2047));
        EXPECT_FALSE(HasUncheckPrivilege(2047));
        EXPECT_TRUE(HasAppendPrivilege(2005));
    };
    planner();
    {
        CurrentUsersScope scope(users);
        planner();
    }
    EXPECT_EQ(CurrentUsers(), nullptr);

    EXPECT_FALSE(HasNewPrivilege2(2047, 2, false));
    EXPECT_TRUE(dialogs.Messages().empty()) << "no message unless asked for";
    EXPECT_FALSE(HasNewPrivilege2(2047, 2, true));
    ASSERT_EQ(dialogs.Texts(MessageKind::Warning).size(), 1u);
    EXPECT_NE(dialogs.Texts(MessageKind::Warning)[0].find("新增"), std::string::npos);
    EXPECT_NE(dialogs.Texts(MessageKind::Warning)[0].find("2047"), std::string::npos);
    EXPECT_TRUE(HasNewPrivilege2(2044, 5, true));

    host.SetUser(1, "管理员");
    EXPECT_TRUE(HasExportPrivilege(2044));
    EXPECT_TRUE(HasNewPrivilege2(4242, 7, true));
}

TEST(UsersWithoutPasswordColumn, ADatabaseMadeBeforeTheColumnIsToldTheDdlThatAddsIt)
{
    auto db = test::OpenTestDatabase(true);
    db->ExecuteNative("alter table m_operator drop column PasswordHash");
    Users users(*db);
    EXPECT_TRUE(users.HasPrivilege(2, 2044, PrivKind::Run)) << "privileges do not need the column";
    try {
        users.Login("admin", "x");
        FAIL() << "expected DbError";
    } catch (const DbError& error) {
        EXPECT_NE(std::string(error.what()).find(PasswordHashColumnDdl), std::string::npos) << error.what();
    }
    db->ExecuteNative(PasswordHashColumnDdl);
    Users upgraded(*db);
    upgraded.SetRefusalPause({});
    upgraded.SetPassword(1, "x");
    EXPECT_TRUE(upgraded.Login("admin", "x")) << "the statement it names is the one that helps";
}

}  // namespace
}  // namespace mfg
