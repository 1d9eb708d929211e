#include "database/OracleDialect.h"
#include "database/DB_Dll.h"

#include <gtest/gtest.h>

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");

QString traducir(const QString& sentencia, const QString& cadena = kOracle)
{
    DB_Dll db;
    db.gConnString = cadena;
    return db.ORACLE_Dicc(sentencia);
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
        {"SELECT A FROM T WHERE B = '[x] ISNULL(y'", "SELECT A FROM T WHERE B = '\"x\" NVL(y'"},
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
    for (const char* sentencia : {"SELECT A FROM T WHERE B = 'x", "SELECT TOP 5", "SELECT A FROM T WHERE B = 'it''s"}) {
        try {
            traducir(QString::fromUtf8(sentencia));
            ADD_FAILURE() << "no error for " << sentencia;
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), 5) << sentencia;
        }
    }
}

} // namespace
