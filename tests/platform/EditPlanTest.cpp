// What an edit through a record set writes, decided from the statement, the driver's column origins and the
// table's key: a table of statement shapes, each edited on SQLite and PostgreSQL, every table compared with
// the engine's own client before and after. Where the statement does not say for certain which row of which
// table a field is, the edit is refused (3251) and nothing changes. Then the decision is made afresh for a
// set opened again, holds only while the condition finds one row, and knows a new row as the engine stored it.
#include "platform/ado/Connection.h"
#include "platform/ado/Driver.h"
#include "platform/ado/Recordset.h"
#include "support/DatabaseClient.h"
#include "support/EngineConnection.h"
#include "support/ErrorNumber.h"
#include "support/ForwardingSession.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

using kembtest::clientRows;
using kembtest::Engine;
using kembtest::errorNumber;

namespace {

constexpr long kNotUpdatable = 3251;
constexpr long kRowNotFound = -2147217864;

// The tables every shape reads: a name, the table as a statement writes it and its columns.
struct Dumped {
    const char* name;
    const char* table;
    QStringList columns;
};
const Dumped kDumps[] = {
    {"hdr", "hdr", {"id", "nombre"}},
    {"hdr2", "hdr2", {"id", "nombre"}},
    {"sw", "sw", {"id", "a", "b"}},
    {"raro", R"("Raro ""x""")", {"id", R"("Mi Col")", R"("order")"}},
    {"mixto", R"("Mixto")", {R"("Id")", R"("Nombre")"}},
};

// Each table's rows as the client prints them ("1|uno"), in the order of their first column.
using Snapshot = std::map<QString, QStringList>;

// A field written: the row of the table whose line starts with `id`, and the place of the column in the line.
struct Written {
    const char* table;
    const char* id;
    int column;
};
// What an engine does with a shape: refuses it (a new row as well), cannot tell its row from others (a new
// row goes in), writes one field, or has no such shape.
struct Outcome {
    enum class Kind { Refused, RowUnknown, Writes, Absent } kind;
    Written written{};
};
const Outcome kRefused{Outcome::Kind::Refused};
const Outcome kRowUnknown{Outcome::Kind::RowUnknown};
const Outcome kAbsent{Outcome::Kind::Absent};
Outcome writes(const char* table, const char* id, int column)
{
    return {Outcome::Kind::Writes, {table, id, column}};
}

struct Shape {
    const char* name;
    const char* sql;
    std::vector<int> fields; // changed, each to a text of its own
    long row;                // of the set
    Outcome sqlite;
    Outcome postgres;
};

class EditPlanShapes : public kembtest::EngineConnection {
protected:
    void SetUp() override
    {
        EngineConnection::SetUp();
        if (IsSkipped())
            return;
        for (const char* sql : {
                 "CREATE TABLE hdr (id INTEGER PRIMARY KEY, nombre VARCHAR(20))",
                 "CREATE TABLE hdr2 (id INTEGER PRIMARY KEY, nombre VARCHAR(20))",
                 "CREATE TABLE sw (id INTEGER PRIMARY KEY, a VARCHAR(20), b VARCHAR(20))",
                 "CREATE VIEW vsw AS SELECT id, b AS a, a AS b FROM sw",
                 R"(CREATE TABLE "Raro ""x""" ("Mi Col" VARCHAR(20), "order" INTEGER, id INTEGER PRIMARY KEY))",
                 R"(CREATE TABLE "Mixto" ("Id" INTEGER PRIMARY KEY, "Nombre" VARCHAR(20)))",
                 "INSERT INTO hdr VALUES (1, 'uno')",
                 "INSERT INTO hdr VALUES (2, 'dos')",
                 "INSERT INTO hdr VALUES (3, 'tres')",
                 "INSERT INTO hdr2 VALUES (1, 'x1')",
                 "INSERT INTO hdr2 VALUES (2, 'x2')",
                 "INSERT INTO sw VALUES (1, 'a1', 'b1')",
                 "INSERT INTO sw VALUES (2, 'a2', 'b2')",
                 R"(INSERT INTO "Raro ""x""" VALUES ('mi', 7, 1))",
                 R"(INSERT INTO "Mixto" VALUES (1, 'Mezcla'))",
             })
            cn->Execute(sql);
        if (engine() == Engine::PostgreSQL) {
            cn->Execute("CREATE SCHEMA s2");
            cn->Execute("CREATE TABLE s2.hdr (id INTEGER PRIMARY KEY, nombre VARCHAR(20))");
            cn->Execute("INSERT INTO s2.hdr VALUES (1, 's2-uno')");
            cn->Execute("INSERT INTO s2.hdr VALUES (2, 's2-dos')");
        }
    }

    // One client run for all the tables: each row as a line "name|value|value", in text.
    Snapshot snapshot()
    {
        std::vector<Dumped> dumps(std::begin(kDumps), std::end(kDumps));
        if (engine() == Engine::PostgreSQL)
            dumps.push_back({"s2.hdr", "s2.hdr", {"id", "nombre"}});
        QStringList selects;
        for (const Dumped& d : dumps) {
            QStringList values;
            for (const QString& c : d.columns)
                values << QStringLiteral("CAST(%1 AS TEXT)").arg(c);
            while (values.size() < 3)
                values << QStringLiteral("'-'");
            selects << QStringLiteral("SELECT '%1', %2 FROM %3").arg(d.name, values.join(", "), d.table);
        }
        Snapshot tables;
        for (const QString& line : clientRows(*db, selects.join(" UNION ALL ") + " ORDER BY 1, 2")) {
            QStringList parts = line.split('|');
            const QString name = parts.takeFirst();
            if (parts.back() == "-")
                parts.removeLast();
            tables[name] << parts.join('|');
        }
        return tables;
    }

    ado::Recordset open(const QString& sql)
    {
        ado::Recordset rs;
        rs.Open(sql, cn, ado::adOpenKeyset, ado::adLockOptimistic);
        return rs;
    }

    // Sets the shape's fields of its row and updates; the error number raised, 0 for none.
    long edit(const Shape& shape, const QString& text)
    {
        ado::Recordset rs = open(shape.sql);
        for (long i = 0; i < shape.row; ++i)
            rs.MoveNext();
        for (int field : shape.fields)
            rs.Fields(field).setValue(text);
        const long error = errorNumber([&] { rs.Update(); });
        if (error != 0) {
            EXPECT_EQ(rs.EditMode(), ado::adEditInProgress) << shape.name;
            rs.CancelUpdate();
        }
        return error;
    }

    // A new row of the shape's fields: refused by AddNew or by Update.
    long add(const Shape& shape, const QString& text)
    {
        ado::Recordset rs = open(shape.sql);
        if (const long error = errorNumber([&] { rs.AddNew(); }); error != 0)
            return error;
        for (int field : shape.fields)
            rs.Fields(field).setValue(text);
        const long error = errorNumber([&] { rs.Update(); });
        if (error != 0)
            rs.CancelUpdate();
        return error;
    }
};

TEST_P(EditPlanShapes, EachShapeWritesItsOwnRowAndColumnOrNothing)
{
    const Shape shapes[] = {
        // A table read twice: the driver does not say which reading a field comes from.
        {"self-join",
         "SELECT a.id, b.nombre FROM hdr a JOIN hdr b ON b.id = a.id + 1 ORDER BY a.id",
         {1},
         0,
         kRefused,
         kRefused},
        {"self-join, alias",
         "SELECT a.id, b.nombre AS n2 FROM hdr a JOIN hdr b ON b.id = a.id + 1 ORDER BY a.id",
         {1},
         0,
         kRefused,
         kRefused},
        {"self-join, its key selected",
         "SELECT a.id, b.id AS bid, b.nombre FROM hdr a JOIN hdr b ON b.id = a.id + 1 ORDER BY a.id",
         {2},
         0,
         kRefused,
         kRefused},
        {"self-join of derived tables",
         "SELECT x.id, y.nombre FROM (SELECT id, nombre FROM hdr) x JOIN (SELECT id, nombre FROM hdr) y "
         "ON y.id = x.id + 1 ORDER BY x.id",
         {1},
         0,
         kRefused,
         kRefused},
        {"a common table expression read twice",
         "WITH c AS (SELECT id, nombre FROM hdr) SELECT a.id, b.nombre FROM c a JOIN c b ON b.id = a.id + 1 "
         "ORDER BY a.id",
         {1},
         0,
         kRefused,
         kRefused},
        // Rows of more than one SELECT.
        {"union",
         "SELECT id, nombre FROM hdr WHERE id = 1 UNION ALL SELECT id, nombre FROM hdr2 WHERE id = 2",
         {1},
         1,
         kRefused,
         kRefused},
        {"union in a derived table",
         "SELECT u.id, u.nombre FROM (SELECT id, nombre FROM hdr WHERE id = 1 UNION ALL "
         "SELECT id, nombre FROM hdr2 WHERE id = 2) u",
         {1},
         1,
         kRefused,
         kRefused},
        {"intersect", "SELECT id, nombre FROM hdr INTERSECT SELECT id, nombre FROM hdr", {1}, 0, kRefused, kRefused},
        // An alias named after another column: SQLite's driver gives the alias as the base column.
        {"alias named after another column",
         "SELECT id, a AS b FROM sw ORDER BY id",
         {1},
         0,
         kRefused,
         writes("sw", "1", 1)},
        {"aliases swapped", "SELECT id, a AS b, b AS a FROM sw ORDER BY id", {2}, 0, kRefused, writes("sw", "1", 2)},
        {"alias without AS", "SELECT id, a b FROM sw ORDER BY id", {1}, 0, kRefused, writes("sw", "1", 1)},
        {"alias in a derived table",
         "SELECT x.id, x.b FROM (SELECT id, a AS b FROM sw) x ORDER BY x.id",
         {1},
         0,
         kRefused,
         writes("sw", "1", 1)},
        {"a view that swaps columns", "SELECT id, a, b FROM vsw ORDER BY id", {1}, 0, kRefused, writes("sw", "1", 2)},
        {"a view beside its table",
         "SELECT v.id, v.a, v.b, s.id AS sid FROM vsw v JOIN sw s ON s.id = v.id "
         "ORDER BY v.id",
         {1},
         0,
         kRefused,
         writes("sw", "1", 2)},
        {"an alias that is its column's name",
         "SELECT id, a AS a FROM sw ORDER BY id",
         {1},
         0,
         writes("sw", "1", 1),
         writes("sw", "1", 1)},
        // Values the statement computes.
        {"every field computed",
         "SELECT id + 1 AS id, upper(nombre) AS nombre FROM hdr WHERE id = 1",
         {1},
         0,
         kRefused,
         kRefused},
        {"a computed key", "SELECT id + 0 AS id, nombre FROM hdr WHERE id = 1", {1}, 0, kRowUnknown, kRowUnknown},
        {"an aggregate",
         "SELECT nombre, COUNT(*) AS n FROM hdr GROUP BY nombre ORDER BY nombre",
         {0},
         0,
         kRowUnknown,
         kRowUnknown},
        {"two tables at once",
         "SELECT h.id, h.nombre, d.id, d.nombre FROM hdr h JOIN hdr2 d ON d.id = h.id "
         "ORDER BY h.id",
         {1, 3},
         0,
         kRefused,
         kRefused},
        // Shapes that are written.
        {"the second table of a join",
         "SELECT h.id, h.nombre, d.id, d.nombre FROM hdr h JOIN hdr2 d ON d.id = h.id "
         "ORDER BY h.id",
         {3},
         0,
         writes("hdr2", "1", 1),
         writes("hdr2", "1", 1)},
        {"a column of a join without its table's name",
         "SELECT h.id, nombre, d.id AS did FROM hdr h JOIN sw d ON d.id = h.id ORDER BY h.id",
         {1},
         1,
         writes("hdr", "2", 1),
         writes("hdr", "2", 1)},
        {"a derived table",
         "SELECT x.id, x.nombre FROM (SELECT id, nombre FROM hdr) x ORDER BY x.id",
         {1},
         0,
         writes("hdr", "1", 1),
         writes("hdr", "1", 1)},
        {"a common table expression",
         "WITH c AS (SELECT id, nombre FROM hdr) SELECT id, nombre FROM c ORDER BY id",
         {1},
         2,
         writes("hdr", "3", 1),
         writes("hdr", "3", 1)},
        {"a subquery in WHERE",
         "SELECT id, nombre FROM hdr WHERE id IN (SELECT id FROM hdr2) ORDER BY id",
         {1},
         1,
         writes("hdr", "2", 1),
         writes("hdr", "2", 1)},
        {"a subquery of the same table in WHERE",
         "SELECT id, nombre FROM hdr WHERE id = (SELECT MAX(id) FROM hdr)",
         {1},
         0,
         writes("hdr", "3", 1),
         writes("hdr", "3", 1)},
        {"names with blanks, keywords and quotes",
         R"(SELECT "Mi Col", "order", id FROM "Raro ""x""")",
         {0},
         0,
         writes("raro", "1", 1),
         writes("raro", "1", 1)},
        {"mixed case",
         R"(SELECT "Id", "Nombre" FROM "Mixto")",
         {1},
         0,
         writes("mixto", "1", 1),
         writes("mixto", "1", 1)},
        {"a table of another schema",
         "SELECT id, nombre FROM s2.hdr ORDER BY id",
         {1},
         1,
         kAbsent,
         writes("s2.hdr", "2", 1)},
        {"a table of another schema beside its namesake",
         "SELECT p.id, p.nombre, s.id, s.nombre FROM hdr p JOIN s2.hdr s ON s.id = p.id ORDER BY p.id",
         {3},
         0,
         kAbsent,
         writes("s2.hdr", "1", 1)},
    };
    for (size_t n = 0; n < std::size(shapes); ++n) {
        const Shape& shape = shapes[n];
        const Outcome& outcome = engine() == Engine::SQLite ? shape.sqlite : shape.postgres;
        if (outcome.kind == Outcome::Kind::Absent)
            continue;
        const QString text = QStringLiteral("v%1").arg(n);
        Snapshot expected = snapshot();
        if (outcome.kind == Outcome::Kind::Writes) {
            QStringList& lines = expected[outcome.written.table];
            for (QString& line : lines) {
                QStringList parts = line.split('|');
                if (parts.front() == outcome.written.id) {
                    parts[outcome.written.column] = text;
                    line = parts.join('|');
                }
            }
        }
        EXPECT_EQ(edit(shape, text), outcome.kind == Outcome::Kind::Writes ? 0 : kNotUpdatable) << shape.name;
        EXPECT_EQ(snapshot(), expected) << shape.name;
        if (outcome.kind == Outcome::Kind::Refused) {
            EXPECT_EQ(add(shape, text), kNotUpdatable) << shape.name << ", new row";
            EXPECT_EQ(snapshot(), expected) << shape.name << ", new row";
        }
    }
}

