// An edit through a record set is written to the table and column each changed field comes from, as the
// driver names them: an alias, a column named with a blank or a keyword, a field of a join. An edit that
// would have to write two tables, or a value the statement computes, is refused and changes nothing. What
// the tables hold afterwards is read with the engine's own client.
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "support/DatabaseClient.h"
#include "support/EngineConnection.h"
#include "support/ErrorNumber.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using kembtest::clientRows;
using kembtest::Engine;
using kembtest::errorNumber;

namespace {

class EditTarget : public kembtest::EngineConnection {
protected:
    void SetUp() override
    {
        EngineConnection::SetUp();
        if (IsSkipped())
            return;
        cn->Execute("CREATE TABLE cli (id INTEGER PRIMARY KEY, nombre VARCHAR(20))");
        cn->Execute("CREATE TABLE hdr (id INTEGER PRIMARY KEY, cli INTEGER, nota VARCHAR(20))");
        cn->Execute("INSERT INTO cli VALUES (1, 'Ana')");
        cn->Execute("INSERT INTO cli VALUES (2, 'Luis')");
        cn->Execute("INSERT INTO hdr VALUES (1, 2, 'primera')");
        cn->Execute("INSERT INTO hdr VALUES (2, 1, 'segunda')");
    }

    ado::Recordset open(const QString& sql)
    {
        ado::Recordset rs;
        rs.Open(sql, cn, ado::adOpenKeyset, ado::adLockOptimistic);
        return rs;
    }

    QStringList everything()
    {
        return clientRows(*db, "SELECT id, nombre FROM cli ORDER BY id") +
               clientRows(*db, "SELECT id, cli, nota FROM hdr ORDER BY id");
    }

    const QStringList m_asCreated = {"1|Ana", "2|Luis", "1|2|primera", "2|1|segunda"};
};

// The PostgreSQL driver names the column behind an alias. The SQLite driver gives the alias itself as the
// base column: such an edit cannot be placed there and is refused, the table as it was.
TEST_P(EditTarget, AChangedAliasIsWrittenToItsColumn)
{
    const bool named = GetParam() == Engine::PostgreSQL;
    ado::Recordset rs = open("SELECT id AS n, nombre AS apodo FROM cli WHERE id = 2");
    rs.Fields("apodo").setValue("Luisito");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), named ? 0 : 3251);
    rs.CancelUpdate();
    rs.AddNew();
    rs.Fields("n").setValue(3);
    rs.Fields("apodo").setValue("Eva");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), named ? 0 : 3251);
    EXPECT_EQ(clientRows(*db, "SELECT id, nombre FROM cli ORDER BY id"),
              named ? QStringList({"1|Ana", "2|Luisito", "3|Eva"}) : QStringList({"1|Ana", "2|Luis"}));
}

TEST_P(EditTarget, ColumnsNamedWithABlankOrAKeywordAreWritten)
{
    cn->Execute(R"(CREATE TABLE "raro" (id INTEGER PRIMARY KEY, "my col" VARCHAR(20), "order" INTEGER))");
    cn->Execute(R"(INSERT INTO "raro" VALUES (1, 'uno', 10))");
    ado::Recordset rs = open(R"(SELECT * FROM "raro")");
    rs.Fields("my col").setValue("cambiado");
    rs.Fields("order").setValue(11);
    rs.Update();
    rs.AddNew();
    rs.Fields("id").setValue(2);
    rs.Fields("my col").setValue("nuevo");
    rs.Fields("order").setValue(20);
    rs.Update();
    EXPECT_EQ(clientRows(*db, R"(SELECT id, "my col", "order" FROM "raro" ORDER BY id)"),
              QStringList({"1|cambiado|11", "2|nuevo|20"}));
}

