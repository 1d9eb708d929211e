#include "database/OracleDialect.h"
#include "database/DB_Dll.h"

#include "support/ScopedTimeZone.h"

#include <ctime>
#include <gtest/gtest.h>

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");

QString traducir(const QString& sentencia, const QString& cadena = kOracle)
{
    DB_Dll db;
    db.gConnString = cadena;
    return db.ORACLE_Dicc(sentencia);
}

using Casos = std::initializer_list<std::pair<const char*, const char*>>;

void comprobar(Casos casos)
{
    for (const auto& [entrada, salida] : casos)
        EXPECT_EQ(traducir(QString::fromUtf8(entrada)).toStdString(), salida) << entrada;
}

TEST(OracleDialect, WorkedExamplesAndEdgeCases)
{
    const std::pair<const char*, const char*> casos[] = {
        {"SELECT TOP 1 * FROM T WHERE A=1 ORDER BY B", "SELECT  * FROM T WHERE A=1    AND ROWNUM <= 1  ORDER BY B"},
        {"select top 5 nombre from clientes", "select  nombre from clientes  WHERE ROWNUM <= 5  "},
        {"SELECT TOP 10 CODIGO, COUNT(*) FROM T WHERE X=1 GROUP BY CODIGO ORDER BY CODIGO",
         "SELECT  CODIGO, COUNT(*) FROM T WHERE X=1    AND ROWNUM <= 10  GROUP BY CODIGO ORDER BY CODIGO "},
        {"SELECT * FROM MV WHERE FECHA >= '31/01/2020' AND OBS = ''",
         "SELECT * FROM MV WHERE FECHA >= TO_DATE('31/01/2020','DD/MM/YYYY') AND OBS  IS NULL "},
        {"SELECT CONVERT(NVARCHAR,FECHA,103), ISNULL(X,0), SUBSTRING(C,1,2) FROM T WHERE C=''",
         "SELECT TO_CHAR(FECHA,'DD/MM/YYYY'), NVL(X,0), SUBSTR(C,1,2) FROM T WHERE C IS NULL "},
        {"UPDATE T SET A='' WHERE B = '' AND C=''", "UPDATE T SET A='' WHERE B  IS NULL  AND C IS NULL "},
        {"len", "LENGTH"},
        // A one-word statement other than LEN goes through no pass at all.
        {"[Tabla]", "[Tabla]"},
        {"", ""},
        // The first "top", even inside a name, decides the split.
        {"SELECT * FROM LAPTOPS WHERE X IN (SELECT TOP 1 Y FROM Z)",
         "SELECT * FROM LAP WHERE X IN (SELECT TOP 1 Y FROM Z)  AND ROWNUM <= S  "},
        {"SELECT TOP(5) A FROM T", "SELECT TOP(5) A FROM T"},
        {"SELECT A FROM T WHERE B = 'ABC'", "SELECT A FROM T WHERE B = 'ABC'"},
        {"SELECT A FROM T WHERE F = '31/01/2020' OR G = '31/01/2020'",
         "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY') OR G = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY')",
         "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '2020-01-31'", "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT CHARINDEX('a',C) FROM T", "SELECT InStr('a',C) FROM T"},
        {"SELECT A FROM T WHERE B <> ''", "SELECT A FROM T WHERE B <> ''"},
        {"SELECT A FROM T WHERE B >= ''", "SELECT A FROM T WHERE B > IS NULL "},
        {"SELECT CONVERT(NVARCHAR, FECHA, 103) FROM T", "SELECT TO_CHAR( FECHA, 'DD/MM/YYYY') FROM T"},
        {"SELECT CONVERT (NVARCHAR,FECHA,103) FROM T", "SELECT CONVERT (NVARCHAR,FECHA,103) FROM T"},
        {"SELECT CONVERT(NVARCHAR,NVL(F,103)) FROM T", "SELECT TO_CHAR(NVL(F,103)) FROM T"},
        {"SELECT CONVERT(INT,X) FROM T", "SELECT TO_NUMBER(X) FROM T"},
        {"SELECT A FROM T WHERE LEN(A) > 1 AND  LEN  (B) > 2",
         "SELECT A FROM T WHERE LENGTH(A) > 1 AND  LENGTH(B) > 2"},
        {"SELECT (LEN(A)) FROM T", "SELECT (LEN(A)) FROM T"},
        {"SELECT [Nombre] FROM [Clientes]", "SELECT \"Nombre\" FROM \"Clientes\""},
        {"select isnull(a,0) from t", "select NVL(a,0) from t"},
    };
    for (const auto& [entrada, salida] : casos)
        EXPECT_EQ(traducir(QString::fromUtf8(entrada)).toStdString(), salida) << entrada;
}

