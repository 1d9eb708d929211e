// What the text of a SELECT says about where its rows and fields come from: one SELECT or several, the
// tables read (through derived tables and common table expressions, each use counted), and whether a field
// carries a table's column under its own name or something renames it on the way.
#include "platform/ado/SelectStatement.h"

#include <gtest/gtest.h>

using ado::SelectStatement;

namespace {

QStringList tablesOf(const SelectStatement& s)
{
    QStringList texts;
    for (const SelectStatement::Table& t : s.tables())
        texts << t.text;
    return texts;
}

TEST(SelectStatement, TellsOneSelectFromSeveralAndListsEveryTableRead)
{
    struct Case {
        const char* sql;
        bool understood;
        bool single;
        QStringList tables;
        const char* only; // the table read alone, "" for none
    };
    const Case cases[] = {
        {"SELECT id, nombre FROM hdr WHERE id = 1", true, true, {"hdr"}, "hdr"},
        {"select * from T with(nolock)  WHERE CLAVE = 'a'", true, true, {"T"}, "T"},
        {"SELECT TOP 1 * FROM [dbo].[T] (NOLOCK) ORDER BY 1", true, true, {"[dbo].[T]"}, "[dbo].[T]"},
        {"SELECT a.id, b.nombre FROM hdr a JOIN hdr b ON b.id = a.id + 1", true, true, {"hdr", "hdr"}, ""},
        {"SELECT h.id FROM hdr h, cli c WHERE c.id = h.cli", true, true, {"hdr", "cli"}, ""},
        {"SELECT h.id FROM hdr h LEFT OUTER JOIN cli c ON LEFT(c.n, 1) = h.n RIGHT JOIN x USING (id)",
         true,
         true,
         {"hdr", "cli", "x"},
         ""},
        {"SELECT id FROM hdr WHERE id = 1 UNION ALL SELECT id FROM hdr2 WHERE id = 2", true, false, {}, ""},
        {"SELECT id FROM hdr INTERSECT SELECT id FROM hdr2", true, false, {}, ""},
        {"SELECT x.id FROM (SELECT id FROM hdr EXCEPT SELECT id FROM hdr2) x", true, false, {}, ""},
        {"SELECT id FROM hdr WHERE id IN (SELECT id FROM hdr2 UNION SELECT 3)", true, true, {"hdr"}, "hdr"},
        {"SELECT id, (SELECT MAX(n) FROM cli) AS m FROM hdr", true, true, {"hdr"}, "hdr"},
        {"SELECT x.id FROM (SELECT id, nombre FROM hdr) x", true, true, {"hdr"}, ""},
        {"WITH c AS (SELECT id FROM hdr) SELECT id FROM c", true, true, {"hdr"}, ""},
        {"WITH c AS (SELECT id FROM hdr) SELECT a.id FROM c a JOIN c b ON b.id = a.id", true, true, {"hdr", "hdr"}, ""},
        {"WITH unused AS (SELECT id FROM cli) SELECT id FROM hdr", true, true, {"hdr"}, "hdr"},
        {"WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n FROM r", true, false, {}, ""},
        {"SELECT h.id FROM s2.hdr h JOIN public.hdr p ON p.id = h.id", true, true, {"s2.hdr", "public.hdr"}, ""},
        {R"(SELECT * FROM "Raro ""x""" r)", true, true, {R"("Raro ""x""")"}, R"("Raro ""x""")"},
        {"SELECT * FROM generate_series(1, 3) g", true, true, {}, ""},
        {"SELECT * FROM ONLY par", true, true, {"par"}, "par"},
        {"SELECT * FROM t OPTION (MAXDOP 1)", true, true, {"t"}, "t"},
        {"SELECT * FROM t INDEXED BY t_i WHERE a = 1", true, true, {"t"}, "t"},
        {"SELECT x FROM t TABLESAMPLE SYSTEM (10) REPEATABLE (1)", true, true, {"t"}, "t"},
        {"SELECT v.a FROM (VALUES (1), (2)) v(a)", true, true, {}, ""},
        {"SELECT 1 AS uno", true, true, {}, ""},
        {"SELECT * FROM (hdr a JOIN cli b ON b.id = a.cli)", true, true, {"hdr", "cli"}, ""},
        {"SELECT id FROM hdr; DELETE FROM hdr", false, true, {"hdr"}, ""},
        {"SELECT 'open FROM hdr", false, true, {}, ""},
        {"UPDATE hdr SET id = 1", false, true, {}, ""},
        {"SELECT id FROM hdr WHERE id = $1 AND n = ? AND m = :m AND o = @o", true, true, {"hdr"}, "hdr"},
        {"SELECT $$ FROM x $$ AS t, $q$ JOIN y $q$ FROM hdr", true, true, {"hdr"}, "hdr"},
        {"SELECT id FROM hdr -- FROM cli\n /* JOIN cli */ WHERE nota = 'x FROM y'", true, true, {"hdr"}, "hdr"},
    };
    for (const Case& c : cases) {
        const SelectStatement s = SelectStatement::read(c.sql);
        EXPECT_EQ(s.understood(), c.understood) << c.sql;
        EXPECT_EQ(s.single(), c.single) << c.sql;
        if (c.understood && c.single) {
            EXPECT_EQ(tablesOf(s), c.tables) << c.sql;
            EXPECT_EQ(s.onlyTable() ? s.onlyTable()->text : QString(), QString(c.only)) << c.sql;
        }
    }
}

TEST(SelectStatement, NamesATableInParts)
{
    const SelectStatement s = SelectStatement::read(R"(SELECT * FROM cat."Mi Esquema"."Mi ""Tabla""")");
    ASSERT_EQ(s.tables().size(), 1u);
    EXPECT_EQ(s.tables()[0].parts, QStringList({"cat", "Mi Esquema", R"(Mi "Tabla")"}));
    EXPECT_EQ(s.tables()[0].name(), R"(Mi "Tabla")");
    EXPECT_EQ(s.tables()[0].schema(), "Mi Esquema");
}

TEST(SelectStatement, TellsColumnsStarsAndExpressionsOfTheSelectList)
{
    using Kind = SelectStatement::Field::Kind;
    struct Case {
        const char* sql;
        size_t count;
        std::vector<std::pair<Kind, QString>> fields;
    };
    const Case cases[] = {
        {"SELECT id, h.nota, s.h.x FROM h", 3, {{Kind::Column, "id"}, {Kind::Column, "nota"}, {Kind::Column, "x"}}},
        {"SELECT a AS b, a b, a \"b\", a 'b', a [b] FROM sw",
         5,
         {{Kind::Column, "a"}, {Kind::Column, "a"}, {Kind::Column, "a"}, {Kind::Column, "a"}, {Kind::Column, "a"}}},
        {"SELECT id + 1 AS id, upper(nombre) nombre, CAST(a AS INT), a COLLATE nocase, NULL, x IS NULL FROM t",
         6,
         {{Kind::Computed, ""},
          {Kind::Computed, ""},
          {Kind::Computed, ""},
          {Kind::Computed, ""},
          {Kind::Computed, ""},
          {Kind::Computed, ""}}},
        {"SELECT DISTINCT TOP 5 id, * FROM t", 3, {{Kind::Column, "id"}, {Kind::Star, ""}, {Kind::Star, ""}}},
        {"SELECT id, t.*, nota FROM t",
         4,
         {{Kind::Column, "id"}, {Kind::Star, ""}, {Kind::Star, ""}, {Kind::Column, "nota"}}},
        {"SELECT *, * FROM t", 4, {{Kind::Unknown, ""}, {Kind::Unknown, ""}, {Kind::Unknown, ""}, {Kind::Unknown, ""}}},
        {"SELECT id, nota FROM t", 3, {{Kind::Unknown, ""}, {Kind::Unknown, ""}, {Kind::Unknown, ""}}},
        {"SELECT id FROM a UNION SELECT id FROM b", 1, {{Kind::Unknown, ""}}},
    };
    for (const Case& c : cases) {
        const SelectStatement s = SelectStatement::read(c.sql);
        for (size_t i = 0; i < c.count; ++i) {
            const SelectStatement::Field f = s.field(i, c.count);
            EXPECT_EQ(f.kind, c.fields[i].first) << c.sql << ", field " << i;
            EXPECT_EQ(f.column, c.fields[i].second) << c.sql << ", field " << i;
        }
    }
}

// Whether a field with a given name is that column of a table read: an alias, an expression, a column
// list of an alias or a view between them break the chain; plain names and stars keep it.
TEST(SelectStatement, TellsWhetherAFieldCarriesAColumnUnchanged)
{
    struct Case {
        const char* sql;
        size_t index;
        size_t count;
        const char* column;
        size_t table;
        bool carries;
    };
    const Case cases[] = {
        {"SELECT id, nombre FROM hdr", 1, 2, "nombre", 0, true},
        {"SELECT ID, NOMBRE FROM HDR", 1, 2, "nombre", 0, true},
        {"SELECT * FROM hdr", 1, 2, "nombre", 0, true},
        {"SELECT id, a AS b FROM sw", 1, 2, "b", 0, false},
        {"SELECT id, a AS b, b AS a FROM sw", 2, 3, "a", 0, false},
        {"SELECT id, a AS a FROM sw", 1, 2, "a", 0, true},
        {"SELECT id, b AS a, a FROM sw", 2, 3, "a", 0, true},
        {"SELECT id, a b FROM sw", 1, 2, "b", 0, false},
        {"SELECT h.id, h.nota, c.id, c.nombre FROM hdr h JOIN cli c ON c.id = h.cli", 3, 4, "nombre", 1, true},
        {"SELECT h.id, h.nota, c.id, c.nombre FROM hdr h JOIN cli c ON c.id = h.cli", 1, 4, "nota", 1, false},
        {"SELECT h.id, nota, c.nombre FROM hdr h JOIN cli c ON c.id = h.cli", 1, 3, "nota", 0, true},
        {"SELECT * FROM hdr h JOIN cli c ON c.id = h.cli", 3, 4, "nombre", 1, true},
        {"SELECT x.id, x.nombre FROM (SELECT id, nombre FROM hdr) x", 1, 2, "nombre", 0, true},
        {"SELECT * FROM (SELECT * FROM hdr) x", 1, 2, "nombre", 0, true},
        {"SELECT x.n FROM (SELECT nombre AS n FROM hdr) x", 0, 1, "n", 0, false},
        {"SELECT x.b FROM (SELECT id, a AS b FROM sw) x", 0, 1, "b", 0, false},
        {"SELECT x.a FROM (SELECT id, a FROM sw) AS x(id, b) JOIN sw y ON y.id = x.id", 0, 1, "a", 0, false},
        {"WITH c AS (SELECT id, nombre FROM hdr) SELECT id, nombre FROM c", 1, 2, "nombre", 0, true},
        {"WITH c(id, b) AS (SELECT id, a FROM sw) SELECT id, b FROM c", 1, 2, "b", 0, false},
        {"SELECT id, nombre FROM hdr WHERE id IN (SELECT id AS nombre FROM hdr2)", 1, 2, "nombre", 0, true},
        {"SELECT id, upper(nombre) AS nombre FROM hdr", 1, 2, "nombre", 0, false},
        {"SELECT id, nombre FROM hdr AS h(id, nombre)", 1, 2, "nombre", 0, false},
        {"SELECT id, nombre FROM hdr WHERE id = 1 UNION ALL SELECT id, nombre FROM hdr2", 1, 2, "nombre", 0, false},
    };
    for (const Case& c : cases) {
        const SelectStatement s = SelectStatement::read(c.sql);
        EXPECT_EQ(s.carries(c.index, c.count, c.column, c.table), c.carries) << c.sql << ", field " << c.index;
    }
}

} // namespace
