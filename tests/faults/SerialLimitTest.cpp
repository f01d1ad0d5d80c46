// A period whose serials are used up: the code after CG-2026-12-9999 would need a fifth digit that
// the rule does not give. Every command that numbers bills refuses, naming the bill type and its
// rule, before it writes anything; cutting the serial would hand out the period's first codes again.
#include <gtest/gtest.h>

#include "ConsoleRun.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

class SerialLimit : public ::testing::Test {
protected:
    SerialLimit() : url(CopyOfDemoDatabase("faults-serial-limit")), db(OpenDatabase(url)) {}

    ConsoleResult Mfg(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--db", url, "--today", "2026-12-06"});
        return RunConsole(arguments);
    }

    std::int64_t Count(const std::string& sql) { return db->Query(sql).FirstValue().AsInteger(); }

    std::string url;
    std::unique_ptr<Connection> db;
};

TEST_F(SerialLimit, EveryNumberingCommandRefusesTheSerialItsRuleCannotHold)
{
    struct Case {
        std::string lastCode;  //!< a December bill made the last of its period
        std::string table;
        std::vector<std::string> command;
        std::string named;  //!< the bill type and its rule, as the refusal names them
    };
    const std::vector<Case> cases{
        {"CG-2026-12-0003", "P_ORDER", {"billcode", "--type", "2", "--table", "P_ORDER"}, "单据类型 2 的编号规则 CG-年月-0000"},
        {"SC-2026-12-0005", "MNF_MANUORDER",
         {"mrp", "--mps", "all", "--release", "manufacture", "--workshop", "CJ04"},
         "单据类型 42 的编号规则 SC-年月-0000"},
        {"JH-2026-12-0002", "MNF_ManuPlan",
         {"mps", "from-sales", "XS-2026-12-01-0001:1", "--finish", "2026-12-24"},
         "单据类型 43 的编号规则 JH-年月-0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const std::string full = c.lastCode.substr(0, c.lastCode.size() - 4) + "9999";
        db->Execute("update " + c.table + " set BillCode = '" + full + "' where BillCode = '" + c.lastCode + "'");
        const auto bills = Count("select count(*) from " + c.table);
        const auto printRecords = Count("select count(*) from AB_BILLPRINT");
        const auto taken = Count("select count(*) from S_OrderDetail where MPSREFERED = 1");

        auto result = Mfg(c.command);
        EXPECT_NE(result.exitCode, 0);
        EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find(full.substr(0, full.size() - 4) + "0000"), std::string::npos) << result.out;
        EXPECT_EQ(Count("select count(*) from " + c.table), bills) << "a bill was written";
        EXPECT_EQ(Count("select count(*) from AB_BILLPRINT"), printRecords) << "a code was recorded for printing";
        EXPECT_EQ(Count("select count(*) from S_OrderDetail where MPSREFERED = 1"), taken) << "an order line was taken";
    }
}

}  // namespace
}  // namespace mfg::test