// Row limit, LEN, brackets, CHARINDEX, CONVERT, empty-string comparisons, style 103, SUBSTRING and ISNULL, each
// alone and together, with the blanks and letter case that decide whether a pass applies.
TEST(OracleDialect, EveryTextPass)
{
    comprobar({
        {"select top   7   a from t", "select    a from t  WHERE ROWNUM <= 7  "},
        {"SELECT TOP 3 A FROM T GROUP BY A", "SELECT  A FROM T    WHERE ROWNUM <= 3  GROUP BY A "},
        {"SELECT TOP 3 A FROM T order by A DESC", "SELECT  A FROM T    WHERE ROWNUM <= 3  order by A DESC"},
        {"SELECT Top 2 A, B FROM T WHERE B > 0 GROUP BY A, B HAVING COUNT(*) > 1 ORDER BY A",
         "SELECT  A, B FROM T WHERE B > 0    AND ROWNUM <= 2  GROUP BY A, B HAVING COUNT(*) > 1 ORDER BY A "},
        {"SELECT A FROM (SELECT B FROM U GROUP BY B) V WHERE TOP 5 X",
         "SELECT A FROM (SELECT B FROM U GROUP BY B) V WHERE  X  AND ROWNUM <= 5  GROUP BY B) V WHERE TOP 5 X "},
        {"SELECT TOP 5 A FROM T WHERE(X=1)", "SELECT  A FROM T WHERE(X=1)  WHERE ROWNUM <= 5  "},
        {"SELECT TOP 5 A FROM T WHERE X=1 AND Y IN (SELECT TOP 2 Z FROM U)",
         "SELECT  A FROM T WHERE X=1 AND Y IN (SELECT TOP 2 Z FROM U)  AND ROWNUM <= 5  "},
        {"SELECT TOP 5 A FROM T WHERE X='ABC' ORDER BY A",
         "SELECT  A FROM T WHERE X='ABC'    AND ROWNUM <= 5  ORDER BY A"},
        {"SELECT A FROM T WHERE LEN(A) > 1", "SELECT A FROM T WHERE LENGTH(A) > 1"},
        {"SELECT A FROM T WHERE LEN (A) > 1 OR LEN  (B) = 0 OR LEN   (C) = 0 OR LEN    (D) = 0",
         "SELECT A FROM T WHERE LENGTH(A) > 1 OR LENGTH(B) = 0 OR LENGTH(C) = 0 OR LENGTH(D) = 0"},
        {"SELECT A FROM T WHERE LEN     (A) > 1", "SELECT A FROM T WHERE LEN     (A) > 1"},
        {"SELECT A FROM T WHERE X = LEN(A) AND Y=LEN(B) AND Z = len(C)",
         "SELECT A FROM T WHERE X = LENGTH(A) AND Y=LEN(B) AND Z = LENGTH(C)"},
        {"SELECT A,LEN(B) FROM T", "SELECT A,LEN(B) FROM T"},
        {"SELECT [A B], [C] FROM [dbo].[T] WHERE [X]] = 1",
         "SELECT \"A B\", \"C\" FROM \"dbo\".\"T\" WHERE \"X\"\" = 1"},
        {"SELECT CHARINDEX('a',C), charindex('b',D), CharIndex('c',E) FROM T",
         "SELECT InStr('a',C), InStr('b',D), InStr('c',E) FROM T"},
        {"SELECT CONVERT(NVARCHAR,A), CONVERT(nvarchar,B), CONVERT(INT,C), convert(int,D), CONVERT(NVARCHAR(10),E), "
         "CONVERT(INT ,F) FROM T",
         "SELECT TO_CHAR(A), TO_CHAR(B), TO_NUMBER(C), TO_NUMBER(D), CONVERT(NVARCHAR(10),E), CONVERT(INT ,F) FROM T"},
        {"UPDATE T SET A = '' WHERE B = ''", "UPDATE T SET A = '' WHERE B  IS NULL "},
        {"SELECT A FROM T WHERE B=''", "SELECT A FROM T WHERE B IS NULL "},
        {"SELECT A FROM T WHERE B = '' OR C=''", "SELECT A FROM T WHERE B  IS NULL  OR C IS NULL "},
        {"SELECT A FROM T where B = ''", "SELECT A FROM T where B  IS NULL "},
        {"SELECT A FROM T WHERE(B = '')", "SELECT A FROM T WHERE(B = '')"},
        {"SELECT A FROM T WHERE B = 'x' AND C=''", "SELECT A FROM T WHERE B = 'x' AND C IS NULL "},
        {"SELECT A FROM T WHERE B ==''", "SELECT A FROM T WHERE B = IS NULL "},
        {"SELECT A FROM T WHERE B LIKE '' AND C != ''", "SELECT A FROM T WHERE B LIKE '' AND C ! IS NULL "},
        {"SELECT A FROM T WHERE B = '' AND C IN (SELECT D FROM U WHERE E = '')",
         "SELECT A FROM T WHERE B  IS NULL  AND C IN (SELECT D FROM U WHERE E  IS NULL )"},
        {"SELECT TO_CHAR(F, 103) FROM T", "SELECT TO_CHAR(F, 'DD/MM/YYYY') FROM T"},
        {"SELECT to_char(F,103), TO_CHAR(G,103) FROM T WHERE H = 103",
         "SELECT to_char(F,'DD/MM/YYYY'), TO_CHAR(G,'DD/MM/YYYY') FROM T WHERE H = 'DD/MM/YYYY'"},
        {"SELECT TO_CHAR(NVL(F,103)), TO_CHAR(F,1030) FROM T",
         "SELECT TO_CHAR(NVL(F,103)), TO_CHAR(F,'DD/MM/YYYY'0) FROM T"},
        {"SELECT CONVERT(NVARCHAR,F,103), CONVERT(NVARCHAR,G,103) FROM T",
         "SELECT TO_CHAR(F,'DD/MM/YYYY'), TO_CHAR(G,'DD/MM/YYYY') FROM T"},
        {"SELECT A FROM T WHERE B = 103 AND CONVERT(NVARCHAR,C,103) = '31/01/2020'",
         "SELECT A FROM T WHERE B = 103 AND TO_CHAR(C,'DD/MM/YYYY') = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT XTO_CHAR(A,103) FROM T", "SELECT XTO_CHAR(A,'DD/MM/YYYY') FROM T"},
        {"SELECT SUBSTRING(A,1,2), substring(B,2,3), SUBSTRING (C,1,1) FROM T",
         "SELECT SUBSTR(A,1,2), SUBSTR(B,2,3), SUBSTRING (C,1,1) FROM T"},
        {"SELECT ISNULL(A,0), isnull(B,''), IsNull (C,1) FROM T", "SELECT NVL(A,0), NVL(B,''), IsNull (C,1) FROM T"},
        {"SELECT TOP 10 [Codigo], LEN(Nombre), ISNULL(Precio,0) FROM [Articulos] WHERE Alta >= '01/01/2020' AND Obs = "
         "'' ORDER BY [Codigo]",
         "SELECT  \"Codigo\", LENGTH(Nombre), NVL(Precio,0) FROM \"Articulos\" WHERE Alta >= "
         "TO_DATE('01/01/2020','DD/MM/YYYY') AND Obs  IS NULL     AND ROWNUM <= 10  ORDER BY \"Codigo\""},
        {"SELECT CONVERT(NVARCHAR,Alta,103) AS F, SUBSTRING(Nombre,1,10) FROM Articulos WHERE CHARINDEX('x',Nombre) > "
         "0",
         "SELECT TO_CHAR(Alta,'DD/MM/YYYY') AS F, SUBSTR(Nombre,1,10) FROM Articulos WHERE InStr('x',Nombre) > 0"},
    });
}