// ---- a set opened again, a condition that finds more than one row --------------------------------------

class EditPlanRows : public EditPlanShapes {};

// The key, the columns and the quoting of the last set opened are no part of the next one.
TEST_P(EditPlanRows, ASetOpenedAgainForgetsWhatItKnewOfTheLastTable)
{
    kembtest::TestDatabase other(engine());
    auto cnB = ado::Connection::create();
    cnB->Open(other.connectionString());
    cn->Execute("CREATE TABLE t (a INTEGER PRIMARY KEY, b INTEGER, c VARCHAR(10))");
    cn->Execute("INSERT INTO t VALUES (1, 1, 'x')");
    cnB->Execute("CREATE TABLE t (a INTEGER, b INTEGER PRIMARY KEY, c VARCHAR(10))");
    for (int b = 1; b <= 3; ++b)
        cnB->Execute(QStringLiteral("INSERT INTO t VALUES (1, %1, 'x')").arg(b));
    ado::Recordset rs;
    rs.Open("SELECT a, b, c FROM t ORDER BY b", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("c").setValue("A");
    rs.Update();
    rs.Close();
    rs.Open("SELECT a, b, c FROM t ORDER BY b", cnB, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.MoveNext();
    rs.Fields("c").setValue("B");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), 0);
    EXPECT_EQ(clientRows(*db, "SELECT a, b, c FROM t"), QStringList({"1|1|A"}));
    EXPECT_EQ(clientRows(other, "SELECT a, b, c FROM t ORDER BY b"), QStringList({"1|1|x", "1|2|B", "1|3|x"}));
}

