// The global module's surroundings for one test: a TEMP folder of its own, a program folder, fresh shared
// database instances, and (for the database tests) a SQLite database as the main and statistics connection.
#pragma once

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "platform/vb/App.h"
#include "support/ScriptedOperator.h"
#include "support/SqlServerDialect.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace kembtest {

inline QByteArray leerArchivo(const QString& ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void escribirArchivo(const QString& ruta, const QByteArray& datos)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(datos), datos.size());
}

// Points TEMP at a fresh folder for one test and restores it after.
class TempEnv {
public:
    TempEnv() : m_old(qgetenv("TEMP")) { qputenv("TEMP", QDir::toNativeSeparators(m_dir.path()).toLocal8Bit()); }
    ~TempEnv() { qputenv("TEMP", m_old); }
    TempEnv(const TempEnv&) = delete;
    TempEnv& operator=(const TempEnv&) = delete;
    QString path() const { return m_dir.path(); }
    QByteArray log() const { return leerArchivo(m_dir.path() + "/MQERR.LOG"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

// Resets every shared value of the global module, so a test sees the program as just started.
inline void reiniciarGlobal()
{
    ModGlobal::gDB() = DB_Dll();
    ModGlobal::gDBEstadisticas() = DB_Dll();
    ModGlobal::gDBRSQL() = DB_Dll();
    ModGlobal::gTablaConfiguracion().clear();
    ModGlobal::gRestringeAsientos() = false;
}

class EntornoGlobal : public ::testing::Test {
protected:
    void SetUp() override
    {
        vb::App::setPath(programa.path());
        vb::App::setEXEName(QStringLiteral("kemb"));
        reiniciarGlobal();
    }
    void TearDown() override
    {
        reiniciarGlobal();
        vb::App::setPath(QString());
        vb::App::setEXEName(QString());
    }

    // Any box a test did not expect fails that test instead of waiting for a person.
    ScriptedOperator operador;
    TempEnv temp;
    QTemporaryDir programa;
};

// A SQLite database (through its ODBC driver) holding the configuration table, open on gDB and on
// gDBEstadisticas. CLAVE compares without regard to case, as the servers' usual collation does.
class EntornoConBase : public EntornoGlobal {
protected:
    void SetUp() override
    {
        EntornoGlobal::SetUp();
        if (const QString why = TestDatabase::unavailable(Engine::SQLite); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        base = std::make_unique<TestDatabase>(Engine::SQLite);
        base->exec("CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50) COLLATE NOCASE, VALOR VARCHAR(255), "
                   "ValorAux VARCHAR(255), Grupo VARCHAR(50), PoliticaNegocio INTEGER)");
        abrir(ModGlobal::gDB());
        abrir(ModGlobal::gDBEstadisticas());
    }
    void TearDown() override
    {
        EntornoGlobal::TearDown();
        base.reset();
    }
    void abrir(DB_Dll& db)
    {
        db.gDBName = base->name();
        db.gCnn->Open(base->connectionString());
        db.gOpenFlag = true;
    }

    SqlServerDialect dialecto;
    std::unique_ptr<TestDatabase> base;
};

} // namespace kembtest