// Quoted dates in each accepted form, the ones that are not dates, repeated and already wrapped literals.
TEST(OracleDialect, DateLiterals)
{
    comprobar({
        {"SELECT A FROM T WHERE F = to_date(TO_DATE('01/02/2020','dd/mm/yyyy'),'DD/MM/YYYY'),'dd/mm/yyyy') OR G = "
         "'01/02/2020'",
         "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY'),'dd/mm/yyyy') OR G = "
         "TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F IN ('01/02/2020''01/02/2020', '1/2/2020''01/02/2020')",
         "SELECT A FROM T WHERE F IN (TO_DATE('01/02/2020','DD/MM/YYYY')TO_DATE('01/02/2020','DD/MM/YYYY'), "
         "TO_DATE('01/02/2020','DD/MM/YYYY')TO_DATE('01/02/2020','DD/MM/YYYY'))"},
        {"SELECT A FROM T WHERE F = "
         "TO_DATE(TO_DATE(TO_DATE('x','DD/MM/YYYY'),'DD/MM/YYYY'),'DD/MM/YYYY'),'dd/mm/yyyy'),'dd/mm/yyyy')",
         "SELECT A FROM T WHERE F = TO_DATE('x','DD/MM/YYYY'),'dd/mm/yyyy')"},
        {"SELECT A FROM T WHERE F = 'x'01/02/2020'01/02/2020'",
         "SELECT A FROM T WHERE F = 'xTO_DATE('01/02/2020','DD/MM/YYYY')01/02/2020'"},
        {"SELECT A FROM T WHERE F IN ('1/2/2020', '01/02/2020', ' 01/02/2020', '01/02/2020 ', '01/02/2020')",
         "SELECT A FROM T WHERE F IN (TO_DATE('01/02/2020','DD/MM/YYYY'), TO_DATE('01/02/2020','DD/MM/YYYY'), "
         "TO_DATE('01/02/2020','DD/MM/YYYY'), TO_DATE('01/02/2020','DD/MM/YYYY'), TO_DATE('01/02/2020','DD/MM/YYYY'))"},
        {"SELECT A FROM T WHERE F = '31/01/2020'", "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '1/2/2020'", "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '01/02/20'", "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '1/2/29' OR G = '1/2/30' OR H = '1/1/00' OR I = '1/1/99'",
         "SELECT A FROM T WHERE F = TO_DATE('01/02/2029','DD/MM/YYYY') OR G = TO_DATE('01/02/1930','DD/MM/YYYY') OR H "
         "= TO_DATE('01/01/2000','DD/MM/YYYY') OR I = TO_DATE('01/01/1999','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '2020-2-1' OR G = '2020/02/01'",
         "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY') OR G = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '31/01/2020 13:45' OR G = '31/01/2020 1:45:09' OR H = '2020-01-31 23:59'",
         "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY') OR G = TO_DATE('31/01/2020','DD/MM/YYYY') OR H "
         "= TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = ' 31/01/2020 '", "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '31/02/2020' OR G = '2020-13-01' OR H = '31/01/2020 24:00' OR I = '31/1/2020 9:5'",
         "SELECT A FROM T WHERE F = '31/02/2020' OR G = '2020-13-01' OR H = '31/01/2020 24:00' OR I = '31/1/2020 9:5'"},
        {"SELECT A FROM T WHERE F = '29/2/2000' OR G = '29/2/1900' OR H = '29/2/20' OR I = '29/2/00'",
         "SELECT A FROM T WHERE F = TO_DATE('29/02/2000','DD/MM/YYYY') OR G = '29/2/1900' OR H = "
         "TO_DATE('29/02/2020','DD/MM/YYYY') OR I = '29/2/00'"},
        {"SELECT A FROM T WHERE F = '1/1/0001' OR G = '31/12/9999'",
         "SELECT A FROM T WHERE F = TO_DATE('01/01/0001','DD/MM/YYYY') OR G = TO_DATE('31/12/9999','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F BETWEEN '31/1/2020' AND '31/01/2020'",
         "SELECT A FROM T WHERE F BETWEEN TO_DATE('31/01/2020','DD/MM/YYYY') AND TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F BETWEEN '31/01/2020' AND '31/1/2020'",
         "SELECT A FROM T WHERE F BETWEEN TO_DATE('31/01/2020','DD/MM/YYYY') AND TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F IN ('31/01/2020', '31/01/2020', '31/01/2020')",
         "SELECT A FROM T WHERE F IN (TO_DATE('31/01/2020','DD/MM/YYYY'), TO_DATE('31/01/2020','DD/MM/YYYY'), "
         "TO_DATE('31/01/2020','DD/MM/YYYY'))"},
        {"SELECT A FROM T WHERE F = TO_DATE('1/2/2020','DD/MM/YYYY') OR G = '1/2/2020'",
         "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY') OR G = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = to_date('01/02/2020','dd/mm/yyyy')",
         "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = TO_DATE(TO_DATE('ABC','DD/MM/YYYY'),'DD/MM/YYYY')",
         "SELECT A FROM T WHERE F = TO_DATE('ABC','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE B = 'it''s' AND F = '31/01/2020'",
         "SELECT A FROM T WHERE B = 'it''s' AND F = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE B = '31/01/2020''31/01/2020'",
         "SELECT A FROM T WHERE B = TO_DATE('31/01/2020','DD/MM/YYYY')TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE B = 'x'+'31/01/2020'+'y'",
         "SELECT A FROM T WHERE B = 'x'+TO_DATE('31/01/2020','DD/MM/YYYY')+'y'"},
        {"SELECT A FROM T WHERE B = 'ABC' AND C = '1/2/2020'",
         "SELECT A FROM T WHERE B = 'ABC' AND C = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '-2020-1-1' OR G = '1/1/-0001'",
         "SELECT A FROM T WHERE F = TO_DATE('01/01/-2020','DD/MM/YYYY') OR G = TO_DATE('01/01/-0001','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F IN ('1/2/2020', '01/02/2020', '01/02/2020', '1/2/2020')",
         "SELECT A FROM T WHERE F IN (TO_DATE('01/02/2020','DD/MM/YYYY'), TO_DATE('01/02/2020','DD/MM/YYYY'), "
         "TO_DATE('01/02/2020','DD/MM/YYYY'), TO_DATE('01/02/2020','DD/MM/YYYY'))"},
        {"SELECT A FROM T WHERE F = '31/01/2020' AND G = TO_DATE('31/1/2020','DD/MM/YYYY')",
         "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY') AND G = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = TO_DATE(TO_DATE('31/01/2020','DD/MM/YYYY'),'DD/MM/YYYY')",
         "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = to_date(to_date(to_date('x','dd/mm/yyyy'),'dd/mm/yyyy'),'dd/mm/yyyy') AND G = "
         "'1/2/2020'",
         "SELECT A FROM T WHERE F = TO_DATE('x','DD/MM/YYYY') AND G = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = to_date(to_date(to_date('x','dd/mm/yyyy'),'dd/mm/yyyy'),'dd/mm/yyyy')",
         "SELECT A FROM T WHERE F = TO_DATE('x','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '01/02/2020' AND G = TO_DATE('01/02/2020','DD/MM/YYYY'),'dd/mm/yyyy')",
         "SELECT A FROM T WHERE F = TO_DATE('01/02/2020','DD/MM/YYYY') AND G = TO_DATE('01/02/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '2020-01-31 7:05:00' AND G = '2020/1/31 07:05'",
         "SELECT A FROM T WHERE F = TO_DATE('31/01/2020','DD/MM/YYYY') AND G = TO_DATE('31/01/2020','DD/MM/YYYY')"},
        {"SELECT A FROM T WHERE F = '31-01-2020' OR G = '31.01.2020' OR H = '2020-1-31T10:00' OR I = '20200131'",
         "SELECT A FROM T WHERE F = '31-01-2020' OR G = '31.01.2020' OR H = '2020-1-31T10:00' OR I = '20200131'"},
    });
}

