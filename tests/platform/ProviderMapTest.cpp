#include "platform/ado/ProviderMap.h"

#include <gtest/gtest.h>

namespace {

TEST(ProviderMap, ProvidersChooseTheirOdbcDriver)
{
    struct Case {
        const char* oledb;
        const char* user;
        const char* password;
        const char* odbc;
        const char* source;
    };
    const Case cases[] = {
        {"PROVIDER=SQLOLEDB;Server=SRV01\\DORVIK;Database =VENTAS;UId=ventas;Pwd=secreto;", "", "",
         "DRIVER=FreeTDS;SERVER=SRV01\\DORVIK;DATABASE=VENTAS;UID=ventas;PWD=secreto;",
         "Microsoft OLE DB Provider for SQL Server"},
        {" provider = sqloledb ; data source = 127.0.0.1,1433 ; Initial Catalog=X;User ID=a;Password=b", "", "",
         "DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=1433;DATABASE=X;UID=a;PWD=b;",
         "Microsoft OLE DB Provider for SQL Server"},
        {"PROVIDER=SQLOLEDB;Server=s;Database =d;UId=;Pwd=;", "dueño", "clave;con punto",
         "DRIVER=FreeTDS;SERVER=s;DATABASE=d;UID=dueño;PWD={clave;con punto};",
         "Microsoft OLE DB Provider for SQL Server"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=scott;Password=tiger;", "", "",
         "DRIVER=Oracle ODBC Driver;DBQ=ORCL;UID=scott;PWD=tiger;", "OraOLEDB"},
        {"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\datos\\base.mdb;User ID=admin;Password=;", "", "",
         "DRIVER=Microsoft Access Driver (*.mdb);DBQ=C:\\datos\\base.mdb;UID=admin;", "Microsoft JET Database Engine"},
        {"PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source =b.mdb;User ID=admin;Password=x;Jet OLEDB:Database "
         "Password=y;",
         "", "", "DRIVER=Microsoft Access Driver (*.mdb);DBQ=b.mdb;UID=admin;PWD=y;", "Microsoft JET Database Engine"},
        {"Provider=MSDASQL;DSN=ventas;UID=u", "", "", "DSN=ventas;UID=u;",
         "Microsoft OLE DB Provider for ODBC Drivers"},
        {"DRIVER={SQLite3};Database=/tmp/x.db;", "", "", "DRIVER={SQLite3};Database=/tmp/x.db;",
         "Microsoft OLE DB Provider for ODBC Drivers"},
        {"DSN=ventas;UID=u;PWD=p", "otro", "", "DSN=ventas;PWD=p;UID=otro;",
         "Microsoft OLE DB Provider for ODBC Drivers"},
    };
    for (const Case& c : cases) {
        const ado::OdbcTarget t =
            ado::mapProvider(QString::fromUtf8(c.oledb), QString::fromUtf8(c.user), QString::fromUtf8(c.password));
        EXPECT_EQ(t.connectionString.toStdString(), c.odbc) << c.oledb;
        EXPECT_EQ(t.source.toStdString(), c.source) << c.oledb;
    }
}

TEST(ProviderMap, TheConnectTimeoutIsTheLoginTimeout)
{
    EXPECT_EQ(ado::mapProvider("PROVIDER=SQLOLEDB;Server=s;Connect Timeout=5").loginTimeoutSeconds, 5);
    EXPECT_EQ(ado::mapProvider("PROVIDER=SQLOLEDB;Server=s").loginTimeoutSeconds, 15);
    EXPECT_FALSE(ado::mapProvider("PROVIDER=SQLOLEDB;Server=s;Connect Timeout=5").connectionString.contains("Timeout"));
}

TEST(ProviderMap, TheSqlServerDriverIsTheBuildSetting)
{
    EXPECT_EQ(ado::sqlServerDriver(), "FreeTDS");
}

} // namespace
