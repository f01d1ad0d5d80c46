#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "host/HostFixture.h"

namespace mfg::test {

//! The demo host with a temporary directory of its own, so that each test has its own
//! "ShopCalendar.dat".
class CalendarTest : public DemoHostTest {
protected:
    CalendarTest()
        : folder(std::filesystem::temp_directory_path() /
                 ("mfg-calendar-" + std::to_string(::getpid()) + "-" + DatabaseName()))
    {
        std::filesystem::remove_all(folder);
        host.SetTempDirectory(folder);
    }
    ~CalendarTest() override { std::filesystem::remove_all(folder); }

    //! The calendar emptied, with "StartYear" set, for the extension from nothing.
    void EmptyCalendar(const std::string& startYear)
    {
        host.SqlExecute("delete from MNF_CALENDAR");
        host.SqlExecute("update L_SysParam set ParamValue = :y where ParamName = 'StartYear'", {{"y", startYear}});
    }

    std::int64_t Sequence(int year, int month, int day)
    {
        return host.GetValueOfSql("select SEQUENCE from MNF_CALENDAR where WORKDATE = :d", -1,
                                  {{"d", DateTime::FromYmd(year, month, day)}})
            .AsInteger();
    }

    std::int64_t Mark(int year, int month, int day)
    {
        return host.GetValueOfSql("select ISHOLIDAY from MNF_CALENDAR where WORKDATE = :d", -1,
                                  {{"d", DateTime::FromYmd(year, month, day)}})
            .AsInteger();
    }

    std::filesystem::path folder;
};

}  // namespace mfg::test
