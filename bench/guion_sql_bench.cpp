// The SQL script runner on a script of 10,000 INSERT statements in GO batches against the same statements
// sent one by one through SQLExecDirect with the same SQLite ODBC driver. Both run alternately in one run,
// each on a fresh database file; the "razon" counter shows how many times longer the runner takes.
#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "global/ast.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Operator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

namespace {

constexpr int kSentencias = 10000;
const QString kDriver = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so");
const QString kTabla = QStringLiteral(
    "CREATE TABLE movimientos (id INTEGER, codigo VARCHAR(10), descripcion VARCHAR(60), importe DOUBLE)");

// Answers every box without a person: "SET NOCOUNT ON" is SQL Server's, so SQLite refuses it and the runner
// says so once per run.
class OperadorAusente : public vb::Operator {
public:
    int msgBox(const QString&, int, const QString&) override { return vb::vbOK; }
    QString inputBox(const QString&, const QString&, const QString&) override { return QString(); }
    std::optional<QString> openFile(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    QString browseFolder(QWidget*, const QString&) override { return QString(); }
};

// Synchronous writes off for both sides alike, so the disk does not hide what each side adds.
QString cadenaConexion(const QString& archivo)
{
    return QStringLiteral("DRIVER={%1};Database=%2;SyncPragma=OFF;").arg(kDriver, archivo);
}

QStringList sentencias()
{
    QStringList lista;
    for (int i = 0; i < kSentencias; ++i)
        lista << QStringLiteral("INSERT INTO movimientos (id, codigo, descripcion, importe) VALUES (%1, 'C%2', "
                                "'Artículo número %1', %3)")
                     .arg(i)
                     .arg(i, 5, 10, QLatin1Char('0'))
                     .arg(i * 1.5);
    return lista;
}

// The script as the runner reads it: every statement on its own line and ended by a "GO" line.
QString escribirScript(const QString& carpeta, const QStringList& lista)
{
    QByteArray texto;
    for (const QString& s : lista)
        texto += s.toUtf8() + "\r\nGO\r\n";
    const QString ruta = carpeta + QStringLiteral("/movimientos.sql");
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly) || archivo.write(texto) != texto.size())
        return QString();
    return ruta;
}

// Raw ODBC: one connection, one statement handle, SQLExecDirect per statement.
class OdbcDirecto {
public:
    explicit OdbcDirecto(const QString& conexion)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        QByteArray texto = conexion.toUtf8();
        m_abierta = SQL_SUCCEEDED(SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(texto.data()), SQL_NTS,
                                                   nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        if (m_abierta)
            SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_stmt);
    }
    ~OdbcDirecto()
    {
        if (m_stmt)
            SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        if (m_abierta)
            SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    OdbcDirecto(const OdbcDirecto&) = delete;
    OdbcDirecto& operator=(const OdbcDirecto&) = delete;

    bool ejecutar(const QByteArray& sentencia)
    {
        const SQLRETURN r =
            SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sentencia.constData())), SQL_NTS);
        SQLFreeStmt(m_stmt, SQL_CLOSE);
        return SQL_SUCCEEDED(r);
    }
    bool abierta() const { return m_abierta; }

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    bool m_abierta = false;
};

// Seconds the raw statements take on a fresh database; negative when a statement failed.
double directo(const QString& archivo, const std::vector<QByteArray>& lista)
{
    OdbcDirecto odbc(cadenaConexion(archivo));
    if (!odbc.abierta() || !odbc.ejecutar(kTabla.toUtf8()))
        return -1;
    QElapsedTimer reloj;
    reloj.start();
    for (const QByteArray& s : lista)
        if (!odbc.ejecutar(s))
            return -1;
    return reloj.nsecsElapsed() / 1e9;
}

// Seconds the runner takes for the script on a fresh database.
double guion(const QString& archivo, const QString& script)
{
    DB_Dll& db = ModGlobal::gDB();
    db = DB_Dll();
    db.gCnn->Open(cadenaConexion(archivo));
    db.gCnn->Execute(kTabla);
    db.gDBName = QStringLiteral("ventas");
    db.gOpenFlag = true;
    bool permitido = false;
    QElapsedTimer reloj;
    reloj.start();
    ast::Ejecutar(script, nullptr, QString(), permitido, false);
    const double segundos = reloj.nsecsElapsed() / 1e9;
    db.gCnn->Close();
    return segundos;
}

long filas(const QString& archivo)
{
    const auto cn = ado::Connection::create();
    cn->Open(cadenaConexion(archivo));
    ado::Recordset rs = cn->Execute(QStringLiteral("SELECT COUNT(*) FROM movimientos"));
    return rs.Fields(0).Value().toLongLong();
}

void BM_GuionContraOdbcDirecto(benchmark::State& state)
{
    QTemporaryDir carpeta;
    const QByteArray tempAnterior = qgetenv("TEMP");
    qputenv("TEMP", carpeta.path().toUtf8());
    OperadorAusente operador;
    vb::Operator* anterior = vb::setOperator(&operador);
    const QStringList lista = sentencias();
    std::vector<QByteArray> crudas;
    for (const QString& s : lista)
        crudas.push_back(s.toUtf8() + "\r\n");
    const QString script = escribirScript(carpeta.path(), lista);

    double runner = 0;
    double anchor = 0;
    int vuelta = 0;
    for (auto _ : state) {
        const QString base = carpeta.path() + QStringLiteral("/guion%1.db").arg(vuelta);
        const QString cruda = carpeta.path() + QStringLiteral("/directo%1.db").arg(vuelta);
        // Each side goes first every other time, so neither always finds the caches warm.
        const bool guionPrimero = vuelta++ % 2 == 0;
        double d = guionPrimero ? 0 : directo(cruda, crudas);
        const double g = guion(base, script);
        if (guionPrimero)
            d = directo(cruda, crudas);
        if (script.isEmpty() || d < 0 || filas(base) != kSentencias) {
            state.SkipWithError("a side did not insert every row");
            break;
        }
        runner += g;
        anchor += d;
        state.SetIterationTime(g);
    }
    if (anchor > 0) {
        state.counters["razon"] = runner / anchor;
        state.counters["guion_s"] = runner / static_cast<double>(state.iterations());
        state.counters["directo_s"] = anchor / static_cast<double>(state.iterations());
    }
    vb::setOperator(anterior);
    qputenv("TEMP", tempAnterior);
}

BENCHMARK(BM_GuionContraOdbcDirecto)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
