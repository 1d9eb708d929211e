// The list lookup window's test bench: a SQLite database over ODBC as the main connection (with the
// SQL Server idioms rewritten), a program folder of its own and a scripted operator that must see every box.
#pragma once

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "lookup/Lib_FrmCons3.h"
#include "platform/vb/App.h"
#include "support/ScriptedOperator.h"
#include "support/SqlServerDialect.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

// Failures show texts as text.
inline void PrintTo(const QString& texto, std::ostream* salida)
{
    *salida << '"' << texto.toStdString() << '"';
}

namespace kembtest {

class ListaConsulta : public ::testing::Test {
protected:
    void SetUp() override
    {
        vb::App::setPath(carpeta.path());
        reiniciar();
        DB_Dll& db = ModGlobal::gDB();
        db.gCnn->Open(base.connectionString());
        db.gOpenFlag = true;
        db.gEsAdmin = true;
        db.gConnString = base.connectionString();
    }
    void TearDown() override
    {
        reiniciar();
        vb::App::setPath(QString());
        EXPECT_TRUE(operador.allAnswered());
    }
    static void reiniciar()
    {
        ModGlobal::gDB() = DB_Dll();
        ModGlobal::gDBConsulta() = DB_Dll();
    }

    // A window whose members `preparar` sets, loaded with the statement.
    std::unique_ptr<Lib_FrmCons3> cargar(const QString& sql, const std::function<void(Lib_FrmCons3&)>& preparar = {})
    {
        auto f = std::make_unique<Lib_FrmCons3>();
        f->SQL = sql;
        if (preparar)
            preparar(*f);
        f->Form_Load();
        return f;
    }
    static QStringList encabezados(const Lib_FrmCons3& f)
    {
        QStringList out;
        for (int i = 0; i < f.ListView1->columnCount(); ++i)
            out << f.ListView1->headerItem()->text(i);
        return out;
    }
    static QStringList columna(const Lib_FrmCons3& f, int c)
    {
        QStringList out;
        for (int i = 0; i < f.ListView1->topLevelItemCount(); ++i)
            out << f.ListView1->topLevelItem(i)->text(c);
        return out;
    }
    static QTreeWidgetItem* item(const Lib_FrmCons3& f, int i) { return f.ListView1->topLevelItem(i); }
    static QStringList valores(const Coleccion& c)
    {
        QStringList out;
        for (int i = 1; c && i <= c->Count(); ++i)
            out << c->Item(i).toString();
        return out;
    }
    QString archivo(const QString& nombre) const
    {
        QFile f(carpeta.filePath(nombre));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QStringLiteral("<sin archivo>");
    }
    void escribir(const QString& nombre, const QByteArray& texto) const
    {
        QFile f(carpeta.filePath(nombre));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texto);
    }

    SqlServerDialect dialecto;
    TestDatabase base{Engine::SQLite};
    QTemporaryDir carpeta;
    ScriptedOperator operador;
};

} // namespace kembtest