// A key the driver reports that does not pick one row (a partial unique index on SQLite, a child table that
// holds its parent's key on PostgreSQL): the row is not found and nothing changes.
TEST_P(EditPlanRows, AKeyThatPicksMoreThanOneRowChangesNothing)
{
    const bool sqlite = engine() == Engine::SQLite;
    QString dump;
    if (sqlite) {
        cn->Execute("CREATE TABLE p (k INTEGER, w INTEGER, v VARCHAR(10))");
        cn->Execute("CREATE UNIQUE INDEX p_k ON p (k) WHERE w IS NULL");
        cn->Execute("INSERT INTO p VALUES (1, NULL, 'a')");
        cn->Execute("INSERT INTO p VALUES (1, 5, 'b')");
        dump = "SELECT k, w, v FROM p ORDER BY v";
    } else {
        cn->Execute("CREATE TABLE p (k INTEGER PRIMARY KEY, v VARCHAR(10))");
        cn->Execute("CREATE TABLE hijo (w INTEGER) INHERITS (p)");
        cn->Execute("INSERT INTO p VALUES (1, 'a')");
        cn->Execute("INSERT INTO hijo VALUES (1, 'b', 5)");
        dump = "SELECT tableoid::regclass, k, v FROM p ORDER BY v";
    }
    const QStringList before = clientRows(*db, dump);
    ado::Recordset rs = open(sqlite ? "SELECT k, w, v FROM p WHERE w IS NULL" : "SELECT k, v FROM p ORDER BY v");
    rs.Fields("v").setValue("c");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), kRowNotFound);
    EXPECT_EQ(clientRows(*db, dump), before);
}