// Each field of a join goes to its own table, whichever table comes first after FROM.
TEST_P(EditTarget, AFieldOfAJoinIsWrittenToItsOwnTable)
{
    for (const char* sql : {"SELECT h.id, h.nota, c.id, c.nombre FROM hdr h JOIN cli c ON c.id = h.cli ORDER BY h.id",
                            "SELECT h.id, h.nota, c.id, c.nombre FROM hdr h, cli c WHERE c.id = h.cli ORDER BY h.id"}) {
        ado::Recordset rs = open(sql);
        rs.Fields(3).setValue(rs.Fields(3).Value().toString() + "*");
        rs.Update();
        rs.MoveNext();
        rs.Fields(1).setValue(rs.Fields(1).Value().toString() + "*");
        rs.Update();
    }
    EXPECT_EQ(everything(), QStringList({"1|Ana", "2|Luis**", "1|2|primera", "2|1|segunda**"}));
}

// A subquery in the list of fields names another table: the fields of the table read are still written
// to it, the subquery's value to none.
TEST_P(EditTarget, ASubqueryFieldDoesNotChooseTheTable)
{
    ado::Recordset rs = open("SELECT id, nota, (SELECT MAX(nombre) FROM cli) AS m FROM hdr WHERE id = 1");
    rs.Fields("nota").setValue("cambiada");
    rs.Update();
    EXPECT_EQ(everything(), QStringList({"1|Ana", "2|Luis", "1|2|cambiada", "2|1|segunda"}));
    rs.Fields("m").setValue("Zoe");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), 3251);
    rs.CancelUpdate();
    EXPECT_EQ(everything(), QStringList({"1|Ana", "2|Luis", "1|2|cambiada", "2|1|segunda"}));
}

TEST_P(EditTarget, EditsThatNoOneTableHoldsAreRefusedAndChangeNothing)
{
    struct Case {
        const char* name;
        const char* sql;
        std::vector<const char*> fields;
    };
    const Case cases[] = {
        {"fields of two tables",
         "SELECT h.id, h.nota, c.id, c.nombre FROM hdr h JOIN cli c ON c.id = h.cli",
         {"nota", "nombre"}},
        {"a computed field", "SELECT id, nota || '-' AS calculada FROM hdr", {"calculada"}},
        {"a constant", "SELECT id, 'fija' AS constante FROM hdr", {"constante"}},
    };
    for (const Case& c : cases) {
        ado::Recordset rs = open(c.sql);
        for (const char* field : c.fields)
            rs.Fields(field).setValue("otro");
        EXPECT_EQ(errorNumber([&] { rs.Update(); }), 3251) << c.name;
        EXPECT_EQ(rs.EditMode(), ado::adEditInProgress) << c.name;
        rs.CancelUpdate();
        rs.AddNew();
        for (const char* field : c.fields)
            rs.Fields(field).setValue("otro");
        EXPECT_EQ(errorNumber([&] { rs.Update(); }), 3251) << c.name << ", new row";
        rs.CancelUpdate();
        EXPECT_EQ(everything(), m_asCreated) << c.name;
    }
}

// Without a key, a row is told from the others by all its values: a record set without one of them
// cannot tell which row it read.
TEST_P(EditTarget, AKeylessTableNeedsEveryComparableColumn)
{
    cn->Execute("CREATE TABLE sinclave (codigo INTEGER, nombre VARCHAR(20))");
    cn->Execute("INSERT INTO sinclave VALUES (1, 'Ana')");
    cn->Execute("INSERT INTO sinclave VALUES (2, 'Ana')");
    ado::Recordset parcial = open("SELECT nombre FROM sinclave WHERE codigo = 2");
    parcial.Fields("nombre").setValue("Eva");
    EXPECT_EQ(errorNumber([&] { parcial.Update(); }), 3251);
    parcial.CancelUpdate();
    ado::Recordset entera = open("SELECT codigo, nombre FROM sinclave WHERE codigo = 2");
    entera.Fields("nombre").setValue("Eva");
    entera.Update();
    EXPECT_EQ(clientRows(*db, "SELECT codigo, nombre FROM sinclave ORDER BY codigo"), QStringList({"1|Ana", "2|Eva"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, EditTarget, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

} // namespace
