#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Database.h"
#include "TestDatabase.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace mfg::test {

//! A host over a private copy of the demo database, current for the test, with today fixed,
//! branch 1 and operator 1 logged in, and scripted dialogs.
class DemoHostTest : public ::testing::Test {
protected:
    DemoHostTest()
        : host(OpenDatabase(CopyOfDemoDatabase(DatabaseName()))),
          scope(host),
          dialogs(host.SetDialogs(std::make_unique<ScriptedDialogs>()))
    {
        host.SetToday(TestToday());
        host.SetShopID(1);
        host.SetUser(1, "管理员");
    }

    static std::string DatabaseName()
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string("host-") + test->test_suite_name() + "-" + test->name();
    }

    Host host;
    CurrentHostScope scope;
    ScriptedDialogs& dialogs;
};

//! One user of a test that runs several at once: a host of its own over the database at `url`,
//! current on the thread that makes it, with today fixed, branch 1, operator 1 and scripted dialogs.
struct DemoSession {
    explicit DemoSession(const std::string& url)
        : host(OpenDatabase(url)), scope(host), dialogs(host.SetDialogs(std::make_unique<ScriptedDialogs>()))
    {
        host.SetToday(TestToday());
        host.SetShopID(1);
        host.SetUser(1, "管理员");
    }

    Host host;
    CurrentHostScope scope;
    ScriptedDialogs& dialogs;
};

}  // namespace mfg::test
