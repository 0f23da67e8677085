#pragma once
// Tests on a private PostgreSQL server: skipped when PostgreSQL is not installed, failed when the
// server does not come up; Db is a database component set up to reach it.

#include "engine/PrivatePostgres.h"
#include "platform/db/SqlDataSet.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

namespace qor::test {

class PostgresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string Why = Server.Start();
        if (!Why.empty()) {
            if (Server.BinariesMissing())
                QOR_SKIP_WITHOUT_TOOL(Why);
            FAIL() << "the private PostgreSQL server did not start: " << Why;
        }
        Db.SetDriverName("QPSQL");
        Db.SetHostName(Server.SocketDir());
        Db.SetUserName(PrivatePostgres::User());
        Db.SetDatabaseName("postgres");
    }

    PrivatePostgres Server; // declared first: it goes after the database component
    TDatabase Db{nullptr};
};

} // namespace qor::test