// A transaction the caller opened stays open, with its changes, after a row that is not found; it is the
// caller's to commit or roll back.
TEST_P(EditPlanRows, AnOpenTransactionOutlivesARowNotFound)
{
    cn->Execute("CREATE TABLE sinclave (n INTEGER, v VARCHAR(10))");
    for (const char* values : {"(1, 'a')", "(2, 'b')", "(2, 'b')"})
        cn->Execute(QStringLiteral("INSERT INTO sinclave VALUES %1").arg(values));
    const QStringList asCreated{"1|a", "2|b", "2|b"};
    for (const bool commit : {false, true}) {
        cn->BeginTrans();
        ado::Recordset rs = open("SELECT n, v FROM sinclave ORDER BY n");
        rs.Fields("v").setValue("A");
        rs.Update();
        rs.MoveNext();
        rs.Fields("v").setValue("B");
        EXPECT_EQ(errorNumber([&] { rs.Update(); }), kRowNotFound);
        rs.CancelUpdate();
        rs.Close();
        if (commit)
            cn->CommitTrans();
        else
            cn->RollbackTrans();
        EXPECT_EQ(clientRows(*db, "SELECT n, v FROM sinclave ORDER BY n, v"),
                  commit ? QStringList({"1|A", "2|b", "2|b"}) : asCreated);
    }
}

