// A test run once per database engine (the parameter itself, or the first of a tuple of parameters) with an
// open connection to a fresh database of that engine; the engine that cannot be reached here skips the test
// with the reason.
#pragma once

#include "platform/ado/Connection.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace kembtest {

template <class Param>
class EngineConnectionWith : public ::testing::TestWithParam<Param> {
protected:
    Engine engine() const { return engineOf(this->GetParam()); }

    void SetUp() override
    {
        if (const QString why = TestDatabase::unavailable(engine()); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        db = std::make_unique<TestDatabase>(engine());
        cn = ado::Connection::create();
        cn->Open(db->connectionString());
    }

    std::unique_ptr<TestDatabase> db;
    std::shared_ptr<ado::Connection> cn;

private:
    static Engine engineOf(Engine engine) { return engine; }
    template <class... Others>
    static Engine engineOf(const std::tuple<Engine, Others...>& param)
    {
        return std::get<0>(param);
    }
};

class EngineConnection : public EngineConnectionWith<Engine> {};

} // namespace kembtest
