// The SQL script runner on a script of 10,000 INSERT statements in GO batches against the same statements
// sent one by one through SQLExecDirect with the same SQLite ODBC driver. Both run alternately in one run,
// each on a fresh database file; the "razon" counter shows how many times longer the runner takes (the
// median over the rounds, so that a busy moment of the machine does not decide it), and "razon_cpu" the
// same in processor time of the thread.
#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "global/ast.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Operator.h"
#include "support/Mediana.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <optional>
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

// The script as the runner reads it: every statement on its own line and ended by a "GO" line, in the
// Windows code page of the suite's own scripts.
QString escribirScript(const QString& carpeta, const QStringList& lista)
{
    QByteArray texto;
    for (const QString& s : lista)
        texto += vb::toAnsi(s) + "\r\nGO\r\n";
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

// Wall and thread processor seconds of one side's timed part.
struct Tiempo {
    double pared = 0;
    double cpu = 0;
};

class Reloj {
public:
    Reloj() : m_cpu(cpu()) { m_pared.start(); }
    Tiempo medido() const { return {m_pared.nsecsElapsed() / 1e9, cpu() - m_cpu}; }

private:
    static double cpu()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
    QElapsedTimer m_pared;
    double m_cpu;
};

// The raw statements on a fresh database; nothing when a statement failed.
std::optional<Tiempo> directo(const QString& archivo, const std::vector<QByteArray>& lista)
{
    OdbcDirecto odbc(cadenaConexion(archivo));
    if (!odbc.abierta() || !odbc.ejecutar(kTabla.toUtf8()))
        return std::nullopt;
    const Reloj reloj;
    for (const QByteArray& s : lista)
        if (!odbc.ejecutar(s))
            return std::nullopt;
    return reloj.medido();
}

// The runner on the script and a fresh database.
Tiempo guion(const QString& archivo, const QString& script)
{
    DB_Dll& db = ModGlobal::gDB();
    db = DB_Dll();
    db.gCnn->Open(cadenaConexion(archivo));
    db.gCnn->Execute(kTabla);
    db.gDBName = QStringLiteral("ventas");
    db.gOpenFlag = true;
    bool permitido = false;
    const Reloj reloj;
    ast::Ejecutar(script, nullptr, QString(), permitido, false);
    const Tiempo tiempo = reloj.medido();
    db.gCnn->Close();
    return tiempo;
}

// The table's rows as text, so that both sides can be seen to have stored the same.
QString contenido(const QString& archivo)
{
    const auto cn = ado::Connection::create();
    cn->Open(cadenaConexion(archivo));
    ado::Recordset rs =
        cn->Execute(QStringLiteral("SELECT id, codigo, descripcion, importe FROM movimientos ORDER BY id"));
    QString texto;
    long filas = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++filas)
        for (int c = 0; c < 4; ++c)
            texto += rs.Fields(c).Value().toString() + QLatin1Char('|');
    return filas == kSentencias ? texto : QString();
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

    std::vector<double> razones;
    std::vector<double> razonesCpu;
    double guionTotal = 0;
    double directoTotal = 0;
    for (auto _ : state) {
        const auto vuelta = static_cast<int>(razones.size());
        const QString base = carpeta.path() + QStringLiteral("/guion%1.db").arg(vuelta);
        const QString cruda = carpeta.path() + QStringLiteral("/directo%1.db").arg(vuelta);
        // Each side goes first every other round, so neither always finds the caches warm.
        std::optional<Tiempo> d;
        Tiempo g;
        if (vuelta % 2 == 0) {
            g = guion(base, script);
            d = directo(cruda, crudas);
        } else {
            d = directo(cruda, crudas);
            g = guion(base, script);
        }
        if (script.isEmpty() || !d || contenido(base).isEmpty() || contenido(base) != contenido(cruda)) {
            state.SkipWithError("the two sides did not store the same rows");
            break;
        }
        razones.push_back(g.pared / d->pared);
        razonesCpu.push_back(g.cpu / d->cpu);
        guionTotal += g.pared;
        directoTotal += d->pared;
        state.SetIterationTime(g.pared);
    }
    if (!razones.empty()) {
        const auto vueltas = static_cast<double>(razones.size());
        state.counters["razon"] = mediana(razones);
        state.counters["razon_cpu"] = mediana(razonesCpu);
        state.counters["guion_s"] = guionTotal / vueltas;
        state.counters["directo_s"] = directoTotal / vueltas;
    }
    vb::setOperator(anterior);
    qputenv("TEMP", tempAnterior);
}

BENCHMARK(BM_GuionContraOdbcDirecto)->Iterations(12)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
