// A test run once per database engine with an open connection to a fresh database of that engine; the
// engine that cannot be reached here skips the test with the reason.
#pragma once

#include "platform/ado/Connection.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <memory>

namespace kembtest {

class EngineConnection : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        if (const QString why = TestDatabase::unavailable(GetParam()); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        db = std::make_unique<TestDatabase>(GetParam());
        cn = ado::Connection::create();
        cn->Open(db->connectionString());
    }

    std::unique_ptr<TestDatabase> db;
    std::shared_ptr<ado::Connection> cn;
};

} // namespace kembtest