// What a user types into a filter or a code box reaches the statement as a quoted literal. No pass but the date
// pass may look inside one ('' being a quote within it), so typed text can neither leave its literal nor be
// rewritten; the same words outside the literal are still translated.
TEST(OracleDialect, TypedTextStaysInsideItsLiteral)
{
    const char* sinCambio[] = {
        "SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE IDARTICULO = '      top 0/**/OR/**/1=1 x'",
        "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where DESCRIPCION like '%top 1/**/OR/**/1=1/**/OR/**/"
        "IDARTICULO=ANY(SELECT CLAVE FROM TA_USUARIOS)--%' order by DESCRIPCION",
        "SELECT A FROM T WHERE B = '[x] ISNULL(y'",
        "SELECT A FROM T WHERE B = ' LEN(x) Charindex CONVERT(NVARCHAR,x) CONVERT(INT,x) SUBSTRING(x'",
        "SELECT TO_CHAR(F,'103') FROM T WHERE B = 'TO_CHAR(103'",
        "SELECT A FROM T WHERE B = 'x'' = ''y' AND C = 'WHERE =''''z'",
        "SELECT A FROM T WHERE B = ''' top 1 x'",
        "SELECT A FROM T WHERE B = 'it''s [x]' OR C = ''''",
    };
    for (const char* sentencia : sinCambio)
        EXPECT_EQ(traducir(QString::fromUtf8(sentencia)).toStdString(), sentencia);

    comprobar({
        {"SELECT TOP 100 IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where DESCRIPCION like 'a ORDER BY b%' order "
         "by DESCRIPCION",
         "SELECT  IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where DESCRIPCION like 'a ORDER BY b%'    AND ROWNUM <= "
         "100  order by DESCRIPCION"},
        {"SELECT TOP 5 A, ' WHERE ' AS W FROM T GROUP BY A, ' GROUP BY '",
         "SELECT  A, ' WHERE ' AS W FROM T    WHERE ROWNUM <= 5  GROUP BY A, ' GROUP BY ' "},
        {"SELECT TOP 'a b' A FROM T", "SELECT  A FROM T  WHERE ROWNUM <= 'a b'  "},
        {"SELECT A, 'top 5 x' FROM T WHERE ISNULL(B,'[y]') = 1 AND [C] = ' LEN(z'",
         "SELECT A, 'top 5 x' FROM T WHERE NVL(B,'[y]') = 1 AND \"C\" = ' LEN(z'"},
        {"UPDATE T SET A = 'WHERE ', B = '' WHERE C = '' AND D = '''' AND E=''",
         "UPDATE T SET A = 'WHERE ', B = '' WHERE C  IS NULL  AND D = '''' AND E IS NULL "},
        {"SELECT CONVERT(NVARCHAR,F,103), 'TO_CHAR(' + CONVERT(NVARCHAR,G, 103) FROM T",
         "SELECT TO_CHAR(F,'DD/MM/YYYY'), 'TO_CHAR(' + TO_CHAR(G, 'DD/MM/YYYY') FROM T"},
        {"SELECT TO_CHAR(F, '(', 103) FROM T", "SELECT TO_CHAR(F, '(', 'DD/MM/YYYY') FROM T"},
        {"SELECT A FROM T WHERE B = 'it''s' AND F = '31/01/2020' AND C = 'ISNULL('",
         "SELECT A FROM T WHERE B = 'it''s' AND F = TO_DATE('31/01/2020','DD/MM/YYYY') AND C = 'ISNULL('"},
    });
}