// The SQLite driver names no schema: a table of an attached database is the one the statement names, not its
// namesake in the main database.
TEST(EditPlanSqlite, ATableOfAnAttachedDatabaseIsWrittenThere)
{
    if (const QString why = kembtest::TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    kembtest::TestDatabase main(Engine::SQLite);
    kembtest::TestDatabase attached(Engine::SQLite);
    main.exec("CREATE TABLE hdr (id INTEGER PRIMARY KEY, nombre VARCHAR(20))");
    main.exec("INSERT INTO hdr VALUES (1, 'principal')");
    attached.exec("CREATE TABLE hdr (id INTEGER PRIMARY KEY, nombre VARCHAR(20))");
    attached.exec("INSERT INTO hdr VALUES (1, 'otra')");
    auto cn = ado::Connection::create();
    cn->Open(main.connectionString());
    cn->Execute(QStringLiteral("ATTACH DATABASE '%1' AS otra").arg(attached.name()));
    ado::Recordset rs;
    rs.Open("SELECT id, nombre FROM otra.hdr", cn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("nombre").setValue("cambiada");
    rs.Update();
    rs.AddNew();
    rs.Fields("nombre").setValue("nueva");
    rs.Update();
    EXPECT_EQ(rs.Fields("id").Value(), vb::Variant(2LL));
    EXPECT_EQ(clientRows(main, "SELECT id, nombre FROM hdr ORDER BY id"), QStringList({"1|principal"}));
    EXPECT_EQ(clientRows(attached, "SELECT id, nombre FROM hdr ORDER BY id"), QStringList({"1|cambiada", "2|nueva"}));
}

// ---- new rows ----------------------------------------------------------------------------------------

// A new row holds what the engine stored: its defaults and the key it gave. A row without a key is then
// found by those values, and no older row that holds what the set held before is touched.
TEST_P(EditPlanRows, ANewRowHoldsWhatTheEngineFilledIn)
{
    cn->Execute("CREATE TABLE kdf (a INTEGER, b VARCHAR(10) DEFAULT 'z')");
    cn->Execute("INSERT INTO kdf VALUES (1, NULL)");
    ado::Recordset rs = open("SELECT a, b FROM kdf");
    rs.AddNew();
    rs.Fields("a").setValue(1);
    rs.Update();
    EXPECT_EQ(rs.Fields("b").Value(), vb::Variant("z"));
    rs.Fields("a").setValue(2);
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), 0);
    EXPECT_EQ(clientRows(*db, "SELECT a, b FROM kdf ORDER BY a"), QStringList({"1|", "2|z"}));

    cn->Execute(engine() == Engine::SQLite ? "CREATE TABLE serie (id INTEGER PRIMARY KEY, v VARCHAR(10))"
                                           : "CREATE TABLE serie (id SERIAL PRIMARY KEY, v VARCHAR(10))");
    cn->Execute("INSERT INTO serie (v) VALUES ('primera')");
    ado::Recordset serie = open("SELECT id, v FROM serie");
    serie.AddNew();
    serie.Fields("v").setValue("segunda");
    serie.Update();
    EXPECT_EQ(serie.Fields("id").Value(), vb::Variant(2LL));
    serie.Fields("v").setValue("cambiada");
    EXPECT_EQ(errorNumber([&] { serie.Update(); }), 0);
    EXPECT_EQ(clientRows(*db, "SELECT id, v FROM serie ORDER BY id"), QStringList({"1|primera", "2|cambiada"}));
}

