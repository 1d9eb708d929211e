#include "platform/ado/ErrorNumbers.h"
#include "platform/vb/Error.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorNumbers, SqlStatesBecomeAdoNumbers)
{
    const std::pair<const char*, long> cases[] = {
        {"08S01", -2147467259}, {"08001", -2147467259}, {"HY000", -2147217900}, {"HY010", -2147217900},
        {"25000", -2147217900}, {"42000", -2147217900}, {"42S01", -2147217900}, {"42S02", -2147217865},
        {"42P01", -2147217865}, {"23000", -2147217873}, {"23505", -2147217873}, {"22001", -2147217833},
        {"22007", -2147217913}, {"28000", -2147217843}, {"HYT00", -2147217871}, {"01000", 0},
        {"01004", 0},
    };
    for (const auto& [state, number] : cases)
        EXPECT_EQ(ado::numberForSqlState(state), number) << state;
}

TEST(ErrorNumbers, ALostConnectionAndAFailedConnectAreConnectionFailures)
{
    struct Case {
        const char* state;
        long native;
        bool connecting;
        long number;
    };
    const Case cases[] = {
        {"57P01", 26, false, -2147467259}, // PostgreSQL ended the session
        {"57P01", 35, false, -2147467259},    {"HY000", 20006, false, -2147467259},
        {"HY000", 20047, false, -2147467259}, {"HY000", 10054, false, -2147467259},
        {"HY000", 1, false, -2147217900},     {"HY000", 1, true, -2147467259},
        {"42000", 4060, true, -2147467259},   {"IM002", 0, true, -2147467259},
        {"28000", 18456, true, -2147217843},  {"01000", 5701, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ado::numberForSqlState(c.state, c.native, c.connecting), c.number)
            << c.state << " " << c.native << " " << c.connecting;
}

TEST(ErrorNumbers, RunTimeErrorsCarryTheirNumberAndSource)
{
    for (const auto e :
         {ado::RunTimeError::NotAllowedInContext, ado::RunTimeError::ItemNotFound, ado::RunTimeError::NoCurrentRecord,
          ado::RunTimeError::ObjectClosed, ado::RunTimeError::ObjectOpen, ado::RunTimeError::ConnectionUnusable}) {
        try {
            ado::raise(e, "ADODB.Recordset");
        } catch (const vb::Error& err) {
            EXPECT_EQ(err.Number(), static_cast<long>(e));
            EXPECT_FALSE(err.Description().isEmpty());
            EXPECT_EQ(err.Source(), "ADODB.Recordset");
        }
    }
}

} // namespace