// A date with a time is read as written, whatever the machine's zone: midnight to one o'clock did not exist in
// Buenos Aires on the days summer time began.
TEST(OracleDialect, DateWithTimeInADaylightSavingGap)
{
    const kembtest::ScopedTimeZone zona("America/Argentina/Buenos_Aires");
    comprobar({
        {"SELECT A FROM T WHERE F >= '19/10/2008 0:30' AND G < '2007-12-30 0:15:00' AND H = '30/12/07 0:59'",
         "SELECT A FROM T WHERE F >= TO_DATE('19/10/2008','DD/MM/YYYY') AND G < TO_DATE('30/12/2007','DD/MM/YYYY') "
         "AND H = TO_DATE('30/12/2007','DD/MM/YYYY')"},
    });
}

// Long statements: each of 20,000 copies of a date written as the pass writes it is wrapped again by every later
// copy before the clean-up, and still comes out as one call; a long run of conditions translates group by group.
TEST(OracleDialect, LongStatementsTranslateLikeShortOnes)
{
    QString fechas;
    QString llamadas;
    for (int i = 0; i < 20000; ++i) {
        fechas += QStringLiteral("'31/01/2020',");
        llamadas += QStringLiteral("TO_DATE('31/01/2020','DD/MM/YYYY'),");
    }
    fechas.chop(1);
    llamadas.chop(1);
    EXPECT_EQ(traducir(QStringLiteral("SELECT A FROM T WHERE F IN (%1)").arg(fechas)),
              QStringLiteral("SELECT A FROM T WHERE F IN (%1)").arg(llamadas));

    const QString grupo = QStringLiteral(" OR (C = 'A' AND ALTA >= '1/2/2020' AND ISNULL(B,0) = 0 AND LEN(N) > 0 AND "
                                         "CONVERT(NVARCHAR,F,103) <> '' AND [O] = '')");
    const QString traducido =
        QStringLiteral(" OR (C = 'A' AND ALTA >= TO_DATE('01/02/2020','DD/MM/YYYY') AND NVL(B,0) = 0 "
                       "AND LENGTH(N) > 0 AND TO_CHAR(F,'DD/MM/YYYY') <> '' AND \"O\"  IS NULL )");
    EXPECT_EQ(
        traducir(QStringLiteral("SELECT TOP 5 A FROM T WHERE 1=0%1 ORDER BY A").arg(grupo.repeated(5000))),
        QStringLiteral("SELECT  A FROM T WHERE 1=0%1    AND ROWNUM <= 5  ORDER BY A").arg(traducido.repeated(5000)));
}

TEST(OracleDialect, OtherConnectionsKeepEveryStatement)
{
    const QString sentencia = QStringLiteral("SELECT TOP 1 [A] FROM T WHERE ISNULL(B,0) = 1");
    for (const QString& cadena : {QStringLiteral("PROVIDER=SQLOLEDB;Server=s;Database =d;UId=u;Pwd=p;"),
                                  QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =a.mdb;"), QString()})
        EXPECT_EQ(traducir(sentencia, cadena), sentencia) << cadena.toStdString();
    EXPECT_EQ(traducir(QStringLiteral("len"), QString()), "len");
}

TEST(OracleDialect, TheTwoInvalidArgumentFailures)
{
    for (const char* sentencia :
         {"SELECT A FROM T WHERE B = 'x", "SELECT TOP 5", "SELECT A FROM T WHERE B = 'it''s", "select top 5   ",
          "SELECT A FROM T WHERE B = '31/01/2020' AND C = '", "' SELECT A"}) {
        try {
            traducir(QString::fromUtf8(sentencia));
            ADD_FAILURE() << "no error for " << sentencia;
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 5) << sentencia;
        }
    }
}

} // namespace
