// The assistant's surroundings for one test: a program folder, a TEMP folder, a web cache of its own, the
// maker's site on a local HTTP server, a scripted operator and a record of the documents opened.
#pragma once

#include "certificate/ModDescargaIMG.h"
#include "platform/dorvik/ClsSistema.h"
#include "platform/net/Network.h"
#include "platform/net/Site.h"
#include "platform/vb/App.h"
#include "support/HttpServer.h"
#include "support/ScriptedOperator.h"

#include <QDir>
#include <QFile>
#include <QNetworkDiskCache>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kembtest {

class EntornoAsistente : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programa.isValid() && temporal.isValid() && cache.isValid());
        m_tempAnterior = qgetenv("TEMP");
        qputenv("TEMP", QDir::toNativeSeparators(temporal.path()).toLocal8Bit());
        vb::App::setPath(programa.path());
        vb::App::setEXEName(QStringLiteral("kemb"));
        net::Site::setOverride(servidor.hostPort());
        net::webCache().setCacheDirectory(cache.path());
        ModDescargaIMG::IndiceImagen.clear();
        ClsSistema::setAbridor([this](const QString& direccion) {
            abiertos << direccion;
            return true;
        });
    }

    void TearDown() override
    {
        ClsSistema::setAbridor({});
        net::Site::setOverride(QString());
        vb::App::setPath(QString());
        vb::App::setEXEName(QString());
        qputenv("TEMP", m_tempAnterior);
    }

    // The picture folder the window builds under TEMP.
    QString carpetaImagenes() const { return temporal.path() + QStringLiteral("/imagenes/kemb"); }
    QString rutaConfiguracion() const { return programa.path() + QStringLiteral("/cfgelectronica.txt"); }
    // Address path of a file of the site's picture folder.
    static QString enSitio(const QString& nombre) { return QStringLiteral("/imgpublicidad/kemb/") + nombre; }

    static HttpResponse respuesta(int estado, const QByteArray& cuerpo)
    {
        HttpResponse r;
        r.status = estado;
        r.body = cuerpo;
        return r;
    }

    static void escribir(const QString& ruta, const QByteArray& datos)
    {
        QFile archivo(ruta);
        ASSERT_TRUE(archivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(archivo.write(datos), datos.size());
    }

    static QByteArray leer(const QString& ruta)
    {
        QFile archivo(ruta);
        return archivo.open(QIODevice::ReadOnly) ? archivo.readAll() : QByteArray("<no existe>");
    }

    QTemporaryDir programa;
    QTemporaryDir temporal;
    QTemporaryDir cache;
    HttpServer servidor;
    ScriptedOperator operador;
    QStringList abiertos;

private:
    QByteArray m_tempAnterior;
};

} // namespace kembtest