// Puts a session of its own around each connection the driver below makes, to stand for a driver that
// behaves otherwise in one respect.
template <class Wrapper>
class WrappingDriver : public ado::Driver {
public:
    WrappingDriver() : m_previous(ado::setDriver(this)) {}
    ~WrappingDriver() override { ado::setDriver(m_previous); }

    std::unique_ptr<ado::Session> connect(const QString& connectionString, int timeout) override
    {
        ado::setDriver(m_previous); // the driver below makes the connection
        std::unique_ptr<ado::Session> inner;
        try {
            inner = ado::currentDriver().connect(connectionString, timeout);
        } catch (...) {
            ado::setDriver(this);
            throw;
        }
        ado::setDriver(this);
        return std::make_unique<Wrapper>(std::move(inner));
    }

private:
    ado::Driver* m_previous;
};

// Stands for a driver that cannot say which row an INSERT wrote (none of those here is one): the session
// runs the insert and reads nothing back.
class Forgetful : public kembtest::ForwardingSession {
public:
    using ForwardingSession::ForwardingSession;
    ado::ResultSet insertRow(const ado::RowInsert& insert, int timeoutSeconds) override
    {
        return ado::Session::insertRow(insert, timeoutSeconds);
    }
};
using ForgetfulDriver = WrappingDriver<Forgetful>;

// Without the engine's values, a new row without a key is not edited again until the set is read again;
// one with its key is found by it.
TEST_P(EditPlanRows, ANewRowWhoseFilledValuesAreUnknownIsNotSoughtByThem)
{
    cn->Execute("CREATE TABLE kdf (a INTEGER, b VARCHAR(10) DEFAULT 'z')");
    cn->Execute("INSERT INTO kdf VALUES (1, NULL)");
    cn->Execute("CREATE TABLE conclave (id INTEGER PRIMARY KEY, b VARCHAR(10) DEFAULT 'z')");
    ForgetfulDriver driver;
    auto forgetful = ado::Connection::create();
    forgetful->Open(db->connectionString());
    ado::Recordset rs;
    rs.Open("SELECT a, b FROM kdf", forgetful, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.AddNew();
    rs.Fields("a").setValue(1);
    rs.Update();
    EXPECT_TRUE(rs.Fields("b").Value().isNull());
    rs.Fields("a").setValue(2);
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), kNotUpdatable);
    rs.CancelUpdate();
    EXPECT_EQ(clientRows(*db, "SELECT a, b FROM kdf ORDER BY b NULLS FIRST"), QStringList({"1|", "1|z"}));
    rs.Close();
    rs.Open("SELECT a, b FROM kdf WHERE b = 'z'", forgetful, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("a").setValue(2);
    rs.Update();
    EXPECT_EQ(clientRows(*db, "SELECT a, b FROM kdf ORDER BY a"), QStringList({"1|", "2|z"}));

    ado::Recordset keyed;
    keyed.Open("SELECT id, b FROM conclave", forgetful, ado::adOpenKeyset, ado::adLockOptimistic);
    keyed.AddNew();
    keyed.Fields("id").setValue(7);
    keyed.Update();
    keyed.Fields("b").setValue("y");
    keyed.Update();
    EXPECT_EQ(clientRows(*db, "SELECT id, b FROM conclave"), QStringList({"7|y"}));
}

// Stands for the Access engine, which refuses an UPDATE that counts rows in a subquery ("Operation must use an
// updateable query"), and records the statements it runs.
class RefusesCountingUpdates : public kembtest::ForwardingSession {
public:
    using ForwardingSession::ForwardingSession;
    ado::ResultSet executeWith(const QString& sql, const std::vector<ado::Parameter>& parameters,
                               int timeoutSeconds) override
    {
        if (sql.startsWith("UPDATE", Qt::CaseInsensitive) && sql.contains("COUNT(", Qt::CaseInsensitive))
            throw ado::DriverError({{"HY000", -3035, "Operation must use an updateable query."}});
        return ForwardingSession::executeWith(sql, parameters, timeoutSeconds);
    }
};

// Outside a transaction of the caller's the row count is checked in a transaction of the set's own, so an
// engine that cannot count in an UPDATE still takes the edit, and a condition that finds two rows is undone.
TEST_P(EditPlanRows, OutsideATransactionTheCountIsCheckedInOneOfItsOwn)
{
    cn->Execute("CREATE TABLE dos (n INTEGER, v VARCHAR(10))");
    for (const char* values : {"(1, 'a')", "(2, 'b')", "(2, 'b')"})
        cn->Execute(QStringLiteral("INSERT INTO dos VALUES %1").arg(values));
    WrappingDriver<RefusesCountingUpdates> driver;
    auto access = ado::Connection::create();
    access->Open(db->connectionString());
    ado::Recordset rs;
    rs.Open("SELECT n, v FROM dos ORDER BY n", access, ado::adOpenKeyset, ado::adLockOptimistic);
    rs.Fields("v").setValue("A");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), 0);
    rs.MoveNext();
    rs.Fields("v").setValue("B");
    EXPECT_EQ(errorNumber([&] { rs.Update(); }), kRowNotFound);
    rs.CancelUpdate();
    EXPECT_EQ(clientRows(*db, "SELECT n, v FROM dos ORDER BY n, v"), QStringList({"1|A", "2|b", "2|b"}));
    EXPECT_FALSE(access->inTransaction());
    // The set's own transaction is over: a later statement is not held in it.
    access->Execute("INSERT INTO dos VALUES (3, 'c')");
    EXPECT_EQ(clientRows(*db, "SELECT n, v FROM dos WHERE n = 3"), QStringList({"3|c"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, EditPlanShapes, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });
INSTANTIATE_TEST_SUITE_P(Engines, EditPlanRows, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return kembtest::engineName(info.param); });

} // namespace
